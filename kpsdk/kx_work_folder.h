// Private folders that one opening works in, and the clean-up of those
// that a killed process left behind.
//
// A work folder is parent/<prefix>XXXXXX (six random letters and digits,
// made with mkdir, which fails when the name exists, and retried) with a
// lock file beside it, parent/<prefix>XXXXXX.lock. The lock file is
// created exclusively and locked before the folder is made, and stays
// locked while the object lives; the lock is the operating system's and
// goes with the process, whatever ends it. A folder whose lock file can be
// locked therefore belongs to no live process, and kxSweepAbandoned
// removes it. Only folders of that exact name pattern that are real
// folders (not links) with a lock file (not a link) beside them are ever
// touched; a folder without its lock file is left alone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The lock of one work folder (platform part: kx_work_lock_posix.cpp,
// kx_work_lock_win32.cpp). Every call is 0/false on failure; nothing
// throws.
struct KxWorkLock {
  std::intptr_t handle = -1;
  bool held() const { return handle != -1; }
};
// Creates the lock file (failing when it exists) and locks it.
KxWorkLock kxCreateWorkLock(const std::string& lockPath);
// Locks an existing lock file that no live process holds; not through a
// link. Not held when its owner lives, or on any failure.
KxWorkLock kxTakeAbandonedLock(const std::string& lockPath);
// Unlocks, then deletes the lock file.
void kxReleaseWorkLock(KxWorkLock& lock, const std::string& lockPath);

class KxWorkFolder {
 public:
  // Makes a new work folder below parent; null when none can be made.
  static std::unique_ptr<KxWorkFolder> make(const std::string& parent, const std::string& prefix);
  // Removes the folder with everything below it, then releases the lock.
  ~KxWorkFolder();
  KxWorkFolder(const KxWorkFolder&) = delete;
  KxWorkFolder& operator=(const KxWorkFolder&) = delete;

  const std::string& path() const { return path_; }
  // Keeps the folder (its owner removes what it placed) and releases the
  // lock; the object then does nothing more.
  void release();

 private:
  KxWorkFolder(std::string path, KxWorkLock lock) : path_(std::move(path)), lock_(lock) {}
  std::string path_;
  KxWorkLock lock_;
};

// Removes every work folder of that prefix below parent whose process is
// gone; returns how many.
int kxSweepAbandoned(const std::string& parent, const std::string& prefix);
