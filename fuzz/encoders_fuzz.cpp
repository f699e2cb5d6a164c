// Hexadecimal and ASCII85 encoders against decoders: any data, any group
// and line setting must decode to the same bytes; the incremental encoders
// fed in pieces must give exactly the whole-buffer transfer form.
//
// Input: group byte, line byte (both read as signed), then the data.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_util.h"
#include "krmsdk/krm_encode.h"

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string decodeHex(const std::string& text, bool bracketed) {
  if (bracketed) {
    qmfuzz::check(text.size() >= 2 && text.front() == '<' && text.back() == '>', "hex groups in brackets");
  }
  std::string out;
  int high = -1;
  for (char c : text) {
    if (c == '\n' || c == '<' || c == '>') {
      qmfuzz::check(high < 0, "no break inside a byte");
      if (!bracketed) qmfuzz::check(c == '\n', "no brackets without groups");
      continue;
    }
    int v = hexValue(c);
    qmfuzz::check(v >= 0, "only upper-case hex digits");
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  qmfuzz::check(high < 0, "whole bytes");
  return out;
}

// Blocks opened by an optional "<~" and closed by "~>", "z" for a zero
// group, a short last group per block.
std::string decodeAscii85(const std::string& text) {
  std::string out;
  std::string digits;
  auto flush = [&](bool end) {
    if (digits.empty()) return;
    qmfuzz::check(digits.size() == 5 || (end && digits.size() >= 2), "group sizes");
    std::size_t k = digits.size() - 1;
    std::string padded = digits + std::string(5 - digits.size(), 'u');
    std::uint64_t v = 0;
    for (char c : padded) v = v * 85 + static_cast<std::uint64_t>(c - 33);
    qmfuzz::check(v <= 0xFFFFFFFFu, "group value fits");
    for (std::size_t i = 0; i < k; ++i) out += static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
    digits.clear();
  };
  bool closed = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\n') continue;
    // "<" is also a digit; it opens a block only where a block may start.
    if (c == '<' && i + 1 < text.size() && text[i + 1] == '~' && (i == 0 || closed)) {
      closed = false;
      ++i;
      continue;
    }
    if (c == '~' && i + 1 < text.size() && text[i + 1] == '>') {
      flush(true);
      closed = true;
      ++i;
      continue;
    }
    qmfuzz::check(!closed || c == '<', "nothing after the end mark but a new block");
    if (c == 'z') {
      qmfuzz::check(digits.empty(), "z only between groups");
      out.append(4, '\0');
      continue;
    }
    qmfuzz::check(c >= '!' && c <= 'u', "ASCII85 digit");
    digits += c;
    if (digits.size() == 5) flush(false);
  }
  qmfuzz::check(closed && digits.empty(), "text ends with the end mark");
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int group = static_cast<std::int8_t>(data[0]);
  const int line = static_cast<std::int8_t>(data[1]) * 3;
  const unsigned char* bytes = data + 2;
  const std::size_t n = size - 2;
  const std::string original(reinterpret_cast<const char*>(bytes), n);

  std::string hex = krmConvertToHex(bytes, n, group, line);
  qmfuzz::check(decodeHex(hex, group > 0) == original, "hex round trip");
  std::string a85 = krmConvertToAscii85(bytes, n, group, line);
  qmfuzz::check(a85.size() >= 3 && a85.compare(a85.size() - 3, 3, "~>\n") == 0, "ASCII85 ends with ~>");
  qmfuzz::check(decodeAscii85(a85) == original, "ASCII85 round trip");

  // Transfer form, whole and in pieces.
  const std::string hexWhole = krmConvertToHex(bytes, n, 0, 512);
  const std::string a85Whole = krmConvertToAscii85(bytes, n, 0, 512);
  KrmHexEncoder hexPieces;
  KrmAscii85Encoder a85Pieces;
  std::string hexOut, a85Out;
  unsigned state = static_cast<unsigned>(size) * 2654435761u + static_cast<unsigned>(data[0]);
  for (std::size_t at = 0; at < n;) {
    state = state * 1103515245u + 12345u;
    std::size_t piece = std::min<std::size_t>(n - at, (state >> 16) % 700);
    hexPieces.encode(bytes + at, piece, hexOut);
    a85Pieces.encode(bytes + at, piece, a85Out);
    at += piece;
  }
  hexPieces.finish(hexOut);
  a85Pieces.finish(a85Out);
  qmfuzz::check(hexOut == hexWhole, "hex pieces equal the whole form");
  qmfuzz::check(a85Out == a85Whole, "ASCII85 pieces equal the whole form");
  qmfuzz::check(hexPieces.bytesEncoded() == n, "hex byte count");
  return 0;
}
