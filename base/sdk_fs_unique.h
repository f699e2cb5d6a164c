// Files and folders under fresh names, made exclusively, and the removal of
// those a killed process left behind.
//
// A new name is a stem, six random letters or digits, and a suffix. It is
// taken only by creating it in one call that fails when anything, a link
// included, is already there; no file is ever opened, replaced or followed
// by a name chosen beforehand. While a process keeps such a file open (or
// holds it with SdkFileHold) the file counts as in use: an flock on POSIX, a
// handle that does not share deletion on Windows. sdkRemoveAbandoned removes
// a file only when no live process uses it, so a sweep for leftovers never
// takes the file of a run that is still going. One implementation per
// platform (sdk_fs_unique_posix.cpp, sdk_fs_unique_win32.cpp). Results are
// values; nothing raises or prints.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "base/sdk_string.h"

enum class SdkFileAccess {
  Private,  // the owner only: files in the shared temporary folder
  Shared,   // as the process's file-creation mask allows: outputs of the user
};

// A file made under a fresh name, open for writing (binary).
struct SdkNewFile {
  std::FILE* file = nullptr;
  std::string path;
  explicit operator bool() const { return file != nullptr; }
};

// Creates stem + six random characters + suffix exclusively; another name is
// tried while one is taken. file is null when none could be made.
SdkNewFile sdkCreateUniqueFile(const std::string& stem, const std::string& suffix, SdkFileAccess access);
// The part file of a writer of path: path + "." + six random characters +
// ".part", made exclusively, mode as the file-creation mask allows. Part
// files of path that killed writers left (no live process has them open)
// are removed first.
SdkNewFile sdkCreatePartFile(const std::string& path);
// Makes the folder parent/prefix + six random characters exclusively (owner
// only); out is cleared when none could be made.
int sdkMakeUniqueDir(SdkString& out, const std::string& parent, const char* prefix);
// Whether name is stem + six characters of the random alphabet + suffix.
bool sdkIsUniqueName(const std::string& name, const std::string& stem, const std::string& suffix);

// Removes path when it is a regular file of this user that no live process
// uses (never a link's target, never a folder); 1 when removed.
int sdkRemoveAbandoned(const char* path);
// Calls visit with the path of every entry of one folder named stem + six
// characters + suffix (stem may hold the folder) that was last changed at
// least minAge ago; returns how many visits answered true.
int sdkVisitUnique(const std::string& stem, const std::string& suffix, std::chrono::seconds minAge,
                   const std::function<bool(const std::string& path)>& visit);
// sdkVisitUnique removing the abandoned ones; returns how many went.
int sdkRemoveAbandonedUnique(const std::string& stem, const std::string& suffix, std::chrono::seconds minAge);

// Marks an existing file as in use by this process while the object lives
// (the holder may still rename or delete it).
class SdkFileHold {
 public:
  SdkFileHold() = default;
  explicit SdkFileHold(const char* path);
  ~SdkFileHold() { release(); }
  SdkFileHold(const SdkFileHold&) = delete;
  SdkFileHold& operator=(const SdkFileHold&) = delete;
  bool held() const { return handle_ != -1; }
  void release();

 private:
  std::intptr_t handle_ = -1;
};

// Platform parts.
// One exclusive creation of exactly path, marked as in use; null when taken.
std::FILE* sdkCreateNewFile(const std::string& path, SdkFileAccess access);
int sdkMakePrivateDir(const char* path);
std::intptr_t sdkHoldOpen(const char* path);
void sdkHoldClose(std::intptr_t handle);
