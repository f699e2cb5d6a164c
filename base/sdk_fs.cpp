// Platform-independent utilities: path splitting, directory levels, whole
// file reads and writes through the C runtime.
#include "base/sdk_fs.h"

#include "base/sdk_fs_unique.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

bool isSep(char c) { return c == '/' || c == '\\'; }

// Length of a leading drive ("C:"), or 0.
std::size_t driveLength(std::string_view p) {
  if (p.size() >= 2 && p[1] == ':' &&
      ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')))
    return 2;
  return 0;
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

int sdkIsSeparator(int c) { return c == '/' || c == '\\' ? 1 : 0; }

std::string sdkFileNamePart(std::string_view path) {
  std::size_t start = driveLength(path);
  for (std::size_t i = start; i < path.size(); ++i)
    if (isSep(path[i])) start = i + 1;
  return std::string(path.substr(start));
}

std::string sdkDirPart(std::string_view path) {
  std::size_t drive = driveLength(path);
  std::size_t end = drive;  // one past the last separator
  for (std::size_t i = drive; i < path.size(); ++i)
    if (isSep(path[i])) end = i + 1;
  std::string dir(path.substr(0, end));
  // Keep the separator of a root ("/", "\", "C:\"), drop any other.
  if (dir.size() > drive + 1 && isSep(dir.back())) dir.pop_back();
  return dir;
}

void sdkFileNamePart(SdkString& out, const char* path) {
  out.set(sdkFileNamePart(std::string_view(path ? path : "")));
}

void sdkDirPart(SdkString& out, const char* path) {
  out.set(sdkDirPart(std::string_view(path ? path : "")));
}

std::string sdkJoinPath(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  std::string p(dir);
  if (!isSep(p.back())) p += kSdkHostSeparator;
  while (!name.empty() && isSep(name.front())) name.remove_prefix(1);
  p.append(name);
  return p;
}

int sdkMakeDirs(const char* filePath) {
  if (filePath == nullptr) return 0;
  std::string dir = sdkDirPart(filePath);
  std::size_t drive = driveLength(dir);
  std::string acc = dir.substr(0, drive);
  std::string_view rest = std::string_view(dir).substr(drive);
  if (!rest.empty() && isSep(rest.front())) acc += kSdkHostSeparator;
  std::size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && isSep(rest[i])) ++i;
    std::size_t j = i;
    while (j < rest.size() && !isSep(rest[j])) ++j;
    if (j == i) break;
    acc.append(rest.substr(i, j - i));
    bool bareDrive = acc.find(':') != std::string::npos && acc.find(kSdkHostSeparator) == std::string::npos &&
                     acc.find('/') == std::string::npos;
    if (!bareDrive && !sdkFileExists(acc.c_str())) {
      sdkMakeDir(acc.c_str());
      if (!sdkIsDirectory(acc.c_str())) return 0;
    }
    acc += kSdkHostSeparator;
    i = j;
  }
  return 1;
}

std::optional<std::string> sdkReadWholeFile(const char* path) {
  if (path == nullptr) return std::nullopt;
  FilePtr f(std::fopen(path, "rb"));
  if (!f) return std::nullopt;
  std::string data;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) data.append(buf, n);
  if (std::ferror(f.get())) return std::nullopt;
  return data;
}

std::optional<std::string> sdkReadFileWindow(const char* path, std::int64_t offset, std::size_t size,
                                             int& shortRead) {
  shortRead = 0;
  if (path == nullptr || offset < 0) return std::nullopt;
  FilePtr f(std::fopen(path, "rb"));
  if (!f) return std::nullopt;
  std::int64_t fileSize = sdkFileSize(path);
  std::string data;
  if (offset < fileSize) {
#ifdef _WIN32
    if (_fseeki64(f.get(), offset, SEEK_SET) != 0) return std::nullopt;
#else
    if (fseeko(f.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return std::nullopt;
#endif
    std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(size, fileSize - offset));
    data.resize(want);
    std::size_t got = std::fread(data.data(), 1, want, f.get());
    if (std::ferror(f.get())) return std::nullopt;
    data.resize(got);
  }
  if (data.size() < size) shortRead = 1;
  return data;
}

int sdkWriteTextFile(const char* path, std::string_view text) {
  if (path == nullptr) return 0;
  FilePtr f(std::fopen(path, "wb"));
  if (!f) return 0;
  bool ok = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
  return std::fclose(f.release()) == 0 && ok ? 1 : 0;
}

int sdkAppendTextFile(const char* path, std::string_view text) {
  if (path == nullptr) return 0;
  FilePtr f(std::fopen(path, "ab"));
  if (!f) return 0;
  bool ok = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
  return std::fclose(f.release()) == 0 && ok ? 1 : 0;
}

char sdkLowerAsciiChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

void sdkLowerAscii(char* text) {
  if (text == nullptr) return;
  for (; *text; ++text) *text = sdkLowerAsciiChar(*text);
}

void sdkLowerAscii(std::string& text) {
  for (char& c : text) c = sdkLowerAsciiChar(c);
}

long sdkPower(long base, int exponent) {
  long r = 1;
  for (int i = 0; i < exponent; ++i) r *= base;
  return r;
}

void sdkSleep(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int sdkTempName(SdkString& out, const char* prefix) {
  out.clear();
  std::string pre(prefix ? prefix : "");
  if (pre.size() > 3) pre.resize(3);
  SdkNewFile made = sdkCreateUniqueFile(sdkJoinPath(sdkTempDirectory(), pre), "", SdkFileAccess::Private);
  if (!made) return 0;
  if (std::fclose(made.file) != 0) {
    sdkDeleteFile(made.path.c_str());
    return 0;
  }
  out.set(made.path);
  return 1;
}

int sdkMakeTempDir(SdkString& out, const char* prefix) {
  std::string pre(prefix ? prefix : "");
  if (pre.size() > 3) pre.resize(3);
  return sdkMakeUniqueDir(out, sdkTempDirectory(), pre.c_str());
}
