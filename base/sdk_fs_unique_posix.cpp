// Exclusive creation and use marks on POSIX: O_CREAT|O_EXCL|O_NOFOLLOW, and
// a shared flock for as long as a file is in use. A sweeper that gets the
// exclusive flock knows that no live process has the file open; the flock
// dies with its holder.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/sdk_fs_unique.h"

namespace {

// Whether the name still leads to the open file (nobody removed or replaced
// it between the open and the flock).
bool nameIsFile(int fd, const char* path) {
  struct stat held {};
  struct stat named {};
  return fstat(fd, &held) == 0 && lstat(path, &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

void closeKeepingErrno(int fd) {
  int saved = errno;
  close(fd);
  errno = saved;
}

}  // namespace

std::FILE* sdkCreateNewFile(const std::string& path, SdkFileAccess access) {
  const mode_t mode = access == SdkFileAccess::Private ? 0600 : 0666;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) return nullptr;
  // A sweeper may have taken the new file for a leftover before the flock:
  // then the name is gone and counts as taken.
  if (flock(fd, LOCK_SH | LOCK_NB) != 0 || !nameIsFile(fd, path.c_str())) {
    closeKeepingErrno(fd);
    errno = EEXIST;
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "wb");
  if (!f) {
    int saved = errno;
    unlink(path.c_str());
    close(fd);
    errno = saved;
  }
  return f;
}

int sdkMakePrivateDir(const char* path) { return path && mkdir(path, 0700) == 0 ? 1 : 0; }

int sdkRemoveAbandoned(const char* path) {
  if (path == nullptr) return 0;
  int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st {};
  bool removed = false;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      nameIsFile(fd, path))
    removed = unlink(path) == 0;
  close(fd);
  return removed ? 1 : 0;
}

std::intptr_t sdkHoldOpen(const char* path) {
  int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flock(fd, LOCK_SH | LOCK_NB) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void sdkHoldClose(std::intptr_t handle) { close(static_cast<int>(handle)); }
