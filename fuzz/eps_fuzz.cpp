// DOS EPS binary files: the whole-buffer cut and the cut over a range list
// (the file split into pieces, as a transfer sees it after other cuts) must
// keep the same bytes; the result is the file without its header and at
// most one preview, in order.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_util.h"
#include "krmsdk/krm_eps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<std::string> whole = krmProcessEPS(data, size);
  const bool magic = size >= 4 && data[0] == 0xC5 && data[1] == 0xD0 && data[2] == 0xD3 && data[3] == 0xC6;
  qmfuzz::check(whole.has_value() == (magic && size >= kKrmEpsHeaderSize), "EPS recognised by magic and size");

  // The same stream as a list of ranges cut at pseudo-random points.
  KrmRanges ranges;
  unsigned state = static_cast<unsigned>(size) + 17;
  for (std::size_t at = 0; at < size;) {
    state = state * 1103515245u + 12345u;
    std::size_t n = std::min<std::size_t>(size - at, 1 + (state >> 16) % 64);
    ranges.push_back({static_cast<std::int64_t>(at), static_cast<std::int64_t>(n)});
    at += n;
  }
  KrmRanges kept = krmProcessEPSRanges(ranges, data, std::min(size, kKrmEpsHeaderSize));
  std::string viaRanges;
  std::int64_t lastEnd = -1;
  for (const KrmRange& r : kept) {
    qmfuzz::check(r.offset >= 0 && r.length > 0 && r.offset + r.length <= static_cast<std::int64_t>(size),
                  "ranges inside the file");
    qmfuzz::check(r.offset >= lastEnd, "ranges in file order");
    lastEnd = r.offset + r.length;
    viaRanges.append(reinterpret_cast<const char*>(data) + r.offset, static_cast<std::size_t>(r.length));
  }
  if (whole) {
    qmfuzz::check(viaRanges == *whole, "ranges keep the same bytes");
    qmfuzz::check(whole->size() + kKrmEpsHeaderSize <= size, "header always removed");
  } else {
    qmfuzz::check(viaRanges == std::string(reinterpret_cast<const char*>(data), size), "other files unchanged");
  }
  return 0;
}
