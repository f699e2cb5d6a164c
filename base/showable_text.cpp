#include "base/showable_text.h"

namespace {

unsigned char byteAt(std::string_view text, std::size_t i) { return static_cast<unsigned char>(text[i]); }

// Length of the well-formed UTF-8 sequence at text[i] (no overlong forms,
// surrogates or code points past U+10FFFF), or 0.
std::size_t utf8Length(std::string_view text, std::size_t i) {
  unsigned char c = byteAt(text, i);
  if (c < 0x80) return 1;
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  if (byteAt(text, i + 1) < low || byteAt(text, i + 1) > high) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if ((byteAt(text, i + k) & 0xC0) != 0x80) return 0;
  return n;
}

bool isControl(std::string_view text, std::size_t i, std::size_t n) {
  unsigned char c = byteAt(text, i);
  if (n == 1) return c < 0x20 || c == 0x7F;
  return n == 2 && c == 0xC2 && byteAt(text, i + 1) <= 0x9F;  // C1
}

}  // namespace

std::string showableText(std::string_view text, bool keepControls) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  std::size_t backslashes = 0;  // literal backslashes just written
  // Anything starting with "x" after a run of backslashes: the run is
  // doubled so that it cannot be read as an escape.
  auto beforeX = [&] {
    out.append(backslashes, '\\');
    backslashes = 0;
  };
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = utf8Length(text, i);
    if (n == 0 || (!keepControls && isControl(text, i, n))) {
      if (n == 0) n = 1;
      for (std::size_t k = 0; k < n; ++k) {
        beforeX();
        out += "\\x";
        out += hex[byteAt(text, i + k) >> 4];
        out += hex[byteAt(text, i + k) & 15];
      }
    } else if (text[i] == '\\') {
      out += '\\';
      ++backslashes;
    } else {
      if (text[i] == 'x') beforeX();
      backslashes = 0;
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

std::string showableLines(std::string_view text) {
  std::string out;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      out += showableText(text.substr(start));
      break;
    }
    std::size_t lineEnd = end > start && text[end - 1] == '\r' ? end - 1 : end;  // CR LF is a line end too
    out += showableText(text.substr(start, lineEnd - start)) + '\n';
    start = end + 1;
  }
  return out;
}
