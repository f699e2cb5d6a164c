// Whether the volumes of a set follow on from one another.
//
// A volume set is one tar stream cut at record boundaries, and the volumes
// carry nothing of their own. What can be checked is that the stream, fed
// volume by volume as it is joined, is a tar archive throughout: an entry
// header wherever the entry before ends, zero padding after an entry's last
// byte, the end blocks in the last volume and only zeros after them. A
// volume that breaks this is named; volumes swapped, repeated or taken from
// another set whose cuts fall inside one entry's data cannot be told apart
// (docs/archive.md).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class KxVolumeFlow {
 public:
  // Volume `index` (from 1) starts with the next byte fed.
  void startVolume(long index);
  // The bytes of the stream in order; false once it has broken (reason()).
  bool feed(const char* data, std::size_t size);
  // After the last volume; false when the archive does not end in it.
  bool finish();
  // The volume where the stream broke, and a text saying how.
  long brokenVolume() const { return brokenVolume_; }
  const std::string& reason() const { return reason_; }

 private:
  enum class Expect { kHeader, kData, kTrailer, kUnchecked };
  bool block(const char* data);
  bool fail(long volume, const char* why);

  char block_[512] = {};
  std::size_t fill_ = 0;
  std::int64_t offset_ = 0;  // of the next block in the stream
  Expect expect_ = Expect::kHeader;
  std::int64_t dataBlocks_ = 0;    // left of the current entry
  std::size_t lastBlockBytes_ = 0;  // of the entry's data in its last block
  long volume_ = 0;
  long blockVolume_ = 0;  // the volume that began the block being filled
  std::int64_t lastVolumeStart_ = 0;
  std::int64_t endAt_ = -1;  // offset of the first end block
  long endVolume_ = 0;
  long brokenVolume_ = 0;
  std::string reason_;
};
