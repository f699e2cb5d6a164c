// File range copies on POSIX systems: copy_file_range where the kernel
// offers it, pread and write otherwise.
#include <errno.h>
#include <unistd.h>

#include <memory>

#include "krmsdk/krm_file_copy.h"

namespace {

constexpr std::size_t kPiece = 1024 * 1024;

// Bounded read-and-write copy; continues result.
void copyByReading(int sourceFd, std::int64_t offset, int destinationFd, std::size_t size, KrmCopyResult& result) {
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  while (result.copied < size) {
    std::size_t want = std::min(kPiece, size - result.copied);
    ssize_t got = pread(sourceFd, buffer.get(), want, static_cast<off_t>(offset + result.copied));
    if (got < 0) {
      if (errno == EINTR) continue;
      result.readFailed = true;
      return;
    }
    if (got == 0) return;
    for (ssize_t done = 0; done < got;) {
      ssize_t n = write(destinationFd, buffer.get() + done, static_cast<std::size_t>(got - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        result.writeFailed = true;
        return;
      }
      done += n;
      result.copied += static_cast<std::size_t>(n);
    }
  }
}

}  // namespace

KrmCopyResult krmCopyFileRange(int sourceFd, std::int64_t offset, int destinationFd, std::size_t size) {
  KrmCopyResult result;
#ifdef __linux__
  while (result.copied < size) {
    off_t in = static_cast<off_t>(offset + result.copied);
    ssize_t n = copy_file_range(sourceFd, &in, destinationFd, nullptr, size - result.copied, 0);
    if (n > 0) {
      result.copied += static_cast<std::size_t>(n);
      continue;
    }
    if (n == 0) return result;  // end of the source
    if (errno == EINTR) continue;
    // Not possible between these files (or a failure the plain loop will
    // name precisely): go on by reading.
    break;
  }
#endif
  if (result.copied < size) copyByReading(sourceFd, offset, destinationFd, size, result);
  return result;
}
