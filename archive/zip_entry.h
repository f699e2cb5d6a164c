// The central-directory record of the current zip entry, with true sizes.
//
// The zip library hands out 64-bit sizes but on some systems leaves them at
// 0xFFFFFFFF when the real value sits in the Zip64 extra field (its test
// compares against an all-ones unsigned long, which is wider there). Every
// reader of entry sizes (listing, free-space and limit checks, extraction)
// goes through here, so a 5 GB entry is 5 GB everywhere.
#pragma once

#include <unzip.h>

#include <cstdint>
#include <string>

struct ZipEntryInfo {
  std::string name;  // as stored
  std::int64_t size = 0;        // uncompressed
  std::int64_t compressed = 0;
  tm_unz date{};
};

// Reads the current entry of zip. Returns UNZ_OK or the library's error.
int zipCurrentEntry(unzFile zip, ZipEntryInfo& entry);
