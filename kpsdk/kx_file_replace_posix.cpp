// POSIX side of kxReplaceFile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "base/sdk_fs.h"
#include "kpsdk/kx_file_replace.h"

namespace {

std::atomic<unsigned> tempCounter{0};

// Opens a new, unique file beside path; -1 on failure (errno set).
int openTempBeside(const std::string& path, std::string& tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(tempCounter++);
    int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

int kxReplaceFile(const std::string& path, std::string_view bytes, std::string& reason) {
  reason.clear();
  std::string tempPath;
  int fd = openTempBeside(path, tempPath);
  if (fd < 0) {
    reason = std::strerror(errno);
    return 0;
  }
  int error = 0;
  struct stat old;
  if (stat(path.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  for (std::size_t done = 0; done < bytes.size() && !error;) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0 && !error) error = errno;
  if (!error) {
    errno = 0;
    if (!sdkCommitFile(tempPath.c_str(), path.c_str())) error = errno ? errno : EIO;
  }
  if (error) {
    unlink(tempPath.c_str());
    reason = std::strerror(error);
    return 0;
  }
  return 1;
}
