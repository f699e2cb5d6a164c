#include "cli/cli_suggest.h"

#include <algorithm>

#include "base/sdk_fs.h"

namespace {

// Edits (insert, delete, replace, swap of neighbours) from a to b, letter
// case aside.
std::size_t distance(std::string a, std::string b) {
  sdkLowerAscii(a);
  sdkLowerAscii(b);
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (sdkLowerAsciiChar(text[i]) != sdkLowerAsciiChar(prefix[i])) return false;
  return true;
}
}  // namespace

std::vector<std::string> closestNames(const std::string& name, const std::vector<std::string>& candidates) {
  const std::size_t allowed = std::max<std::size_t>(2, name.size() / 3);
  std::vector<std::pair<std::size_t, std::string>> near;
  for (const std::string& c : candidates) {
    std::size_t d = distance(name, c);
    if (d <= allowed) {
      near.emplace_back(d, c);
    } else if (name.size() >= 2 && startsWithNoCase(c, name)) {
      near.emplace_back(allowed + 1, c);
    }
  }
  std::stable_sort(near.begin(), near.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  std::vector<std::string> names;
  for (const auto& [d, c] : near) {
    // Only the closest: "Tesel_1" suggests Tessel_1, not Tessel_2 as well.
    if (names.size() == 3 || d > near.front().first) break;
    if (std::find(names.begin(), names.end(), c) == names.end()) names.push_back(c);
  }
  return names;
}

std::string didYouMean(const std::string& name, const std::vector<std::string>& candidates) {
  std::vector<std::string> names = closestNames(name, candidates);
  if (names.empty()) return {};
  std::string text = "; did you mean ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += "'" + names[i] + "'";
  }
  return text + "?";
}
