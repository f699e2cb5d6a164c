// Work-folder locks on Windows: the lock file is kept open without
// sharing, so no other process can open it until the handle is closed,
// which the system does when the process ends.
#include <windows.h>

#include "kpsdk/kx_work_folder.h"

namespace {
HANDLE openLock(const std::string& lockPath, DWORD disposition) {
  return CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}
}  // namespace

KxWorkLock kxCreateWorkLock(const std::string& lockPath) {
  HANDLE h = openLock(lockPath, CREATE_NEW);
  if (h == INVALID_HANDLE_VALUE) return {};
  return {reinterpret_cast<std::intptr_t>(h)};
}

KxWorkLock kxTakeAbandonedLock(const std::string& lockPath) {
  DWORD attributes = GetFileAttributesA(lockPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return {};
  HANDLE h = openLock(lockPath, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) return {};
  return {reinterpret_cast<std::intptr_t>(h)};
}

void kxReleaseWorkLock(KxWorkLock& lock, const std::string& lockPath) {
  if (!lock.held()) return;
  CloseHandle(reinterpret_cast<HANDLE>(lock.handle));
  DeleteFileA(lockPath.c_str());
  lock.handle = -1;
}
