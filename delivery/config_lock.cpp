#include "delivery/config_lock.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

namespace {

struct HeldLock {
  std::intptr_t handle = -1;
  int depth = 0;
  std::thread::id owner;
};

// The locks this process holds, by lock file.
std::mutex& heldMutex() {
  static std::mutex mutex;
  return mutex;
}
std::map<std::string, HeldLock>& heldLocks() {
  static std::map<std::string, HeldLock> locks;
  return locks;
}

std::string waitText(std::chrono::milliseconds wait) {
  if (wait.count() % 1000 == 0) return std::to_string(wait.count() / 1000) + " seconds";
  return std::to_string(wait.count()) + " ms";
}

}  // namespace

std::string configLockPath(const std::string& configPath) { return configPath + ".lock"; }

ConfigLock::ConfigLock(const std::string& configPath, std::chrono::milliseconds wait) {
  const std::string lockPath = configLockPath(configPath);
  // One spelling per file, so that re-entry finds the held lock.
  std::error_code ec;
  key_ = std::filesystem::absolute(lockPath, ec).lexically_normal().string();
  if (ec) key_ = lockPath;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(heldMutex());
      HeldLock& entry = heldLocks()[key_];
      if (entry.depth > 0 && entry.owner == std::this_thread::get_id()) {
        ++entry.depth;
        held_ = true;
        return;
      }
      if (entry.depth == 0) {
        std::intptr_t handle = -1;
        const LockFileOpen opened = configLockOpen(lockPath, handle);
        if (opened != LockFileOpen::Opened) {
          heldLocks().erase(key_);
          error_ = opened == LockFileOpen::NotPlain
                       ? "the lock file '" + lockPath + "' of the configuration file '" + configPath +
                             "' is not a plain file"
                       : "cannot open the lock file '" + lockPath + "' of the configuration file '" + configPath + "'";
          return;
        }
        if (configLockTry(handle)) {
          entry = {handle, 1, std::this_thread::get_id()};
          held_ = true;
          return;
        }
        configLockClose(handle);
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error_ = "the configuration file '" + configPath + "' is being changed by another program: its lock file '" +
               lockPath + "' stayed taken for " + waitText(wait);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

ConfigLock::~ConfigLock() {
  if (!held_) return;
  std::lock_guard<std::mutex> guard(heldMutex());
  auto entry = heldLocks().find(key_);
  if (entry == heldLocks().end() || --entry->second.depth > 0) return;
  configLockClose(entry->second.handle);
  heldLocks().erase(entry);
}
