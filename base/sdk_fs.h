// File-system and platform utilities of the SDKs.
//
// Thin wrappers over the operating system with a few rules of their own:
// directory parts drop a trailing separator (except at a root), missing
// directory levels are created one by one, and temporary files and folders
// are made exclusively under fresh names (sdk_fs_unique.h).
// Results are 1 for success and 0 for failure unless noted; nothing raises
// or prints. Path-splitting functions are pure text functions that accept
// both "\" and "/" and a leading drive letter on every platform; paths that
// the utilities compose use the host separator (kSdkHostSeparator).
// Functions that fill an SdkString clear it first.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/sdk_string.h"

#ifdef _WIN32
inline constexpr char kSdkHostSeparator = '\\';
// Whether "\" separates the levels of a local file's path. Off Windows it is
// an ordinary character of a file name ("back\slash.frm" is one name), and
// functions that derive names from local files take it as one.
inline constexpr bool kSdkHostBackslashSeparates = true;
#else
inline constexpr char kSdkHostSeparator = '/';
inline constexpr bool kSdkHostBackslashSeparates = false;
#endif

// Current directory, or empty when the query fails.
int sdkGetCwd(SdkString& out);
int sdkSetCwd(const char* path);
// 1 when the directory could be entered; the current directory is unchanged.
int sdkCanEnterDir(const char* path);

// A new, empty file in the temporary directory (TMPDIR on POSIX) whose name
// starts with the first three characters of prefix, made exclusively
// (owner only); the file is the caller's to use and delete. For a folder
// use sdkMakeTempDir, which makes the folder itself under a fresh name.
int sdkTempName(SdkString& out, const char* prefix);
// A new folder in the temporary directory (owner only), its name starting
// with the first three characters of prefix, made exclusively.
int sdkMakeTempDir(SdkString& out, const char* prefix = "kp_");

int sdkMakeDir(const char* path);
// Removes one empty directory.
int sdkRemoveDir(const char* path);
// Creates every missing level of the directory part of a file path (a
// directory path must end with a separator to have its last level created).
int sdkMakeDirs(const char* filePath);

// First name matching the wildcard pattern (in the current directory when
// the pattern has no directory part); names only.
int sdkFindFirst(SdkString& out, const char* pattern);

// Copies, replacing an existing destination.
int sdkCopyFile(const char* source, const char* destination);
// Moves, replacing an existing destination, copying across volumes, and
// writing through to the disk.
int sdkMoveFile(const char* source, const char* destination);
// Renames within one volume, never replacing: 0 when destination exists.
int sdkRenameNoReplace(const char* source, const char* destination);
int sdkDeleteFile(const char* path);
// Makes a finished temporary file the file at path, for good: flushes the
// temporary file's data to the disk, renames it over path (both in one
// folder) and, on POSIX, flushes that folder so that the rename survives a
// power cut as well. Without the flushes a power cut soon after can leave
// an empty file where the user's file was. 0 on failure, temporary file
// left in place for the caller to delete.
int sdkCommitFile(const char* temporary, const char* path);
// 1 when both paths exist and name one file (through links or other
// spellings too).
int sdkSameFile(const char* a, const char* b);
// 1 for an existing file or directory.
int sdkFileExists(const char* path);
int sdkIsDirectory(const char* path);
// Size in bytes; 0 when the file can't be opened.
std::int64_t sdkFileSize(const char* path);

// The whole file, or nothing when it can't be opened or read completely.
std::optional<std::string> sdkReadWholeFile(const char* path);
// Up to size bytes from offset; shortRead is set when fewer were read (end
// of file). Nothing when the file can't be opened, positioned or read.
std::optional<std::string> sdkReadFileWindow(const char* path, std::int64_t offset, std::size_t size,
                                             int& shortRead);
// Creates or truncates the file and writes the text.
int sdkWriteTextFile(const char* path, std::string_view text);
int sdkAppendTextFile(const char* path, std::string_view text);

// File name with extension: what follows the last separator or drive.
void sdkFileNamePart(SdkString& out, const char* path);
// Drive and directory; a trailing separator is removed unless the result
// is a root ("C:\", "/").
void sdkDirPart(SdkString& out, const char* path);
std::string sdkFileNamePart(std::string_view path);
std::string sdkDirPart(std::string_view path);
// dir + host separator + name (no doubled separator; empty dir gives name).
std::string sdkJoinPath(std::string_view dir, std::string_view name);

int sdkIsSeparator(int c);
char sdkLowerAsciiChar(char c);  // other bytes unchanged
void sdkLowerAscii(char* text);
void sdkLowerAscii(std::string& text);
long sdkPower(long base, int exponent);

// A process-local lock, re-entrant for the thread that holds it.
class SdkLock {
 public:
  void initialise() {}
  void enter() { mutex_.lock(); }
  void leave() { mutex_.unlock(); }
  void deleteLock() {}

 private:
  std::recursive_mutex mutex_;
};

// Holds an SdkLock for a scope.
class SdkLockGuard {
 public:
  explicit SdkLockGuard(SdkLock& lock) : lock_(lock) { lock_.enter(); }
  ~SdkLockGuard() { lock_.leave(); }
  SdkLockGuard(const SdkLockGuard&) = delete;
  SdkLockGuard& operator=(const SdkLockGuard&) = delete;

 private:
  SdkLock& lock_;
};

void sdkSleep(unsigned milliseconds);

// The temporary directory (no trailing separator); platform query.
std::string sdkTempDirectory();
