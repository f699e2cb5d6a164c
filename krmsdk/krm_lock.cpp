// Lock file names and the retry budget; the platform parts live in
// krm_lock_posix.cpp and krm_lock_win32.cpp.
#include "krmsdk/krm_lock.h"

#include "base/sdk_fs.h"
#include "krmsdk/krm_lifetime.h"

namespace {
constexpr int kLockAttempts = 122;
constexpr std::size_t kMaxNameLength = 256;
constexpr std::size_t kMaxPathLength = 512;
}  // namespace

std::string krmLockName(std::string_view targetPath, std::size_t tempDirLength) {
  std::string name;
  name.reserve(targetPath.size() + 8);
  for (char c : targetPath)
    if (c != '\\' && c != '/' && c != '.' && c != ':') name += c;
  name += ".krm.sem";
  if (name.size() > kMaxNameLength) name.erase(0, name.size() - kMaxNameLength);
  if (tempDirLength < kMaxPathLength && tempDirLength + name.size() > kMaxPathLength)
    name.erase(0, name.size() - (kMaxPathLength - tempDirLength));
  return name;
}

std::string krmLockPath(std::string_view targetPath) {
  std::string dir = krmTempDirectory();
  return sdkJoinPath(dir, krmLockName(targetPath, dir.size()));
}

KrmLockHandle krmLockFile(const char* targetPath) {
  KrmLockHandle lock;
  if (targetPath == nullptr) return lock;
  lock.path = krmLockPath(targetPath);
  sdkMakeDirs(lock.path.c_str());
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (attempt > 0) sdkSleep(1);
    lock.handle = krmTryLockPath(lock.path);
    if (lock.valid()) return lock;
  }
  return lock;
}

void krmUnlockFile(KrmLockHandle& lock) {
  if (lock.valid()) krmReleaseLockPath(lock.handle, lock.path);
  lock.handle = -1;
}
