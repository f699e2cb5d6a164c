// Data to transfer as a list of byte ranges of one local file, so that a
// file's content can be cut (EPS preview, PFB segment headers) without
// loading it. Reading goes piece by piece.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/sdk_file_kind.h"

struct KrmRange {
  std::int64_t offset = 0;
  std::int64_t length = 0;
};
using KrmRanges = std::vector<KrmRange>;

std::int64_t krmRangesSize(const KrmRanges& ranges);
// The ranges without the logical bytes [start, start + length) of the
// stream they describe (positions count over the ranges in order).
KrmRanges krmCutRanges(const KrmRanges& ranges, std::int64_t start, std::int64_t length);

// An open local file read through a list of ranges. Only regular files
// open: a device or FIFO would never end or never answer. The size is the
// opened file's, so reading stops there even if the file grows meanwhile.
class KrmFileSource {
 public:
  // False when the file can't be opened or is no regular file; links are
  // followed only with SdkLinks::kFollow (files the operator named).
  bool open(const char* path, SdkLinks links = SdkLinks::kFollow);
  // What open found at the path (kRegular after a failed open of a file).
  SdkFileKind kind() const { return kind_; }
  std::int64_t fileSize() const { return size_; }
  // Reads up to size bytes at an absolute offset; fewer only at the end.
  // False on a read error or a bad position.
  bool readAt(std::int64_t offset, void* buffer, std::size_t size, std::size_t& got);
  // Calls sink(data, n) for the ranges' bytes in pieces of at most piece
  // bytes; stops with false when a read fails, comes back short, or sink
  // returns false.
  template <class Sink>
  bool forEachPiece(const KrmRanges& ranges, std::size_t piece, Sink&& sink) {
    std::vector<unsigned char> buf(piece);
    for (const KrmRange& r : ranges) {
      std::int64_t done = 0;
      while (done < r.length) {
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(r.length - done, piece));
        std::size_t got = 0;
        if (!readAt(r.offset + done, buf.data(), want, got) || got != want) return false;
        if (!sink(buf.data(), got)) return false;
        done += static_cast<std::int64_t>(got);
      }
    }
    return true;
  }

 private:
  SdkFilePtr file_;
  SdkFileKind kind_ = SdkFileKind::kMissing;
  std::int64_t size_ = 0;
  std::int64_t position_ = -1;
};

class KrmStream;

// Opens for a job a file that a project names: no link is followed, since
// a project from elsewhere could point one anywhere on the host. Fails the
// stream with 1003 when nothing is there (or a folder), 1012 when it is a
// link or special file or cannot be read, 1023 when it is larger than a job
// embeds; refuses the job's own output as input. Returns the stream's result.
int krmOpenProjectFile(KrmStream& stream, const std::string& path, KrmFileSource& source);
