#include "base/natural_order.h"

#include <algorithm>

#include "base/sdk_fs.h"  // sdkLowerAsciiChar

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// -1, 0 or 1 for the two digit runs starting at a[i] and b[j]; advances both
// past their runs. Leading zeros do not count, so values of any length
// compare without overflow.
int compareNumbers(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
  auto runEnd = [](std::string_view s, std::size_t k) {
    while (k < s.size() && isDigit(s[k])) ++k;
    return k;
  };
  auto skipZeros = [](std::string_view s, std::size_t k, std::size_t end) {
    while (k + 1 < end && s[k] == '0') ++k;
    return k;
  };
  const std::size_t endA = runEnd(a, i), endB = runEnd(b, j);
  const std::size_t startA = skipZeros(a, i, endA), startB = skipZeros(b, j, endB);
  i = endA;
  j = endB;
  const std::size_t lenA = endA - startA, lenB = endB - startB;
  if (lenA != lenB) return lenA < lenB ? -1 : 1;
  const int c = a.substr(startA, lenA).compare(b.substr(startB, lenB));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

bool sdkNaturalLess(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      if (const int c = compareNumbers(a, i, b, j); c != 0) return c < 0;
      continue;
    }
    const char x = sdkLowerAsciiChar(a[i]), y = sdkLowerAsciiChar(b[j]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    ++i;
    ++j;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;
}

void sdkNaturalSort(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& x, const std::string& y) { return sdkNaturalLess(x, y); });
}
