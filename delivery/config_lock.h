// The lock that serialises changes to one configuration file across
// threads and processes.
//
// A change reads the file, changes its copy and renames the new text over
// the file; two programs doing that at once would each keep only their own
// change. So every change holds this lock from its re-read to its rename.
// The lock is an operating-system lock on a lock file beside the
// configuration (its name plus ".lock"), held through an open handle: it
// ends when the holder closes it or its process dies, so a crashed program
// never blocks later ones. The lock file holds no data and is left in place
// (deleting it would let two holders lock different files). It is opened
// without following a symbolic link and must be a plain file; anything else
// there is an error, never something to wait on.
//
// Within one process the lock is re-entrant for the thread that holds it
// (a command may hold it around a check and the save that follows); other
// threads wait as other processes do. Taking it waits at most the given
// time, then gives up with a message that names the file.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// How long a change waits for another program's change to finish.
inline constexpr std::chrono::milliseconds kConfigLockWait{10000};

// The lock file of a configuration file.
std::string configLockPath(const std::string& configPath);

class ConfigLock {
 public:
  explicit ConfigLock(const std::string& configPath, std::chrono::milliseconds wait = kConfigLockWait);
  ~ConfigLock();
  ConfigLock(const ConfigLock&) = delete;
  ConfigLock& operator=(const ConfigLock&) = delete;

  bool held() const { return held_; }
  // Why the lock is not held; empty when it is.
  const std::string& error() const { return error_; }

 private:
  std::string key_;
  bool held_ = false;
  std::string error_;
};

// The platform part: one lock file handle.
enum class LockFileOpen {
  Opened,
  Failed,       // cannot be created or opened
  NotPlain,     // a link, folder, pipe or device is there
};
// Opens (creating when missing) the lock file without following a link;
// handle is set on Opened.
LockFileOpen configLockOpen(const std::string& lockPath, std::intptr_t& handle);
// One attempt at the exclusive lock; never waits.
bool configLockTry(std::intptr_t handle);
// Drops the lock and closes the handle.
void configLockClose(std::intptr_t handle);
