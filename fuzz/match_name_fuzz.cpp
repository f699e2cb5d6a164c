// krmMatchName: two texts split at the first zero byte, the third part's
// first byte choosing exact matching. Both entry points must agree; texts
// without wildcard characters compare by plain (folded) equality; a text
// always matches itself when it has no wildcard characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_util.h"
#include "krmsdk/krm_wildcard.h"

namespace {

bool hasWild(std::string_view s) { return s.find_first_of("*?[]") != std::string_view::npos; }

std::string folded(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  auto [a, rest] = qmfuzz::splitAt(input, '\0');
  auto [b, tail] = qmfuzz::splitAt(rest, '\0');
  const bool exact = !tail.empty() && (tail[0] & 1);
  std::string sa(a), sb(b);

  int viaText = krmMatchName(sa.c_str(), sb.c_str(), exact ? 1 : 0);
  int viaView = krmMatchName(a, b, exact);
  qmfuzz::check(viaText == 0 || viaText == 1, "result is 0 or 1");
  qmfuzz::check(viaText == viaView, "both entry points agree");
  if (!hasWild(a) && !hasWild(b)) {
    bool equal = exact ? a == b : folded(a) == folded(b);
    qmfuzz::check(viaText == (equal ? 1 : 0), "plain texts compare by equality");
  }
  if (!hasWild(a)) qmfuzz::check(krmMatchName(a, a, exact) == 1, "a plain text matches itself");
  return 0;
}
