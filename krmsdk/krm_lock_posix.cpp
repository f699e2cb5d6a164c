// Lock files on POSIX: an flock on the open lock file. flock belongs to the
// open file description, so it also keeps out other threads of this process
// and dies with the holder. The file is deleted on release; a waiter that
// wins the lock on a file that was deleted (or replaced) meanwhile lets go
// and tries again, so two writers never hold locks on different files.
//
// The name is predictable (every writer of the output must find it), so it
// is never followed: a new lock file is created with O_EXCL, and one that is
// already there is opened with O_NOFOLLOW and taken only when it is a
// regular file of this user. A link or someone else's file planted at the
// name fails the lock instead of being opened.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "krmsdk/krm_lock.h"

namespace {

int openLockFile(const std::string& lockPath) {
  int fd = open(lockPath.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd >= 0 || errno != EEXIST) return fd;
  fd = open(lockPath.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::intptr_t krmTryLockPath(const std::string& lockPath) {
  int fd = openLockFile(lockPath);
  if (fd < 0) return -1;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return -1;
  }
  struct stat held {};
  struct stat named {};
  if (fstat(fd, &held) != 0 || lstat(lockPath.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
      held.st_dev != named.st_dev) {
    close(fd);
    return -1;
  }
  return fd;
}

void krmReleaseLockPath(std::intptr_t handle, const std::string& lockPath) {
  unlink(lockPath.c_str());
  close(static_cast<int>(handle));
}
