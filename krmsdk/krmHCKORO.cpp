// The built-in Tessel set: the table generated from krmsdk/builtin/ at
// build time, its order, its run list and its install images.
#include <algorithm>
#include <atomic>

#include "krmsdk/krm_builtin.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_transfer.h"

// Generated (krm_builtin_table.cpp): one row per embedded file, ended by a
// row with a null path.
struct KrmBuiltInEntry {
  const char* path;
  const unsigned char* data;
  const std::size_t* size;
};
extern const KrmBuiltInEntry kKrmBuiltInTable[];

namespace {

constexpr const char* kImageOptions = "() true true";

int installGroup(const std::string& path) {
  if (path == "tqf/VER") return 0;
  if (path == KrmBuiltInSet::kPrologPath) return 1;
  if (path.starts_with("tqf/src/")) return 2;
  if (path.starts_with("tqf/encoding/")) return 3;
  if (path.starts_with("tqf/imglib/")) return 4;
  if (path.starts_with("tqf/formlib/")) return 5;
  return 6;
}

// Run list text: one printer path a line; blank lines and lines starting
// with "#" or "%" are comments; only the first word of a line counts.
std::vector<std::string> parseRunList(std::string_view text) {
  std::vector<std::string> paths;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] == '#' || line[start] == '%') continue;
    line = line.substr(start);
    paths.emplace_back(line.substr(0, line.find_first_of(" \t")));
  }
  return paths;
}

std::atomic<const KrmBuiltInSet*> gOverride{nullptr};

}  // namespace

KrmBuiltInSet::KrmBuiltInSet(std::vector<KrmBuiltInFile> files) {
  for (KrmBuiltInFile& f : files) {
    if (f.path == kRunListName) {
      runList_ = parseRunList(f.data);
    } else {
      files_.push_back(std::move(f));
    }
  }
  std::stable_sort(files_.begin(), files_.end(), [](const KrmBuiltInFile& a, const KrmBuiltInFile& b) {
    int ga = installGroup(a.path), gb = installGroup(b.path);
    return ga != gb ? ga < gb : a.path < b.path;
  });
}

const KrmBuiltInFile* KrmBuiltInSet::find(std::string_view path) const {
  for (const KrmBuiltInFile& f : files_)
    if (f.path == path) return &f;
  return nullptr;
}

std::vector<const KrmBuiltInFile*> KrmBuiltInSet::encodings() const {
  std::vector<const KrmBuiltInFile*> out;
  for (const KrmBuiltInFile& f : files_)
    if (f.path.starts_with("tqf/encoding/")) out.push_back(&f);
  return out;
}

std::vector<std::string> KrmBuiltInSet::runList(bool imaging) const {
  std::vector<std::string> out;
  for (const std::string& p : runList_) {
    if (p == kPrologPath) continue;
    if (p == kImagingModulePath && !imaging) continue;
    out.push_back(p);
  }
  return out;
}

const KrmBuiltInSet& krmBuiltInSet() {
  if (const KrmBuiltInSet* set = gOverride.load()) return *set;
  static const KrmBuiltInSet embedded = [] {
    std::vector<KrmBuiltInFile> files;
    for (const KrmBuiltInEntry* e = kKrmBuiltInTable; e->path != nullptr; ++e)
      files.push_back({e->path, std::string_view(reinterpret_cast<const char*>(e->data), *e->size)});
    return KrmBuiltInSet(std::move(files));
  }();
  return embedded;
}

void krmUseBuiltInSetForTesting(const KrmBuiltInSet* set) { gOverride.store(set); }

bool krmIsEncryptedModule(std::string_view data) {
  return data.find("currentfile eexec") != std::string_view::npos;
}

int krmWriteBuiltInImage(KrmStream& stream, bool imaging) {
  const KrmBuiltInSet& set = krmBuiltInSet();
  for (const KrmBuiltInFile& f : set.files()) {
    // An empty file has no hexadecimal form (count 0 means ASCII85 data).
    if (f.path == KrmBuiltInSet::kImagingModulePath || f.data.empty()) continue;
    krmDiskLoadFile(stream.function().c_str(), f.data.data(), f.data.size(), f.path, kImageOptions, true, stream,
                    stream.outputPath().c_str());
    if (!stream.ok()) return stream.result();
  }
  if (imaging) {
    if (const KrmBuiltInFile* lus = set.imagingModule())
      krmDiskLoadFile(stream.function().c_str(), lus->data.data(), lus->data.size(), lus->path, kImageOptions,
                      true, stream, stream.outputPath().c_str());
  }
  return stream.result();
}
