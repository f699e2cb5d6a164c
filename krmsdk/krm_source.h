// Data to transfer as a list of byte ranges of one local file, so that a
// file's content can be cut (EPS preview, PFB segment headers) without
// loading it. Reading goes piece by piece.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct KrmRange {
  std::int64_t offset = 0;
  std::int64_t length = 0;
};
using KrmRanges = std::vector<KrmRange>;

std::int64_t krmRangesSize(const KrmRanges& ranges);
// The ranges without the logical bytes [start, start + length) of the
// stream they describe (positions count over the ranges in order).
KrmRanges krmCutRanges(const KrmRanges& ranges, std::int64_t start, std::int64_t length);

// An open local file read through a list of ranges.
class KrmFileSource {
 public:
  // False when the file can't be opened.
  bool open(const char* path);
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
  struct Closer {
    void operator()(std::FILE* f) const {
      if (f) std::fclose(f);
    }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::int64_t size_ = 0;
  std::int64_t position_ = -1;
};
