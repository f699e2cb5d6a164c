#include "kpsdk/kx_names.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/sdk_fs.h"

namespace fs = std::filesystem;

namespace {

bool isLevelSeparator(char c) { return c == '/' || c == '\\'; }

#ifdef _WIN32
bool isHostLevelSeparator(char c) { return c == '/' || c == '\\'; }
#else
bool isHostLevelSeparator(char c) { return c == '/'; }
#endif

// Dots and blanks only: ".", "..", and what Windows trims down to them.
bool isDotsOnly(std::string_view level) {
  return std::all_of(level.begin(), level.end(), [](char c) { return c == '.' || c == ' '; });
}

std::string lowered(std::string_view text) {
  std::string out(text);
  sdkLowerAscii(out);
  return out;
}

// Windows opens a device for these, whatever follows the first dot, and
// whatever case they are written in.
bool isDeviceName(std::string_view level) {
  std::string stem = lowered(level.substr(0, level.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
    if (stem == device) return true;
  if (stem.size() < 4 || (stem.compare(0, 3, "com") != 0 && stem.compare(0, 3, "lpt") != 0)) return false;
  const std::string_view number = std::string_view(stem).substr(3);
  if (number.size() == 1) return number[0] >= '0' && number[0] <= '9';
  // The superscript digits one to three, which Windows reads as digits.
  return number == "\xc2\xb9" || number == "\xc2\xb2" || number == "\xc2\xb3";
}

bool isSafeLevel(std::string_view level) {
  if (level.empty() || isDotsOnly(level)) return false;
  if (level.back() == '.' || level.back() == ' ' || isDeviceName(level)) return false;
  return std::none_of(level.begin(), level.end(), [](char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f || c == ':';
  });
}

enum class Kind { kMissing, kFolder, kLink, kOther };

Kind kindOf(const std::string& path) {
  std::error_code ec;
  fs::file_status s = fs::symlink_status(path, ec);
  if (ec || !fs::exists(s)) return Kind::kMissing;
  if (fs::is_symlink(s)) return Kind::kLink;
  return fs::is_directory(s) ? Kind::kFolder : Kind::kOther;
}

constexpr std::string_view kRecordName = ".krmuses";
constexpr std::string_view kPartSuffix = ".krmtmp";

bool isReservedLevel(std::string_view level) {
  const std::string l = lowered(level);
  return l == kRecordName ||
         (l.size() >= kPartSuffix.size() && l.compare(l.size() - kPartSuffix.size(), kPartSuffix.size(), kPartSuffix) == 0);
}

// 1 when ok holds for every level of name, "/" and "\\" both separating.
template <typename Predicate>
bool everyLevel(std::string_view name, Predicate ok) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && !isLevelSeparator(name[i])) continue;
    if (!ok(name.substr(start, i - start))) return false;
    start = i + 1;
  }
  return true;
}

constexpr std::string_view kFolderMark = "$$FOLDER.";
constexpr std::string_view kProjectMark = "$$PROJECT.";

}  // namespace

bool kxIsReservedPrinterName(std::string_view name) {
  return !everyLevel(name, [](std::string_view level) { return !isReservedLevel(level); });
}

bool kxIsSharedLevel(std::string_view name, std::string_view level) { return lowered(name) == level; }

std::string kxSubstitutePlaceholders(std::string_view pattern, std::string_view folder, std::string_view project) {
  // One walk over the pattern: what a name brings in is never searched.
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (pattern.substr(i, kFolderMark.size()) == kFolderMark) {
      out += folder;
      i += kFolderMark.size();
    } else if (pattern.substr(i, kProjectMark.size()) == kProjectMark) {
      out += project;
      i += kProjectMark.size();
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

bool kxIsSafeFolderName(std::string_view name) {
  return std::none_of(name.begin(), name.end(), isLevelSeparator) && isSafeLevel(name);
}

bool kxIsSafeRelativeName(std::string_view name) { return everyLevel(name, isSafeLevel); }

std::string kxPrintableName(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return out;
}

std::string kxJoinContained(std::string_view dir, std::string_view name) {
  return kxIsSafeRelativeName(name) ? sdkJoinPath(dir, name) : std::string();
}

int kxPrepareTarget(const std::string& path, std::string_view name, std::vector<std::string>& created) {
  if (!kxIsSafeRelativeName(name) || path.size() <= name.size() ||
      path.compare(path.size() - name.size(), name.size(), name) != 0)
    return 0;
  std::string level = path.substr(0, path.size() - name.size());
  std::size_t start = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (!isHostLevelSeparator(name[i])) continue;
    level += name.substr(start, i - start);
    switch (kindOf(level)) {
      case Kind::kFolder: break;
      case Kind::kMissing:
        if (!sdkMakeDir(level.c_str()) || kindOf(level) != Kind::kFolder) return 0;
        created.push_back(level);
        break;
      default: return 0;
    }
    level += name[i];
    start = i + 1;
  }
  return kindOf(path) == Kind::kLink ? 0 : 1;
}

int kxMakeDirsRecorded(const std::string& dir, std::vector<std::string>& created) {
  std::vector<std::string> missing;
  for (std::string d = dir; !d.empty() && !sdkFileExists(d.c_str());) {
    missing.push_back(d);
    std::string up = sdkDirPart(d);
    if (up == d) break;
    d = up;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!sdkMakeDir(it->c_str())) break;
    created.push_back(*it);
  }
  return sdkIsDirectory(dir.c_str());
}
