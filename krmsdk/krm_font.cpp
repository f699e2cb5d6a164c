// PFB unwrapping and font names.
#include "krmsdk/krm_font.h"

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

bool startsLikePfb(const unsigned char* p, std::size_t n) {
  return n >= 2 && p[0] == 0x80 && (p[1] == 0x01 || p[1] == 0x02);
}

// Walks the segment headers; read(offset, buffer, n) must fill n bytes or
// fail. Collects the body ranges.
template <class Read>
KrmPfbStatus walkSegments(std::int64_t size, Read&& read, KrmRanges& out) {
  unsigned char head[6];
  if (size < 2 || !read(0, head, 2) || !startsLikePfb(head, 2)) return KrmPfbStatus::kNotPfb;
  out.clear();
  std::int64_t at = 0;
  while (at < size) {
    if (size - at < 2 || !read(at, head, 2) || head[0] != 0x80) return KrmPfbStatus::kMalformed;
    if (head[1] == 3) break;
    if (head[1] != 1 && head[1] != 2) return KrmPfbStatus::kMalformed;
    if (size - at < 6 || !read(at, head, 6)) return KrmPfbStatus::kMalformed;
    std::int64_t length = le32(head + 2);
    at += 6;
    if (length > size - at) return KrmPfbStatus::kMalformed;
    if (length > 0) out.push_back({at, length});
    at += length;
  }
  return KrmPfbStatus::kUnwrapped;
}

}  // namespace

KrmPfbStatus krmUnwrapPFB(const void* content, std::size_t size, std::string& out) {
  const auto* bytes = static_cast<const unsigned char*>(content);
  KrmRanges ranges;
  KrmPfbStatus status = walkSegments(
      static_cast<std::int64_t>(size),
      [&](std::int64_t offset, unsigned char* buffer, std::size_t n) {
        std::memcpy(buffer, bytes + offset, n);
        return true;
      },
      ranges);
  if (status != KrmPfbStatus::kUnwrapped) return status;
  out.clear();
  for (const KrmRange& r : ranges)
    out.append(reinterpret_cast<const char*>(bytes) + r.offset, static_cast<std::size_t>(r.length));
  return status;
}

KrmPfbStatus krmUnwrapPFBRanges(KrmFileSource& source, KrmRanges& out) {
  return walkSegments(
      source.fileSize(),
      [&](std::int64_t offset, unsigned char* buffer, std::size_t n) {
        std::size_t got = 0;
        return source.readAt(offset, buffer, n, got) && got == n;
      },
      out);
}

std::optional<std::string> KrmFontNameScanner::result() const {
  std::optional<std::string> name = scanner_.name();
  if (!name) return std::nullopt;
  return "fonts/" + *name;
}

std::optional<std::string> krmGetFontName(std::string_view text) {
  KrmFontNameScanner scanner;
  scanner.feed(text.data(), text.size());
  scanner.finish();
  return scanner.result();
}
