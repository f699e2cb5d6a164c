// Font files: PFB unwrapping (whole buffer and ranges over the file must
// give the same bytes, never more than the file), the font name of the job
// library (whole text and fed in pieces must agree) and the font name the
// font page reads.
#include <cstddef>
#include <cstdint>
#include <string>

#include "delivery/printer_path.h"
#include "fuzz/fuzz_util.h"
#include "krmsdk/krm_font.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string path = qmfuzz::writeInput("font.pfb", input);

  std::string whole;
  KrmPfbStatus status = krmUnwrapPFB(data, size, whole);
  KrmFileSource source;
  qmfuzz::check(source.open(path.c_str()), "font file opens");
  KrmRanges ranges;
  KrmPfbStatus rangeStatus = krmUnwrapPFBRanges(source, ranges);
  qmfuzz::check(status == rangeStatus, "both unwrappers agree on the status");
  std::string text(input);
  if (status == KrmPfbStatus::kUnwrapped) {
    qmfuzz::check(whole.size() <= size, "unwrapped is never larger");
    qmfuzz::check(krmRangesSize(ranges) == static_cast<std::int64_t>(whole.size()), "same unwrapped size");
    std::string viaRanges;
    bool read = source.forEachPiece(ranges, 1000, [&](const unsigned char* p, std::size_t n) {
      viaRanges.append(reinterpret_cast<const char*>(p), n);
      return true;
    });
    qmfuzz::check(read && viaRanges == whole, "same unwrapped bytes");
    text = whole;
  }

  std::optional<std::string> name = krmGetFontName(text);
  KrmFontNameScanner scanner;
  std::size_t at = 0;
  unsigned step = static_cast<unsigned>(size) * 2654435761u;
  while (at < text.size() && !scanner.done()) {
    step = step * 1103515245u + 12345u;
    std::size_t piece = std::min<std::size_t>(text.size() - at, 1 + (step >> 16) % 97);
    scanner.feed(text.data() + at, piece);
    at += piece;
  }
  scanner.finish();
  qmfuzz::check(scanner.result() == name, "pieces give the same font name");
  if (name) qmfuzz::check(name->rfind("fonts/", 0) == 0, "font names live in fonts/");

  std::string pageName;
  ReadPostScriptFontName(path, pageName);
  return 0;
}
