#include "kpsdk/kx_tree.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/sdk_fs.h"

namespace fs = std::filesystem;

std::vector<std::string> kxListFiles(const std::string& dir) {
  std::vector<std::string> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError)) files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<KxTreeFile> kxListTree(const std::string& dir) {
  std::vector<KxTreeFile> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_symlink(typeError) || !it->is_regular_file(typeError)) continue;
    files.push_back({it->path().lexically_relative(dir).generic_string(), it->path().string()});
  }
  auto depth = [](const std::string& relative) { return std::count(relative.begin(), relative.end(), '/'); };
  std::sort(files.begin(), files.end(), [&](const KxTreeFile& a, const KxTreeFile& b) {
    const auto da = depth(a.relative), db = depth(b.relative);
    return da != db ? da < db : a.relative < b.relative;
  });
  return files;
}

std::string kxFindProjectFile(const std::string& dir) {
  for (const std::string& f : kxListFiles(dir)) {
    std::string name = sdkFileNamePart(f);
    if (name.size() < 4) continue;
    std::string ext = name.substr(name.size() - 4);
    sdkLowerAscii(ext);
    if (ext == ".kpf") return f;
  }
  return std::string();
}

int kxRemoveTree(const std::string& dir) {
  if (dir.empty()) return 1;
  std::error_code ec;
  fs::remove_all(dir, ec);
  return sdkFileExists(dir.c_str()) ? 0 : 1;
}

std::string kxMakeTempFolder(const char* prefix) {
  SdkString name;
  if (!sdkMakeTempDir(name, prefix)) return std::string();
  return name.str();
}

int kxIsZipFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  char head[2] = {0, 0};
  std::size_t n = std::fread(head, 1, 2, f);
  std::fclose(f);
  return n == 2 && head[0] == 'P' && head[1] == 'K' ? 1 : 0;
}
