// Configuration lock files on Windows: LockFileEx on a handle opened
// without following a reparse point. The system drops the lock when the
// handle is closed, also when the holder's process dies. Every sharing mode
// is allowed, so the lock, not the open, is what keeps others out.
#include <windows.h>

#include "delivery/config_lock.h"

LockFileOpen configLockOpen(const std::string& lockPath, std::intptr_t& handle) {
  HANDLE h = CreateFileA(lockPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LockFileOpen::Failed;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    CloseHandle(h);
    return LockFileOpen::NotPlain;
  }
  handle = reinterpret_cast<std::intptr_t>(h);
  return LockFileOpen::Opened;
}

bool configLockTry(std::intptr_t handle) {
  OVERLAPPED at{};
  return LockFileEx(reinterpret_cast<HANDLE>(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                    &at) != 0;
}

void configLockClose(std::intptr_t handle) { CloseHandle(reinterpret_cast<HANDLE>(handle)); }
