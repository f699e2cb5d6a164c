#include "archive/archive_paths.h"

#include "archive/archive_fs.h"
#include "base/sdk_fs.h"

namespace {

bool hasDriveLetter(std::string_view name) {
  return name.size() >= 2 && name[1] == ':' &&
         ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

std::vector<std::string_view> splitLevels(std::string_view name) {
  std::vector<std::string_view> levels;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || archiveIsSeparator(name[i])) {
      levels.push_back(name.substr(start, i - start));
      start = i + 1;
    }
  }
  return levels;
}

}  // namespace

bool archiveIsSeparator(char c) { return c == '/' || c == '\\'; }

std::string archiveBaseName(std::string_view name) {
  std::size_t i = name.size();
  while (i > 0 && !archiveIsSeparator(name[i - 1])) --i;
  return std::string(name.substr(i));
}

std::string archiveEntryName(std::string_view path) {
  if (hasDriveLetter(path)) path.remove_prefix(2);
  std::vector<std::string_view> kept;
  for (std::string_view level : splitLevels(path)) {
    if (level.empty() || level == ".") continue;
    if (level == "..") {
      kept.clear();
      continue;
    }
    kept.push_back(level);
  }
  std::string out;
  for (std::string_view level : kept) {
    if (!out.empty()) out += '/';
    out.append(level);
  }
  return out;
}

std::string archiveNormalName(std::string_view name) {
  std::string out;
  for (std::string_view level : splitLevels(name)) {
    if (level.empty() || level == ".") continue;
    if (!out.empty()) out += '/';
    out.append(level);
  }
  sdkLowerAscii(out);
  return out;
}

bool ArchiveNameSet::add(std::string_view name, bool folder, std::string& reason) {
  auto [it, inserted] = seen_.try_emplace(archiveNormalName(name), Seen{std::string(name), folder});
  if (inserted) return true;
  if (folder && it->second.folder) return true;
  reason = "entry lands on the same file as " + it->second.name;
  return false;
}

bool archiveSplitEntryName(std::string_view name, std::vector<std::string>& levels) {
  levels.clear();
  if (name.empty() || archiveIsSeparator(name[0]) || hasDriveLetter(name)) return false;
#ifdef _WIN32
  if (name.find(':') != std::string_view::npos) return false;
#endif
  for (std::string_view level : splitLevels(name)) {
    if (level.empty() || level == ".") continue;
    if (level == "..") return false;
    levels.emplace_back(level);
  }
  return !levels.empty();
}

std::string archiveSourcePath(const std::string& baseFolder, const std::string& file) {
  bool relative = !file.empty() && !archiveIsSeparator(file[0]) && !hasDriveLetter(file);
  return relative && !baseFolder.empty() ? sdkJoinPath(baseFolder, file) : file;
}

ArchiveTargetResult archivePrepareTarget(const std::string& root, const std::vector<std::string>& levels,
                                         std::string& path, std::string& failedPath) {
  path = root.empty() ? std::string(".") : root;
  failedPath.clear();
  for (std::size_t i = 0; i < levels.size(); ++i) {
    path = sdkJoinPath(path, levels[i]);
    if (i + 1 == levels.size()) break;
    switch (archivePathKind(path)) {
      case ArchivePathKind::kDirectory:
        break;
      case ArchivePathKind::kLink:
        return ArchiveTargetResult::kUnsafe;
      case ArchivePathKind::kMissing:
        if (archiveMakeDir(path) || archivePathKind(path) == ArchivePathKind::kDirectory) break;
        failedPath = path;
        return ArchiveTargetResult::kMakeFailed;
      default:
        failedPath = path;
        return ArchiveTargetResult::kMakeFailed;
    }
  }
  return ArchiveTargetResult::kOk;
}
