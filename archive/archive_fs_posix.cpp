// POSIX side of the archive file-system calls.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "archive/archive_fs.h"

namespace {

ArchivePathKind kindOf(mode_t mode) {
  if (S_ISREG(mode)) return ArchivePathKind::kFile;
  if (S_ISDIR(mode)) return ArchivePathKind::kDirectory;
  if (S_ISLNK(mode)) return ArchivePathKind::kLink;
  if (S_ISCHR(mode)) return ArchivePathKind::kCharDevice;
  if (S_ISBLK(mode)) return ArchivePathKind::kBlockDevice;
  return ArchivePathKind::kOther;
}

}  // namespace

bool archiveStat(const std::string& path, ArchiveFileInfo& info) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  info.kind = kindOf(st.st_mode);
  info.size = st.st_size;
  info.mtime = st.st_mtime;
  info.mode = st.st_mode & 07777;
  info.uid = st.st_uid;
  info.gid = st.st_gid;
  info.links = st.st_nlink;
  info.hasIdentity = true;
  info.device = st.st_dev;
  info.inode = st.st_ino;
  info.deviceMajor = major(st.st_rdev);
  info.deviceMinor = minor(st.st_rdev);
  return true;
}

ArchivePathKind archivePathKind(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return ArchivePathKind::kMissing;
  return kindOf(st.st_mode);
}

std::FILE* archiveOpenRead(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

std::FILE* archiveCreateNew(const std::string& path, unsigned mode) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 07777);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "wb");
  if (!f) {
    int saved = errno;
    close(fd);
    errno = saved;
  }
  return f;
}

std::FILE* archiveOpenUpdate(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  std::FILE* f = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? fdopen(fd, "r+b") : nullptr;
  if (!f) close(fd);
  return f;
}

bool archiveMakeDir(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool archiveRemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool archiveHardLink(const std::string& existing, const std::string& newPath) {
  return link(existing.c_str(), newPath.c_str()) == 0;
}

bool archiveSetFileTime(const std::string& path, std::int64_t mtime) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(mtime);
  times[1].tv_nsec = 0;
  return utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

std::intptr_t archiveLockFolder(const std::string& folder) {
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(fd);
      return -1;
    }
  }
  return fd;
}

void archiveUnlockFolder(std::intptr_t handle) {
  if (handle != -1) close(static_cast<int>(handle));
}

bool archiveLocalTime(std::int64_t time, struct tm& out) {
  time_t t = static_cast<time_t>(time);
  return localtime_r(&t, &out) != nullptr;
}

bool archiveSeek(std::FILE* file, std::int64_t offset) { return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0; }

std::int64_t archiveFileLength(std::FILE* file) {
  struct stat st;
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return st.st_size;
}

std::int64_t archiveFreeSpace(const std::string& folder) {
  struct statvfs fs;
  if (statvfs(folder.empty() ? "." : folder.c_str(), &fs) != 0) return -1;
  return static_cast<std::int64_t>(fs.f_bavail) * static_cast<std::int64_t>(fs.f_frsize);
}

std::string archiveErrorText() { return std::strerror(errno); }
