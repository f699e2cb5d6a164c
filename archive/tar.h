// The tar code behind ArchiveHandler: header blocks, the record buffer with
// its volume layer, creation, and reading (extract and list).
//
// All archive input and output goes through one record of blocking-factor
// times 512 bytes. Creation writes old-style headers (no magic) that GNU tar
// and Python read; reading also takes POSIX ustar (name prefix), GNU
// ("ustar  " magic, long names) and pax extended headers. Nothing is ever
// sized by a number read from an archive without a bound.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "archive/archive_state.h"
#include "base/sdk_fs_unique.h"

inline constexpr int kTarBlock = 512;
inline constexpr int kTarDefaultBlocking = 20;
inline constexpr std::size_t kTarNameField = 100;

struct TarHeader {
  std::string name;
  std::string linkName;
  char type = '0';
  std::int64_t size = 0;
  unsigned mode = 0644;
  std::int64_t mtime = 0;
  unsigned long uid = 0;
  unsigned long gid = 0;
  unsigned long deviceMajor = 0;
  unsigned long deviceMinor = 0;
};

enum class TarHeaderStatus { kValid, kEnd, kBadChecksum, kBadField };

// tar_header.cpp. Encoding expects a name and link name shorter than 100.
void tarEncodeHeader(const TarHeader& header, char* block);
TarHeaderStatus tarDecodeHeader(const char* block, TarHeader& header);
// Data blocks of an entry with this header (type "1" has none).
std::int64_t tarDataBytes(const TarHeader& header);

struct TarOptions {
  bool create = false;
  bool extract = false;
  bool list = false;
  bool verbose = false;
  bool keep = false;
  bool reblock = false;
  int blocking = kTarDefaultBlocking;
  std::string archive;
  std::vector<std::string> names;
  bool projectMode = false;  // first ".kpf" / ".KPF" entry only
  bool namedMode = false;    // the entry named wantedName only
  std::string wantedName;
};

// Record output with volumes (tar_buffer.cpp). The archive and each volume
// are written into part files beside their names (made exclusively under
// fresh names, sdk_fs_unique.h) and renamed into place when the writer
// finishes (all volumes at the end), so a process
// killed while writing leaves an older container of the same name whole. A
// cancelled creation still renames what it wrote; a failed write removes
// its part files.
class TarWriter {
 public:
  TarWriter(ArchiveState& state, int blocking);
  ~TarWriter();
  TarWriter(const TarWriter&) = delete;
  TarWriter& operator=(const TarWriter&) = delete;

  // Allocates the record and creates the archive file (or first volume).
  // False with the error recorded.
  bool open(const std::string& path);
  // Room for data at the current position of the record: at least one
  // block, a multiple of 512 bytes. Null once writing has stopped.
  char* space(std::size_t& capacity);
  // Marks bytes of the space as used, zero-filling up to the next block.
  void commit(std::size_t bytes);
  // Writes zero-filled data, rounded up to whole blocks.
  void zeros(std::int64_t bytes);
  // Offset of the next block in the whole output (all volumes).
  std::int64_t position() const { return flushed_ + static_cast<std::int64_t>(used_); }
  // Replaces the block written at an earlier position (a header whose
  // entry came out shorter); false when that fails.
  bool patch(std::int64_t position, const char* block);
  // Ends the archive: two zero blocks, the rest of the record zeroed, the
  // last record written, the file closed.
  void finish();
  bool stopped() const { return stopped_; }

 private:
  bool flushRecord();
  bool startVolume();
  void closeFile();
  // Opens the part file of a final path and remembers the pair.
  std::FILE* createPart(const std::string& path);
  // Renames the part files over their final names (or removes them after a
  // failed write).
  void commitParts();

  ArchiveState& state_;
  std::size_t recordSize_;
  std::vector<char> record_;
  std::size_t used_ = 0;
  std::int64_t flushed_ = 0;  // bytes written out before the record
  std::FILE* file_ = nullptr;
  std::string path_;  // final name of the file being written
  std::vector<std::pair<std::string, std::string>> parts_;  // final name, part file; in order of writing
  std::vector<std::unique_ptr<SdkFileHold>> holds_;  // one per part file
  bool stopped_ = false;
  bool writeFailed_ = false;
};

// Record input (tar_buffer.cpp). Reads whole records and accepts a short
// last record of whole blocks.
class TarReader {
 public:
  TarReader(ArchiveState& state, int blocking);
  ~TarReader();
  TarReader(const TarReader&) = delete;
  TarReader& operator=(const TarReader&) = delete;

  bool open(const std::string& path);
  void close();
  // The next block, or null at the end of the data; failTag then tells
  // why: kTagMissingEnd (clean end), kTagPartialBlock, kTagReadErrors.
  const char* block(int& failTag);
  // Up to `wanted` bytes (rounded up to whole blocks) of entry data: returns
  // the pointer and sets available (> 0), or null when the archive ends.
  const char* data(std::int64_t wanted, std::size_t& available, int& failTag);
  // Skips entry data rounded up to whole blocks; false when the archive
  // ends first (failTag set).
  bool skip(std::int64_t bytes, int& failTag);

 private:
  bool fill(int& failTag);

  ArchiveState& state_;
  std::size_t recordSize_;
  std::vector<char> record_;
  std::size_t valid_ = 0;  // whole blocks in the record
  std::size_t pos_ = 0;
  bool partial_ = false;  // the last read ended inside a block
  std::FILE* file_ = nullptr;
  std::int64_t length_ = -1;      // archive length when seekable
  std::int64_t nextOffset_ = 0;   // file offset after the record
};

// tar_create.cpp, tar_list.cpp.
void tarCreate(ArchiveState& state, const TarOptions& options, const std::string& baseFolder);
void tarExtract(ArchiveState& state, const TarOptions& options, const std::string& targetFolder);
void tarList(ArchiveState& state, const TarOptions& options);
