// Wildcard matcher.
#include "krmsdk/krm_wildcard.h"

#include <string>

#include "base/sdk_list.h"

namespace {

bool hasWildcard(std::string_view s) { return s.find_first_of("*?[]") != std::string_view::npos; }

std::string folded(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Matches one character against the set starting after "["; p is left
// after the closing "]" (or at the end when it is missing).
bool matchSet(std::string_view pat, std::size_t& p, char c) {
  bool negate = p < pat.size() && pat[p] == '^';
  if (negate) ++p;
  bool found = false;
  bool first = true;
  while (p < pat.size() && (pat[p] != ']' || first)) {
    first = false;
    char lo = pat[p];
    if (lo == '\\' && p + 1 < pat.size()) lo = pat[++p];
    ++p;
    char hi = lo;
    if (p + 1 < pat.size() && pat[p] == '-' && pat[p + 1] != ']') {
      hi = pat[p + 1];
      if (hi == '\\' && p + 2 < pat.size()) {
        hi = pat[p + 2];
        ++p;
      }
      p += 2;
    }
    if (static_cast<unsigned char>(lo) <= static_cast<unsigned char>(c) &&
        static_cast<unsigned char>(c) <= static_cast<unsigned char>(hi))
      found = true;
  }
  if (p < pat.size()) ++p;  // the "]"
  return found != negate;
}

// Iterative matcher with backtracking to the last "*".
bool matchPattern(std::string_view pat, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size()) {
      char pc = pat[p];
      if (pc == '*') {
        starP = ++p;
        starN = n;
        continue;
      }
      if (pc == '?') {
        ++p;
        ++n;
        continue;
      }
      if (pc == '[') {
        std::size_t q = p + 1;
        if (matchSet(pat, q, name[n])) {
          p = q;
          ++n;
          continue;
        }
      } else {
        if (pc == '\\' && p + 1 < pat.size()) ++p;
        if (pat[p] == name[n]) {
          ++p;
          ++n;
          continue;
        }
      }
    }
    if (starP == std::string_view::npos) return false;
    p = starP;
    n = ++starN;
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

}  // namespace

int krmMatchName(std::string_view a, std::string_view b, bool exact) {
  std::string fa = exact ? std::string(a) : folded(a);
  std::string fb = exact ? std::string(b) : folded(b);
  // Equal texts always match, also when they hold wildcard characters
  // ("a[1].frm" is the same name as "a[1].frm").
  if (fa == fb) return 1;
  if (hasWildcard(fa)) return matchPattern(fa, fb) ? 1 : 0;
  if (hasWildcard(fb)) return matchPattern(fb, fa) ? 1 : 0;
  return fa == fb ? 1 : 0;
}

int krmMatchName(const char* a, const char* b, int exact) {
  if (a == nullptr || b == nullptr) return 0;
  return krmMatchName(std::string_view(a), std::string_view(b), exact != 0);
}

int krmFindInList(const SdkList* list, const char* text, int exact) {
  if (list == nullptr || text == nullptr) return -1;
  for (int i = 0; i < list->count(); ++i)
    if (krmMatchName(list->get(i), text, exact)) return i;
  return -1;
}

int krmFindSameName(const SdkList* list, const char* text) {
  if (list == nullptr || text == nullptr) return -1;
  const std::string wanted = folded(text);
  for (int i = 0; i < list->count(); ++i)
    if (folded(list->get(i)) == wanted) return i;
  return -1;
}

bool KrmNameSet::insert(std::string_view name) { return folded_.insert(folded(name)).second; }

int krmFindSameLocalFile(const SdkList* list, const char* path) {
#ifdef _WIN32
  return krmFindSameName(list, path);
#else
  if (list == nullptr || path == nullptr) return -1;
  for (int i = 0; i < list->count(); ++i)
    if (std::string_view(list->get(i)) == path) return i;
  return -1;
#endif
}

std::string krmLiteralPattern(std::string_view name) {
  // Without a wildcard character the text is compared as it is.
  if (!hasWildcard(name)) return std::string(name);
  std::string out;
  for (char c : name) {
    if (c == '*' || c == '?' || c == '[' || c == ']' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

bool krmMeansEverything(std::string_view pattern) {
  return pattern.find_first_not_of("*./\\") == std::string_view::npos;
}
