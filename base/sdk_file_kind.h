// Regular files, told apart from links and special files, and opened for
// reading without a window between the check and the open.
//
// A file that a project names is opened with SdkLinks::kRefuse: a symbolic
// link (on Windows any reparse point) is refused, whatever it points to,
// since it could lead anywhere on the host. A file the operator names
// directly is opened with SdkLinks::kFollow: a link is followed, but what it
// leads to must be a regular file too. Either way devices, FIFOs, sockets
// and folders are refused before anything blocks on them or reads without
// end, and the size is taken from the opened file itself, so it is known
// before any byte is read. Nothing raises; an unopened result holds no file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

enum class SdkLinks { kRefuse, kFollow };

enum class SdkFileKind {
  kMissing,   // nothing there, or it cannot be looked at
  kRegular,   // a regular file (reached through a link only with kFollow)
  kDirectory,
  kLink,      // a symbolic link or reparse point, under kRefuse
  kSpecial,   // a device, FIFO, socket or anything else
};

// What is at path, looked at without opening it (sdkFileSize opens the
// file, which blocks on a FIFO); size, when given, gets a regular file's
// size, else 0.
SdkFileKind sdkFileKindOf(const char* path, SdkLinks links, std::int64_t* size = nullptr);

struct SdkFileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using SdkFilePtr = std::unique_ptr<std::FILE, SdkFileCloser>;

struct SdkRegularFile {
  SdkFileKind kind = SdkFileKind::kMissing;  // kRegular when file is open
  SdkFilePtr file;                           // opened "rb"; null when refused
  std::int64_t size = 0;                     // of the opened file
};

// Opens path for binary reading when it is a regular file. kind tells why
// not otherwise; kRegular without a file means the open itself failed (no
// permission, or it changed into something else on the way).
SdkRegularFile sdkOpenRegularFile(const char* path, SdkLinks links);
