// Windows side of the archive file-system calls.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "archive/archive_fs.h"

namespace {

// Win32 calls leave their error in GetLastError; map the common ones so
// archiveErrorText can describe them.
void setErrnoFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
      errno = EACCES;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      errno = EEXIST;
      break;
    case ERROR_DISK_FULL:
      errno = ENOSPC;
      break;
    default:
      errno = EIO;
      break;
  }
}

// 100-nanosecond intervals between 1601 and 1970.
constexpr std::int64_t kEpochDifference = 116444736000000000LL;

}  // namespace

bool archiveStat(const std::string& path, ArchiveFileInfo& info) {
  struct _stat64 st;
  if (_stat64(path.c_str(), &st) != 0) return false;
  if (st.st_mode & _S_IFDIR) {
    info.kind = ArchivePathKind::kDirectory;
  } else if (st.st_mode & _S_IFREG) {
    info.kind = ArchivePathKind::kFile;
  } else if (st.st_mode & _S_IFCHR) {
    info.kind = ArchivePathKind::kCharDevice;
  } else {
    info.kind = ArchivePathKind::kOther;
  }
  info.size = st.st_size;
  info.mtime = st.st_mtime;
  info.mode = st.st_mode & 0777;
  info.uid = 0;
  info.gid = 0;
  info.links = st.st_nlink;
  // The C runtime reports no inode numbers.
  info.hasIdentity = false;
  return true;
}

ArchivePathKind archivePathKind(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ArchivePathKind::kMissing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return ArchivePathKind::kLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ArchivePathKind::kDirectory;
  return ArchivePathKind::kFile;
}

std::FILE* archiveOpenRead(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

std::FILE* archiveCreateNew(const std::string& path, unsigned mode) {
  int permission = (mode & 0200) ? (_S_IREAD | _S_IWRITE) : _S_IREAD;
  int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, permission);
  if (fd < 0) return nullptr;
  std::FILE* f = _fdopen(fd, "wb");
  if (!f) _close(fd);
  return f;
}

std::FILE* archiveOpenUpdate(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
    errno = ENOENT;
    return nullptr;
  }
  return std::fopen(path.c_str(), "r+b");
}

bool archiveMakeDir(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  setErrnoFromLastError();
  return false;
}

bool archiveRemoveFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  // A directory junction is removed as a directory, never its contents.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (RemoveDirectoryA(path.c_str())) return true;
  } else {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path.c_str())) return true;
  }
  setErrnoFromLastError();
  return false;
}

bool archiveHardLink(const std::string& existing, const std::string& newPath) {
  if (CreateHardLinkA(newPath.c_str(), existing.c_str(), nullptr)) return true;
  setErrnoFromLastError();
  return false;
}

bool archiveSetFileTime(const std::string& path, std::int64_t mtime) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    setErrnoFromLastError();
    return false;
  }
  std::int64_t ticks = mtime * 10000000LL + kEpochDifference;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xffffffffu);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  // Creation and last-write time both carry the entry's time; the
  // last-access time stays.
  BOOL ok = SetFileTime(h, &ft, nullptr, &ft);
  if (!ok) setErrnoFromLastError();
  CloseHandle(h);
  return ok != 0;
}

std::intptr_t archiveLockFolder(const std::string&) { return -1; }

void archiveUnlockFolder(std::intptr_t) {}

bool archiveLocalTime(std::int64_t time, struct tm& out) {
  __time64_t t = time;
  return _localtime64_s(&out, &t) == 0;
}

bool archiveSeek(std::FILE* file, std::int64_t offset) { return _fseeki64(file, offset, SEEK_SET) == 0; }

std::int64_t archiveFileLength(std::FILE* file) {
  struct _stat64 st;
  if (_fstat64(_fileno(file), &st) != 0 || !(st.st_mode & _S_IFREG)) return -1;
  return st.st_size;
}

std::int64_t archiveFreeSpace(const std::string& folder) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExA(folder.empty() ? "." : folder.c_str(), &available, nullptr, nullptr)) return -1;
  return static_cast<std::int64_t>(available.QuadPart);
}

std::string archiveErrorText() { return std::strerror(errno); }
