// File range copies on Windows: a bounded read-and-write loop over the C
// runtime descriptors.
#include <io.h>
#include <stdio.h>

#include <algorithm>
#include <memory>

#include "krmsdk/krm_file_copy.h"

namespace {
constexpr std::size_t kPiece = 1024 * 1024;
}  // namespace

KrmCopyResult krmCopyFileRange(int sourceFd, std::int64_t offset, int destinationFd, std::size_t size) {
  KrmCopyResult result;
  if (_lseeki64(sourceFd, offset, SEEK_SET) < 0) {
    result.readFailed = true;
    return result;
  }
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  while (result.copied < size) {
    unsigned want = static_cast<unsigned>(std::min(kPiece, size - result.copied));
    int got = _read(sourceFd, buffer.get(), want);
    if (got < 0) {
      result.readFailed = true;
      return result;
    }
    if (got == 0) return result;
    for (int done = 0; done < got;) {
      int n = _write(destinationFd, buffer.get() + done, static_cast<unsigned>(got - done));
      if (n <= 0) {
        result.writeFailed = true;
        return result;
      }
      done += n;
      result.copied += static_cast<std::size_t>(n);
    }
  }
  return result;
}
