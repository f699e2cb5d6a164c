#include "kpsdk/kx_entries.h"

#include <unordered_map>

#include "archive/archive_paths.h"
#include "kpsdk/kx_types.h"

namespace {

// The levels of a name, "/" and "\" both separating; empty levels dropped.
std::vector<std::string> levelsOf(const std::string& name) {
  std::vector<std::string> levels;
  std::string level;
  for (char c : name + '/') {
    if (!archiveIsSeparator(c)) {
      level += c;
    } else if (!level.empty()) {
      levels.push_back(std::move(level));
      level.clear();
    }
  }
  return levels;
}

// True when the entry's last levels are the file's levels; inFolder tells
// whether the levels before them are exactly folder.
bool endsWith(const std::vector<std::string>& entry, const std::vector<std::string>& file,
              const std::vector<std::string>& folder, bool& inFolder) {
  if (file.empty() || entry.size() < file.size()) return false;
  const std::size_t start = entry.size() - file.size();
  for (std::size_t i = 0; i < file.size(); ++i)
    if (entry[start + i] != file[i]) return false;
  inFolder = start == folder.size();
  for (std::size_t i = 0; inFolder && i < start; ++i) inFolder = entry[i] == folder[i];
  return true;
}

}  // namespace

std::string kxEntryNameFor(int scope, const std::string& folder, const std::string& project, const std::string& name) {
  switch (scope) {
    case kKxScopeFolder: return archiveEntryName(folder + "/fshared/" + name);
    case kKxScopeGlobal: return archiveEntryName("gshared/" + name);
    default: return archiveEntryName(folder + "/" + project + "/" + name);
  }
}

std::vector<int> kxMatchEntries(const std::vector<ArchiveExtracted>& entries, const std::string& projectFile,
                                const std::vector<KxEntryFile>& files, int& projectIndex) {
  std::vector<std::vector<std::string>> levels;
  for (const ArchiveExtracted& e : entries) levels.push_back(levelsOf(e.entryName));
  std::vector<bool> taken(entries.size(), false);
  const std::vector<std::string> none;

  // The project file's entry: the one of exactly that name, else (a bare
  // file name) the first entry of that file name.
  projectIndex = -1;
  const std::vector<std::string> projectLevels = levelsOf(projectFile);
  for (std::size_t i = 0; i < entries.size() && projectIndex < 0; ++i)
    if (!projectLevels.empty() && levels[i] == projectLevels) projectIndex = static_cast<int>(i);
  for (std::size_t i = 0; i < entries.size() && projectIndex < 0; ++i) {
    bool ignored = false;
    if (projectLevels.size() == 1 && endsWith(levels[i], projectLevels, none, ignored))
      projectIndex = static_cast<int>(i);
  }
  std::vector<std::string> projectFolder;
  if (projectIndex >= 0) {
    const std::vector<std::string>& at = levels[static_cast<std::size_t>(projectIndex)];
    taken[static_cast<std::size_t>(projectIndex)] = true;
    projectFolder.assign(at.begin(), at.end() - 1);
  }

  // Only entries whose last level is the file's own can match it: looked
  // up by that level, in archive order, so that a container of many
  // thousands of entries is matched in one pass.
  std::unordered_map<std::string, std::vector<std::size_t>> byLastLevel;
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (!levels[i].empty()) byLastLevel[levels[i].back()].push_back(i);
  const std::vector<std::size_t> noEntries;
  std::vector<int> match;
  for (const KxEntryFile& f : files) {
    const std::vector<std::string> fileLevels = levelsOf(f.name);
    auto found = fileLevels.empty() ? byLastLevel.end() : byLastLevel.find(fileLevels.back());
    const std::vector<std::size_t>& candidates = found == byLastLevel.end() ? noEntries : found->second;
    int first = -1, preferred = -1;
    for (std::size_t c = 0; c < candidates.size() && preferred < 0; ++c) {
      const std::size_t i = candidates[c];
      bool inProjectFolder = false;
      if (taken[i] || !endsWith(levels[i], fileLevels, projectFolder, inProjectFolder)) continue;
      if (first < 0) first = static_cast<int>(i);
      // Without a project entry there is no folder to tell the scopes apart.
      if (projectIndex < 0 || inProjectFolder == (f.scope == kKxScopeLocal)) preferred = static_cast<int>(i);
    }
    int chosen = preferred >= 0 ? preferred : first;
    if (chosen >= 0) taken[static_cast<std::size_t>(chosen)] = true;
    match.push_back(chosen);
  }
  return match;
}
