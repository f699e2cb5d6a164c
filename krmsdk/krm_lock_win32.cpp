// Lock files on Windows: the lock file is created with no sharing and
// delete-on-close, so it exists exactly as long as a live holder keeps its
// handle open; the system closes the handle when the holder dies. It is
// made with CREATE_NEW, so anything already at the name (another holder's
// file, or a link planted there) keeps the lock busy instead of being
// opened.
#include <windows.h>

#include "krmsdk/krm_lock.h"

std::intptr_t krmTryLockPath(const std::string& lockPath) {
  HANDLE h = CreateFileA(lockPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  return reinterpret_cast<std::intptr_t>(h);
}

void krmReleaseLockPath(std::intptr_t handle, const std::string&) {
  CloseHandle(reinterpret_cast<HANDLE>(handle));
}
