// PostScript Type 1 font files: unwrapping the segments of a PFB file and
// finding the font's name.
//
// A PFB file is a row of segments, each a 0x80 byte, a type byte (1 text,
// 2 binary, 3 end of file) and, except for type 3, a four-byte little-endian
// body length and the body. Unwrapped, the bodies follow each other
// unchanged. A segment that is cut short, runs past the end of the file or
// has an unknown type makes the file unusable: nothing outside the file is
// ever read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/ps_font_name.h"
#include "krmsdk/krm_source.h"

enum class KrmPfbStatus {
  kNotPfb,     // does not start like a PFB file: send it as it is
  kUnwrapped,  // the bodies were collected
  kMalformed,  // starts like a PFB file but its segments don't add up
};

// Whole-buffer form: the concatenated bodies in out when kUnwrapped.
KrmPfbStatus krmUnwrapPFB(const void* content, std::size_t size, std::string& out);
// Range form over an open file: the bodies' ranges in out when kUnwrapped.
// Reads only segment headers. A read failure counts as kMalformed.
KrmPfbStatus krmUnwrapPFBRanges(KrmFileSource& source, KrmRanges& out);

// "fonts/" + the font name of a font program's text (SdkFontNameScanner:
// the literal name after the first "FontName" token, on its line), or
// nothing when there is no such name.
std::optional<std::string> krmGetFontName(std::string_view text);

// The same search fed in pieces; it stops reading once the name is known.
class KrmFontNameScanner {
 public:
  void feed(const char* data, std::size_t size) { scanner_.feed(data, size); }
  // Ends the last line.
  void finish() { scanner_.finish(); }
  bool done() const { return scanner_.done(); }
  // "fonts/" + name, once found.
  std::optional<std::string> result() const;

 private:
  SdkFontNameScanner scanner_;
};
