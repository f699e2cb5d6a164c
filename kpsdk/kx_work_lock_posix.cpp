// Work-folder locks on POSIX: an flock on the lock file, which belongs to
// the open file description and is dropped when the process dies.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kpsdk/kx_work_folder.h"

KxWorkLock kxCreateWorkLock(const std::string& lockPath) {
  int fd = open(lockPath.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
  if (fd < 0) return {};
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    unlink(lockPath.c_str());
    return {};
  }
  // A sweeper may have taken and deleted the file between open and flock:
  // the lock must be on the file that carries the name.
  struct stat held {};
  struct stat named {};
  if (fstat(fd, &held) != 0 || lstat(lockPath.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
      held.st_dev != named.st_dev) {
    close(fd);
    return {};
  }
  return {fd};
}

KxWorkLock kxTakeAbandonedLock(const std::string& lockPath) {
  int fd = open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return {};
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return {};
  }
  return {fd};
}

void kxReleaseWorkLock(KxWorkLock& lock, const std::string& lockPath) {
  if (!lock.held()) return;
  unlink(lockPath.c_str());
  close(static_cast<int>(lock.handle));
  lock.handle = -1;
}
