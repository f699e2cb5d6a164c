// Lock files that serialise writers of one output path (and of the debug
// log) across threads and processes.
//
// The lock for a target path is a file in the temporary directory named
// after the target (every "\", "/", "." and ":" removed, ".krm.sem"
// appended, cut from the front to fit). Taking it tries 122 times, 1 ms
// apart, then gives up. The lock belongs to the open handle, not to the
// file's existence: the operating system drops it when the holder's process
// dies, so a crashed writer never blocks later jobs; a live holder still
// keeps every other writer, in any process, out. A link or another user's
// file at the lock's name is never followed or opened: the lock fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct KrmLockHandle {
  std::intptr_t handle = -1;
  std::string path;
  bool valid() const { return handle != -1; }
};

// Name of the lock file of a target path (no directory).
std::string krmLockName(std::string_view targetPath, std::size_t tempDirLength);
// Full path of the lock file of a target path.
std::string krmLockPath(std::string_view targetPath);

// Takes the lock of the target path; an invalid handle when it stays busy.
KrmLockHandle krmLockFile(const char* targetPath);
// Releases the lock and deletes its file.
void krmUnlockFile(KrmLockHandle& lock);

// One attempt on the lock file (platform part). Returns the handle or -1.
std::intptr_t krmTryLockPath(const std::string& lockPath);
// Deletes the lock file, then drops the handle (platform part).
void krmReleaseLockPath(std::intptr_t handle, const std::string& lockPath);
