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

struct RunListLine {
  std::string path;
  std::string role;
};

// "<printer path> [role]" a line; blank lines and lines starting with "#"
// or "%" are comments.
std::vector<RunListLine> parseRunList(std::string_view text) {
  std::vector<RunListLine> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] == '#' || line[start] == '%') continue;
    line = line.substr(start);
    std::size_t gap = line.find_first_of(" \t");
    RunListLine entry{std::string(line.substr(0, gap)), "module"};
    if (gap != std::string_view::npos) {
      std::string_view rest = line.substr(gap);
      std::size_t roleStart = rest.find_first_not_of(" \t");
      if (roleStart != std::string_view::npos) {
        rest = rest.substr(roleStart);
        entry.role = std::string(rest.substr(0, rest.find_first_of(" \t")));
      }
    }
    lines.push_back(std::move(entry));
  }
  return lines;
}

// Role of a file the run list does not name.
std::string guessRole(const std::string& path) {
  if (path == KrmBuiltInSet::kPrologPath) return "prolog";
  if (path == KrmBuiltInSet::kImagingModulePath) return "imaging";
  if (path.starts_with("tqf/encoding/")) return "encoding";
  return "data";
}

std::atomic<const KrmBuiltInSet*> gOverride{nullptr};

}  // namespace

KrmBuiltInSet::KrmBuiltInSet(std::vector<KrmBuiltInFile> files) {
  std::vector<RunListLine> runList;
  std::vector<KrmBuiltInFile> rest;
  for (KrmBuiltInFile& f : files) {
    if (f.path == kRunListName) {
      runList = parseRunList(f.data);
    } else {
      rest.push_back(std::move(f));
    }
  }
  // Listed files in the list's order, with the list's role.
  for (const RunListLine& line : runList) {
    auto it = std::find_if(rest.begin(), rest.end(), [&](const KrmBuiltInFile& f) { return f.path == line.path; });
    if (it == rest.end()) continue;
    it->role = line.role;
    files_.push_back(std::move(*it));
    rest.erase(it);
  }
  std::sort(rest.begin(), rest.end(),
            [](const KrmBuiltInFile& a, const KrmBuiltInFile& b) { return a.path < b.path; });
  for (KrmBuiltInFile& f : rest) {
    if (f.role.empty()) f.role = guessRole(f.path);
    files_.push_back(std::move(f));
  }
}

const KrmBuiltInFile* KrmBuiltInSet::find(std::string_view path) const {
  for (const KrmBuiltInFile& f : files_)
    if (f.path == path) return &f;
  return nullptr;
}

const KrmBuiltInFile* KrmBuiltInSet::firstOfRole(std::string_view role) const {
  for (const KrmBuiltInFile& f : files_)
    if (f.role == role) return &f;
  return nullptr;
}

std::vector<const KrmBuiltInFile*> KrmBuiltInSet::encodings() const {
  std::vector<const KrmBuiltInFile*> out;
  for (const KrmBuiltInFile& f : files_)
    if (f.role == "encoding") out.push_back(&f);
  return out;
}

std::vector<std::string> KrmBuiltInSet::runList(bool imaging) const {
  std::vector<std::string> out;
  for (const KrmBuiltInFile& f : files_)
    if (f.role == "module") out.push_back(f.path);
  if (imaging)
    for (const KrmBuiltInFile& f : files_)
      if (f.role == "imaging") out.push_back(f.path);
  return out;
}

const KrmBuiltInSet& krmBuiltInSet() {
  if (const KrmBuiltInSet* set = gOverride.load()) return *set;
  static const KrmBuiltInSet embedded = [] {
    std::vector<KrmBuiltInFile> files;
    for (const KrmBuiltInEntry* e = kKrmBuiltInTable; e->path != nullptr; ++e)
      files.push_back({e->path, std::string_view(reinterpret_cast<const char*>(e->data), *e->size), ""});
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
    if (f.role == "imaging" || f.data.empty()) continue;
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
