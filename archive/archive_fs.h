// File-system calls of the archive layer.
//
// The few operating-system services that the zip and tar code need beyond
// the base utilities: file status with identity and device numbers, the kind
// of a path without following a final link, creating a new file with given
// permission bits, hard links and file times. One implementation per
// platform (archive_fs_posix.cpp, archive_fs_win32.cpp). Functions report
// failure by their result and leave the system error number in errno, so
// that archiveErrorText describes it; nothing throws or prints.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

enum class ArchivePathKind { kMissing, kFile, kDirectory, kLink, kCharDevice, kBlockDevice, kOther };

struct ArchiveFileInfo {
  ArchivePathKind kind = ArchivePathKind::kMissing;
  std::int64_t size = 0;
  std::int64_t mtime = 0;  // seconds since 1970, UTC
  unsigned mode = 0;       // permission bits
  unsigned long uid = 0;
  unsigned long gid = 0;
  unsigned long links = 1;
  // Device and inode identify a file for hard-link detection; hasIdentity is
  // false where the platform cannot tell.
  bool hasIdentity = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  unsigned long deviceMajor = 0;  // of a character or block device
  unsigned long deviceMinor = 0;
};

// Status of the file a path names, following links. False when it cannot
// be examined.
bool archiveStat(const std::string& path, ArchiveFileInfo& info);
// Kind of the path itself: a final symbolic link (or reparse point) is
// kLink, not what it points at.
ArchivePathKind archivePathKind(const std::string& path);

// Opens a file for reading raw bytes.
std::FILE* archiveOpenRead(const std::string& path);
// Creates a new file for writing raw bytes with the permission bits (masked
// by the process's file-creation mask); fails when the path exists, so a
// link in its place is never followed.
std::FILE* archiveCreateNew(const std::string& path, unsigned mode);
// Opens an existing regular file for reading and writing in place; a link
// at the path is not followed.
std::FILE* archiveOpenUpdate(const std::string& path);
bool archiveMakeDir(const std::string& path);
// Removes a file or a symbolic link (never what the link points at).
bool archiveRemoveFile(const std::string& path);
bool archiveHardLink(const std::string& existing, const std::string& newPath);
// Sets the modification (and, where kept, creation) time; keeps the access
// time.
bool archiveSetFileTime(const std::string& path, std::int64_t mtime);

// Holds a lock on a folder, between processes, until archiveUnlockFolder:
// writers of one volume set rename their volumes into it one set after the
// other. -1 where it cannot be taken (on Windows there is none; the renames
// then go unguarded).
std::intptr_t archiveLockFolder(const std::string& folder);
void archiveUnlockFolder(std::intptr_t handle);

// Broken-down local time of a time in seconds since 1970; false when the
// platform cannot convert it.
bool archiveLocalTime(std::int64_t time, struct tm& out);
// Seeks an open file to an absolute 64-bit offset.
bool archiveSeek(std::FILE* file, std::int64_t offset);
// Length of an open file, or -1 (not a seekable file).
std::int64_t archiveFileLength(std::FILE* file);

// Bytes the current user may still write in the folder's file system, or
// -1 when the platform cannot tell.
std::int64_t archiveFreeSpace(const std::string& folder);

// Text of the system error number (errno).
std::string archiveErrorText();
