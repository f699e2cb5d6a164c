// Exclusive creation and use marks on Windows: CREATE_NEW (fails on any
// existing name, reparse points included), and handles that do not share
// deletion, so a sweeper's delete-on-close open fails while a live process
// has the file open; the system closes the handles of a dead one.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "base/sdk_fs_unique.h"

std::FILE* sdkCreateNewFile(const std::string& path, SdkFileAccess) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    errno = e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS ? EEXIST : EACCES;
    return nullptr;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    DeleteFileA(path.c_str());
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, "wb");
  if (!f) {
    _close(fd);
    DeleteFileA(path.c_str());
  }
  return f;
}

int sdkMakePrivateDir(const char* path) {
  if (path && CreateDirectoryA(path, nullptr)) return 1;
  DWORD e = GetLastError();
  errno = e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? EEXIST : EACCES;
  return 0;
}

int sdkRemoveAbandoned(const char* path) {
  if (path == nullptr) return 0;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  // No sharing at all: fails while anyone else has the file open. A reparse
  // point is removed itself, never what it points at.
  HANDLE h = CreateFileA(path, DELETE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(h);
  return 1;
}

std::intptr_t sdkHoldOpen(const char* path) {
  // Shares deletion so that the holder can still rename the file; a
  // sweeper's unshared open fails all the same.
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  return reinterpret_cast<std::intptr_t>(h);
}

void sdkHoldClose(std::intptr_t handle) { CloseHandle(reinterpret_cast<HANDLE>(handle)); }
