// Removal of the DOS EPS binary header and preview.
#include "krmsdk/krm_eps.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

bool isEps(const unsigned char* header, std::size_t size) {
  static const unsigned char kMagic[4] = {0xC5, 0xD0, 0xD3, 0xC6};
  return size >= kKrmEpsHeaderSize && std::memcmp(header, kMagic, 4) == 0;
}

// The preview section, clamped to the part of the stream after the header
// (a hostile header can't make the cut reach outside the file).
KrmRange previewOf(const unsigned char* header, std::int64_t total) {
  std::uint32_t wmfOffset = le32(header + 12), wmfLength = le32(header + 16);
  std::uint32_t tiffOffset = le32(header + 20), tiffLength = le32(header + 24);
  std::int64_t offset = wmfOffset != 0 ? wmfOffset : tiffOffset;
  std::int64_t length = wmfOffset != 0 ? wmfLength : tiffLength;
  if (offset == 0) return {0, 0};
  std::int64_t start = std::clamp<std::int64_t>(offset, kKrmEpsHeaderSize, total);
  std::int64_t end = std::clamp<std::int64_t>(offset + length, start, total);
  return {start, end - start};
}

}  // namespace

KrmRanges krmProcessEPSRanges(const KrmRanges& ranges, const unsigned char* header,
                              std::size_t headerSize) {
  if (!isEps(header, headerSize)) return ranges;
  KrmRange preview = previewOf(header, krmRangesSize(ranges));
  KrmRanges cut = krmCutRanges(ranges, preview.offset, preview.length);
  return krmCutRanges(cut, 0, kKrmEpsHeaderSize);
}

std::optional<std::string> krmProcessEPS(const void* content, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(content);
  if (!isEps(bytes, size)) return std::nullopt;
  KrmRanges kept = krmProcessEPSRanges({{0, static_cast<std::int64_t>(size)}}, bytes, size);
  std::string out;
  out.reserve(static_cast<std::size_t>(krmRangesSize(kept)));
  for (const KrmRange& r : kept)
    out.append(reinterpret_cast<const char*>(bytes) + r.offset, static_cast<std::size_t>(r.length));
  return out;
}
