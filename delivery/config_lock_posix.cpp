// Configuration lock files on POSIX: flock on a descriptor opened with
// O_NOFOLLOW. flock belongs to the open file description, so it ends with
// the holder's process. Read-only is enough for flock, so users who share
// the configuration folder can all take the lock on one file.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "delivery/config_lock.h"

LockFileOpen configLockOpen(const std::string& lockPath, std::intptr_t& handle) {
  // O_NONBLOCK: a pipe put in the lock file's place must not hang the open.
  int fd = open(lockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
  if (fd < 0) return errno == ELOOP || errno == EISDIR ? LockFileOpen::NotPlain : LockFileOpen::Failed;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return LockFileOpen::NotPlain;
  }
  // Created under a strict umask, others could not open it to wait.
  if (info.st_uid == geteuid() && (info.st_mode & (S_IRGRP | S_IROTH)) != (S_IRGRP | S_IROTH))
    fchmod(fd, (info.st_mode & 07777) | S_IRGRP | S_IROTH);
  handle = fd;
  return LockFileOpen::Opened;
}

bool configLockTry(std::intptr_t handle) { return flock(static_cast<int>(handle), LOCK_EX | LOCK_NB) == 0; }

void configLockClose(std::intptr_t handle) { close(static_cast<int>(handle)); }
