// Entry names and extraction targets.
//
// Creation stores a file under a relative "/"-separated entry name derived
// from the path it was given. Extraction turns a stored entry name back into
// a host path inside the target folder, and refuses names that would leave
// it: absolute names, drive letters, ".." components, and (while the path is
// built) any level that is a symbolic link. Both "/" and "\" separate levels
// in stored names, whichever system wrote them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The entry name for a file path: separators become "/", a drive letter and
// leading separators are dropped, "." levels are dropped and everything up
// to a ".." level is dropped with it.
std::string archiveEntryName(std::string_view path);

// The levels of a stored entry name, or false when the name is empty,
// absolute, starts with a drive letter or holds a ".." level (Windows also
// refuses ":" anywhere, which would name a data stream).
bool archiveSplitEntryName(std::string_view name, std::vector<std::string>& levels);

// The one name an entry stands for when entries are compared: "\" read as
// "/" (a container made on Windows), "." and empty levels dropped, ASCII
// letters lower-cased (Windows file names ignore case, so two such entries
// would land on one file there). "x.frm", "./x.frm", ".\\X.FRM" and
// "a//x.frm" against "a/x.frm" each give one name.
std::string archiveNormalName(std::string_view name);

// Remembers the entries of one container and finds the second entry that
// would land on the file of an earlier one (hash set, linear in the
// entries). Folder entries never clash with each other, only with a file.
class ArchiveNameSet {
 public:
  // False when the name clashes; reason then says with which earlier entry
  // (its name as stored).
  bool add(std::string_view name, bool folder, std::string& reason);

 private:
  struct Seen {
    std::string name;
    bool folder;
  };
  std::unordered_map<std::string, Seen> seen_;
};

// 1 for "/" and "\".
bool archiveIsSeparator(char c);
// Text after the last "/" or "\" (empty for a name ending in one).
std::string archiveBaseName(std::string_view name);

// Where a file to add is read from: a relative path under baseFolder when
// one is given, else the path itself.
std::string archiveSourcePath(const std::string& baseFolder, const std::string& file);

enum class ArchiveTargetResult { kOk, kUnsafe, kMakeFailed };

// Host path of levels under root. Every level but the last must be a real
// folder: missing ones are created, a link gives kUnsafe, a file or a failed
// creation gives kMakeFailed with that level's path in failedPath. The last
// level itself is not touched.
ArchiveTargetResult archivePrepareTarget(const std::string& root, const std::vector<std::string>& levels,
                                         std::string& path, std::string& failedPath);
