#include "kpsdk/kx_work_folder.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "base/sdk_fs.h"
#include "kpsdk/kx_tree.h"

namespace fs = std::filesystem;

namespace {

constexpr char kLockSuffix[] = ".lock";
constexpr std::size_t kRandomLength = 6;
constexpr char kRandomLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string randomName(const std::string& prefix) {
  static thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kRandomLetters - 2);
  std::string name = prefix;
  for (std::size_t i = 0; i < kRandomLength; ++i) name += kRandomLetters[pick(random)];
  return name;
}

// True for prefix followed by exactly the random part.
bool isWorkFolderName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + kRandomLength || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i)
    if (std::string_view(kRandomLetters).find(name[i]) == std::string_view::npos) return false;
  return true;
}

}  // namespace

std::unique_ptr<KxWorkFolder> KxWorkFolder::make(const std::string& parent, const std::string& prefix) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = sdkJoinPath(parent, randomName(prefix));
    const std::string lockPath = path + kLockSuffix;
    // The lock first: a folder is never seen without its held lock.
    KxWorkLock lock = kxCreateWorkLock(lockPath);
    if (!lock.held()) {
      if (!sdkIsDirectory(parent.c_str())) return nullptr;
      continue;
    }
    if (sdkMakeDir(path.c_str())) return std::unique_ptr<KxWorkFolder>(new KxWorkFolder(path, lock));
    kxReleaseWorkLock(lock, lockPath);
  }
  return nullptr;
}

KxWorkFolder::~KxWorkFolder() {
  if (!lock_.held()) return;
  kxRemoveTree(path_);
  kxReleaseWorkLock(lock_, path_ + kLockSuffix);
}

void KxWorkFolder::release() { kxReleaseWorkLock(lock_, path_ + kLockSuffix); }

int kxSweepAbandoned(const std::string& parent, const std::string& prefix) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (!isWorkFolderName(name, prefix) || it->is_symlink(typeError) || !it->is_directory(typeError)) continue;
    const std::string path = it->path().string();
    const std::string lockPath = path + kLockSuffix;
    KxWorkLock lock = kxTakeAbandonedLock(lockPath);
    if (!lock.held()) continue;
    // Removed while holding the lock, so that no other sweeper takes it.
    if (kxRemoveTree(path)) ++removed;
    kxReleaseWorkLock(lock, lockPath);
  }
  return removed;
}
