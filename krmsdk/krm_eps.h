// DOS EPS binary files: a 30-byte header (magic C5 D0 D3 C6, then the
// offsets and lengths of the PostScript, WMF and TIFF sections, little
// endian, and a checksum) in front of the sections. Transfers drop the
// header and one preview section (WMF when its offset is set, else TIFF)
// and keep everything else in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "krmsdk/krm_source.h"

inline constexpr std::size_t kKrmEpsHeaderSize = 30;

// The content without header and preview, or nothing when the content is
// not a DOS EPS binary file (no magic, or shorter than the header).
std::optional<std::string> krmProcessEPS(const void* content, std::size_t size);

// The same cut on a range list whose first bytes are header (at least the
// first 30 bytes of the stream, fewer when the stream is shorter). Returns
// the ranges unchanged for other content.
KrmRanges krmProcessEPSRanges(const KrmRanges& ranges, const unsigned char* header,
                              std::size_t headerSize);
