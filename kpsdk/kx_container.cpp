// KxProject: opening projects from containers and extracted folders,
// print-and-forget removal, and packing a project into a container.
//
// Containers are unpacked into a private temporary folder first, keeping
// their folders, and each resource's own entry (kx_entries.h) is then moved
// to the directory of its scope, so nothing is written relative to the
// process's working directory and two entries of one name never land on
// one file. A container split into volumes is read by joining its volumes
// into one stream (kx_volumes.h).
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "archive/archive_handler.h"
#include "archive/container_listing.h"
#include "base/sdk_fs_unique.h"
#include "kpsdk/kx_entries.h"
#include "kpsdk/kx_names.h"
#include "kpsdk/kx_project.h"
#include "kpsdk/kx_tree.h"
#include "kpsdk/kx_volumes.h"
#include "kpsdk/kx_work_folder.h"

namespace {

// The container as named, or with ".kpc" added when only that exists.
std::string existingContainer(const std::string& path) {
  if (sdkFileExists(path.c_str())) return path;
  std::string completed = path + ".kpc";
  return sdkFileExists(completed.c_str()) ? completed : std::string();
}

// A private work folder in the temporary directory, removed with what is
// in it when it goes; those that killed processes left go first.
std::unique_ptr<KxWorkFolder> tempWorkFolder(const char* prefix) {
  const std::string parent = sdkTempDirectory();
  kxSweepAbandoned(parent, prefix);
  return KxWorkFolder::make(parent, prefix);
}

// The entries of a container as its headers list them, in archive order,
// in the shape the entry matching takes (no file behind them).
std::string listEntries(const std::string& container, std::vector<ArchiveExtracted>& listed,
                        std::vector<std::int64_t>& sizes) {
  std::vector<ContainerEntry> entries;
  std::string error = ListContainerEntries(container, entries);
  listed.clear();
  sizes.clear();
  listed.reserve(entries.size());
  sizes.reserve(entries.size());
  for (ContainerEntry& e : entries) {
    listed.push_back({std::move(e.name), std::string()});
    sizes.push_back(static_cast<std::int64_t>(e.size));
  }
  return error;
}

std::string fileNameWithoutExtension(const std::string& name) {
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// Joining a big volume set takes a while: a progress hook hears of every
// piece, with the volume as the current file.
KxJoinProgress joinProgress(const std::string& kpcPath, const KxProgressHook& hook) {
  if (!hook) return {};
  const std::string status = sdkFormat("Joining archive volumes: %s", kpcPath.c_str());
  return [status, &hook](const std::string& volumeFile, long index, long count, std::int64_t volumeSize,
                         std::int64_t volumeDone, std::int64_t done, std::int64_t total) {
    return hook(status.c_str(), count, total, index, done, volumeFile.c_str(), volumeSize, volumeDone) == 0;
  };
}

bool endsWithKpf(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ext(name.substr(name.size() - 4));
  sdkLowerAscii(ext);
  return ext == ".kpf";
}

// The project file of a container, unpacked.
struct UnpackedProjectFile {
  std::string path;   // the file written, empty when there is none
  std::string entry;  // its entry name as stored
};

// Unpacks the project file of a container into dir: the first entry in
// archive order whose name ends in ".kpf" in any case, zip and tar alike,
// not one that merely holds it ("P.kpf.bak", "notes.kpf.txt"). The
// archive's own match takes the first entry holding ".kpf" (tar: in two
// spellings only); where that is not the one, the entries are looked up by
// name. An archive error is left in the handler.
UnpackedProjectFile unpackProjectFile(ArchiveHandler& handler, const std::string& container,
                                      const std::string& dir) {
  handler.ClearFoundProjectEntry();
  if (!handler.ExtractProjectFile(container, dir).empty()) return {};
  UnpackedProjectFile found{handler.GetFoundProjectFile(), handler.GetFoundProjectEntry()};
  if (!sdkFileExists(found.path.c_str())) found = {};
  const bool zip = kxIsZipFile(container);
  // Zip: the first entry holding ".kpf" precedes every one ending in it.
  if (zip && endsWithKpf(found.entry)) return found;
  // A container damaged further on keeps the archive's own match; the
  // damage is reported when the rest is unpacked.
  std::vector<ContainerEntry> entries;
  if (!ListContainerEntries(container, entries).empty())
    return endsWithKpf(found.entry) ? found : UnpackedProjectFile{};
  int n = 0;
  for (const ContainerEntry& e : entries) {
    if (!endsWithKpf(e.name)) continue;
    if (e.name == found.entry && !found.path.empty()) return found;
    // A folder or link of that name leaves no file: the next one is tried.
    const std::string into = sdkJoinPath(dir, "n" + std::to_string(++n));
    if (!handler.ExtractNamed(container, zip ? sdkFileNamePart(e.name) : e.name, into).empty()) return {};
    if (std::string file = kxFindProjectFile(into); !file.empty()) return {file, e.name};
  }
  return {};
}

// The files of a folder holding an unpacked container, named by their
// paths below it as entries are. The folder may come from this program's
// extraction, which keeps the entries' folders, or from an older flat one.
std::vector<ArchiveExtracted> unpackedFiles(const std::string& dir) {
  std::vector<ArchiveExtracted> files;
  for (KxTreeFile& f : kxListTree(dir)) files.push_back({std::move(f.relative), std::move(f.path)});
  return files;
}

}  // namespace

int KxProject::OpenContainer(const std::string& kpcPath) {
  if (existingContainer(kpcPath).empty()) {
    ClearMessages();
    return log(kKxError, "Could not open file '%s'", kpcPath.c_str());
  }
  return ExtractContainer(kpcPath, 0, 0);
}

int KxProject::OpenContainerPrintAndForget(const std::string& kpcPath) {
  if (printAndForgetPath_.empty()) {
    ClearMessages();
    return log(kKxError, "Print-and-Forget path not specified in SETPPATH");
  }
  if (existingContainer(kpcPath).empty()) {
    ClearMessages();
    return log(kKxError, "Could not open file '%s'", kpcPath.c_str());
  }
  return ExtractContainer(kpcPath, 1, 0);
}

int KxProject::InspectContainer(const std::string& kpcPath) { return ExtractContainer(kpcPath, 0, 1); }

bool KxProject::mayOverwrite(const std::string& target) {
  if (overwriteAll_) return true;
  int answer = CallOverwriteHook(target.c_str());
  if (answer == 2) overwriteAll_ = true;
  return answer == 1 || answer == 2;
}

std::string KxProject::readableContainer(const std::string& kpcPath, const std::string& workDir) {
  KxVolumeError error;
  std::string container =
      kxReadableContainer(kpcPath, workDir, error, &cancelled_, joinProgress(kpcPath, progressHook_));
  if (container.empty())
    log_.Add(error.format == "Operation cancelled" ? kKxCancelled : kKxError, error.format, error.text);
  return container;
}

int KxProject::makePrintAndForgetFolder() {
  // The private folder goes between the root (the pattern up to the level
  // that holds the first placeholder) and the rest of the pattern.
  const std::string& pattern = printAndForgetPath_;
  const std::size_t mark = pattern.find("$$");
  const std::size_t cut = mark == std::string::npos ? pattern.size() : pattern.find_last_of("/\\", mark);
  std::string root = cut == std::string::npos ? std::string() : pattern.substr(0, cut);
  const std::string rest = cut == std::string::npos ? pattern : cut < pattern.size() ? pattern.substr(cut + 1) : "";
  const char separator = cut != std::string::npos && cut < pattern.size() ? pattern[cut] : kSdkHostSeparator;
  while (root.size() > 1 && sdkIsSeparator(root.back())) root.pop_back();
  // Another opening may remove the root it made between two steps here:
  // the root is made again and another name tried.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!root.empty() && !kxMakeDirsRecorded(root, createdDirs_)) break;
    // What killed openings left goes first.
    kxSweepAbandoned(root.empty() ? std::string(".") : root, "_pf");
    pfFolder_ = KxWorkFolder::make(root, "_pf");
    if (!pfFolder_) continue;
    const std::string& dir = pfFolder_->path();
    createdDirs_.push_back(dir);
    printAndForgetDir_ = dir + separator + rest;
    // The project file was read before the folder existed.
    for (auto& r : resources_) r->SetPath(ResolveInScope(r->GetScope(), r->GetName()));
    return GetMessageFlags();
  }
  return log(kKxError, "Could not create directory: '%s'", root.c_str());
}

int KxProject::requireSafeInstall() {
  // Without both names a project has no directory of its own, and its files
  // would land in the process's current folder.
  if (folderName_.empty()) log(kKxError, "Folder name not specified");
  if (projectName_.empty()) log(kKxError, "Project name not specified");
  // A container decides nothing about where it goes: its project paths
  // could name any folder on this computer.
  if (scopesFromKpf_ && !printAndForget_)
    log(kKxError, "Project paths of a container are not used to install it: '%s'",
        projectPaths_.empty() ? "" : projectPaths_[0].c_str());
  return GetMessageFlags();
}

int KxProject::ExtractContainer(const std::string& kpcPath, int printAndForget, int inspect) {
  const KxOpening how = inspect ? KxOpening::kInspect : printAndForget ? KxOpening::kPrintAndForget
                                                                      : KxOpening::kInstall;
  return openContainer(kpcPath, how);
}

int KxProject::ReadContainer(const std::string& kpcPath) {
  if (printAndForgetPath_.empty()) {
    ClearMessages();
    return log(kKxError, "Print-and-Forget path not specified in SETPPATH");
  }
  return openContainer(kpcPath, KxOpening::kRead);
}

int KxProject::openContainer(const std::string& kpcPath, KxOpening how) {
  const std::string path = existingContainer(kpcPath);
  if (path.empty()) {
    ClearMessages();
    return log(kKxError, "Could not open file '%s'", kpcPath.c_str());
  }
  Reset();
  ClearMessages();
  printAndForget_ = how == KxOpening::kPrintAndForget || how == KxOpening::kRead;
  overwriteAll_ = false;
  placedFiles_.clear();
  createdDirs_.clear();
  pfFolder_.reset();
  listedEntries_.clear();
  listedSizes_.clear();
  resourceEntries_.clear();
  nothingToRemove_ = how == KxOpening::kRead;
  // One count of unpacked bytes for the whole opening: project file, then
  // the entries.
  archive_->SetExtractLimits(archive_->GetExtractLimits());
  const bool inspect = how == KxOpening::kInspect || how == KxOpening::kRead;
  auto ok = [this] { return !(GetMessageFlags() & (kKxError | kKxCancelled)); };

  const std::unique_ptr<KxWorkFolder> work = tempWorkFolder("_x");
  if (!work) return log(kKxError, "Could not create temporary directory '%s'", sdkTempDirectory().c_str());

  SetVolumeNaming(path);
  std::string container = readableContainer(path, work->path());
  const std::string kpfDir = sdkJoinPath(work->path(), "kpf");
  std::string kpfTemp;
  if (ok() && !container.empty()) {
    sdkMakeDir(kpfDir.c_str());
    const UnpackedProjectFile unpacked = unpackProjectFile(*archive_, container, kpfDir);
    kpfTemp = unpacked.path;
    kpfEntry_ = unpacked.entry;
    takeArchiveError();
  }
  if (ok() && !container.empty()) {
    if (kpfTemp.empty()) {
      log(kKxError, "Could not find a file with .kpf extension in archive '%s'", kpcPath.c_str());
    } else {
      ReadKpf(kpfTemp);
    }
  }
  if (!kpfTemp.empty() && how != KxOpening::kInspect && !(GetMessageFlags() & kKxError)) requireSafeInstall();
  if (how == KxOpening::kPrintAndForget && !(GetMessageFlags() & kKxError) && !kpfTemp.empty())
    makePrintAndForgetFolder();
  // Reading for a look writes nothing outside the work folder.
  if (how != KxOpening::kRead && !(GetMessageFlags() & kKxError) && !kpfTemp.empty()) CreateProjectDirectories();
  if (!kpfTemp.empty()) {
    const std::string name = sdkFileNamePart(kpfTemp);
    kpfPath_ = ResolveLocalPath(name, 1);
    if (kpfPath_.empty()) kpfPath_ = ResolveLocalPath(name, 0);
    loaded_ = true;
    if (!inspect && !(GetMessageFlags() & kKxError) && !kpfPath_.empty()) placeFile(kpfTemp, kpfPath_, name, false);
  }
  if (how == KxOpening::kRead && !kpfTemp.empty() && !(GetMessageFlags() & kKxError)) {
    // Which entry holds each resource, from the headers alone.
    if (std::string error = listEntries(container, listedEntries_, listedSizes_); !error.empty())
      log(kKxError, "%s", error.c_str());
    int kpfIndex = -1;
    resourceEntries_ = entriesOfResources(listedEntries_, kpfEntry_, kpfIndex);
  }
  if (!inspect && !kpfTemp.empty() && !(GetMessageFlags() & kKxError)) {
    const std::string staging = sdkJoinPath(work->path(), "content");
    sdkMakeDir(staging.c_str());
    if (how == KxOpening::kInstall) {
      // Installing keeps every file of the container (the unlisted ones in
      // the local directory).
      archive_->Extract(container, staging);
    } else {
      unpackProjectEntries(container, staging);
    }
    takeArchiveError();
    if (!(GetMessageFlags() & kKxCancelled))
      placeExtractedFiles(archive_->GetExtractedEntries(), kpfEntry_, sdkDirPart(kpfPath_));
  }
  // A failed print-and-forget opening takes away what it placed: nothing
  // is left for a removal that its caller may never ask for.
  if (how == KxOpening::kPrintAndForget && !ok()) {
    removePlaced(false);
    nothingToRemove_ = true;
  }
  return GetMessageFlags();
}

void KxProject::unpackProjectEntries(const std::string& container, const std::string& staging) {
  std::vector<ArchiveExtracted> listed;
  std::vector<std::int64_t> sizes;
  if (std::string error = listEntries(container, listed, sizes); !error.empty()) {
    log(kKxError, "%s", error.c_str());
    return;
  }
  int kpfIndex = -1;
  const std::vector<int> match = entriesOfResources(listed, kpfEntry_, kpfIndex);
  // The project file's entry goes along: it tells the project's own folder
  // when the unpacked entries are matched again.
  std::vector<std::string> names;
  if (kpfIndex >= 0) names.push_back(listed[static_cast<std::size_t>(kpfIndex)].entryName);
  for (int m : match)
    if (m >= 0) names.push_back(listed[static_cast<std::size_t>(m)].entryName);
  archive_->ExtractEntries(container, names, staging);
}

int KxProject::CheckContainerEntries(std::int64_t maxSize) {
  std::set<std::string> seen;
  for (std::size_t i = 0; i < resources_.size(); ++i) {
    const std::string& name = resources_[i]->GetName();
    if (!seen.insert(name).second) {
      log(kKxError, "The Project already contains an element named '%s'", name.c_str());
      continue;
    }
    const int entry = i < resourceEntries_.size() ? resourceEntries_[i] : -1;
    if (entry < 0) {
      log(kKxError, "Could not find the resource '%s'", name.c_str());
      continue;
    }
    const std::int64_t size = listedSizes_[static_cast<std::size_t>(entry)];
    if (maxSize > 0 && size > maxSize)
      log(kKxError, "Resource file '%s' is too large to load (%lld bytes)", name.c_str(),
          static_cast<long long>(size));
  }
  return GetMessageFlags();
}

std::vector<int> KxProject::entriesOfResources(const std::vector<ArchiveExtracted>& entries,
                                               const std::string& kpfEntry, int& kpfIndex) const {
  std::vector<KxEntryFile> files;
  for (const auto& r : resources_) files.push_back({r->GetName(), r->GetScope()});
  return kxMatchEntries(entries, kpfEntry, files, kpfIndex);
}

bool KxProject::placeFile(const std::string& from, const std::string& target, std::string_view name, bool move) {
  const bool prepared = kxPrepareTarget(target, name, createdDirs_);
  errno = 0;
  if (prepared && (move ? sdkMoveFile(from.c_str(), target.c_str()) : sdkCopyFile(from.c_str(), target.c_str()))) {
    placedFiles_.push_back(target);
    return true;
  }
  const char* reason = !prepared ? "a folder on the way is missing, a file or a link" : errno ? std::strerror(errno)
                                                                                               : "unknown reason";
  log(kKxError, "Could not create file '%s' (%s)", target.c_str(), reason);
  return false;
}

void KxProject::placeExtractedFiles(const std::vector<ArchiveExtracted>& entries, const std::string& kpfEntry,
                                    const std::string& localDir) {
  int kpfIndex = -1;
  const std::vector<int> match = entriesOfResources(entries, kpfEntry, kpfIndex);
  std::vector<bool> used(entries.size(), false);
  if (kpfIndex >= 0) used[static_cast<std::size_t>(kpfIndex)] = true;
  // Two entries never land on one file: a target this operation placed is
  // not replaced by another entry. False only when the move failed; a
  // local file that cannot be placed is an error (reportFailure).
  std::set<std::string> placed;
  if (!kpfPath_.empty()) placed.insert(kpfPath_);
  auto place = [&](const std::string& staged, const std::string& target, const std::string& name,
                   bool reportFailure) {
    if (placed.count(target) || (sdkFileExists(target.c_str()) && !mayOverwrite(target))) return true;
    if (reportFailure) {
      if (!placeFile(staged, target, name, true)) return false;
    } else if (!kxPrepareTarget(target, name, createdDirs_) || !sdkMoveFile(staged.c_str(), target.c_str())) {
      return false;
    }
    placed.insert(target);
    return true;
  };
  const std::string status = archive_->GetStatusText();
  for (std::size_t i = 0; i < resources_.size(); ++i) {
    if (match[i] < 0) continue;
    const KxResource& r = *resources_[i];
    // Placing many thousands of files takes a while: the progress hook
    // hears of each, and may stop it (the caller removes what was placed).
    if (CallProgressHook(status.c_str(), static_cast<long>(resources_.size()), 0, static_cast<long>(i) + 1, 0,
                         r.GetName().c_str(), 0, 0) != 0) {
      log(kKxCancelled, "Operation cancelled");
      return;
    }
    const std::string& staged = entries[static_cast<std::size_t>(match[i])].path;
    used[static_cast<std::size_t>(match[i])] = true;
    const std::string inLocal = kxJoinContained(localDir, r.GetName());
    std::string target = ResolveInScope(r.GetScope(), r.GetName());
    if (r.GetScope() == kKxScopeLocal || target.empty()) target = inLocal;
    if (target.empty()) continue;
    // A shared file that cannot reach its scope stays in the local directory.
    if (target != inLocal && place(staged, target, r.GetName(), false)) continue;
    place(staged, inLocal, r.GetName(), true);
  }
  // Files the project does not list land in the local directory, except for
  // print-and-forget, whose directory must be removable afterwards, and
  // except other project files: the directory's project file is this one.
  if (printAndForget_) return;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (used[i] || endsWithKpf(entries[i].entryName)) continue;
    const std::string name = sdkFileNamePart(entries[i].path);
    const std::string target = kxJoinContained(localDir, name);
    if (!target.empty()) place(entries[i].path, target, name, false);
  }
}

int KxProject::OpenExtracted(const std::string& directory) { return ImportExtracted(directory, 0, 0, 0); }

int KxProject::OpenExtractedPrintAndForget(const std::string& directory) {
  if (printAndForgetPath_.empty()) {
    ClearMessages();
    return log(kKxError, "Print-and-Forget path not specified in SETPPATH");
  }
  return ImportExtracted(directory, 1, 0, 0);
}

int KxProject::ImportExtracted(const std::string& directory, int printAndForget, int move, int removeDirectory) {
  const int flags = importExtracted(directory, printAndForget, move, removeDirectory);
  // As for a container: a failed print-and-forget opening leaves nothing.
  if (printAndForget != 0 && (flags & (kKxError | kKxCancelled))) {
    removePlaced(false);
    nothingToRemove_ = true;
  }
  return GetMessageFlags();
}

int KxProject::importExtracted(const std::string& directory, int printAndForget, int move, int removeDirectory) {
  if (!sdkIsDirectory(directory.c_str())) {
    ClearMessages();
    return log(kKxError, "Could not open file '%s'", directory.c_str());
  }
  Reset();
  ClearMessages();
  printAndForget_ = printAndForget != 0;
  overwriteAll_ = false;
  placedFiles_.clear();
  createdDirs_.clear();
  pfFolder_.reset();
  nothingToRemove_ = false;

  // The project file: the shallowest file ending in ".kpf", then the first
  // by name; each resource takes its own file as it would its own entry.
  const std::vector<ArchiveExtracted> files = unpackedFiles(directory);
  const auto project =
      std::find_if(files.begin(), files.end(), [](const ArchiveExtracted& f) { return endsWithKpf(f.entryName); });
  if (project == files.end())
    return log(kKxError, "Could not find a file with .kpf extension in archive '%s'", directory.c_str());
  const std::string& kpf = project->path;
  if (ReadKpf(kpf) & kKxError) return GetMessageFlags();
  if (requireSafeInstall() & kKxError) return GetMessageFlags();
  if (printAndForget_ && (makePrintAndForgetFolder() & kKxError)) return GetMessageFlags();
  if (CreateProjectDirectories() & kKxError) return GetMessageFlags();
  const std::string name = sdkFileNamePart(kpf);
  kpfPath_ = ResolveLocalPath(name, 1);
  if (kpfPath_.empty()) kpfPath_ = ResolveLocalPath(name, 0);
  loaded_ = true;
  if (kpfPath_ != kpf && !placeFile(kpf, kpfPath_, name, move != 0)) return GetMessageFlags();

  int kpfIndex = -1;
  const std::vector<int> match = entriesOfResources(files, project->entryName, kpfIndex);
  const std::string localDir = sdkDirPart(kpfPath_);
  // Two files never land on one: a target placed here is not replaced.
  std::set<std::string> placed{kpfPath_};
  for (std::size_t i = 0; i < resources_.size(); ++i) {
    KxResource& r = *resources_[i];
    if (printAndForget_) {
      r.SetScope(kKxScopeLocal);
      r.SetPath(kxJoinContained(localDir, r.GetName()));
    }
    const std::string source =
        match[i] >= 0 ? files[static_cast<std::size_t>(match[i])].path : kxJoinContained(directory, r.GetName());
    if (!sdkFileExists(source.c_str())) {
      log(kKxError, "Could not open file '%s'", source.c_str());
      break;
    }
    const std::string& target = r.GetPath();
    if (target.empty() || target == source || placed.count(target)) continue;
    if (sdkFileExists(target.c_str()) && !mayOverwrite(target)) continue;
    if (!placeFile(source, target, r.GetName(), move != 0)) break;
    placed.insert(target);
  }
  if (removeDirectory && !(GetMessageFlags() & kKxError) && !sdkRemoveDir(directory.c_str()))
    log(kKxError, "The directory '%s' could not be removed", directory.c_str());
  return GetMessageFlags();
}

int KxProject::RemovePrintAndForget() {
  ClearMessages();
  if (!printAndForget_)
    log(kKxError, "Removal only a valid operation for archives extracted as 'Print-and-Forget'");
  if (printAndForgetPath_.empty()) log(kKxError, "Print-and-Forget path not specified in SETPPATH");
  if (GetMessageFlags() & kKxError) return GetMessageFlags();
  for (auto& r : resources_) {
    if (r->GetScope() == kKxScopeLocal) continue;
    return log(kKxError, "Resource '%s' was not at local scope, but should have been - removal operation halted",
               r->GetName().c_str());
  }
  // A project only read, or an opening that failed and cleaned up after
  // itself, has nothing to remove.
  if (!nothingToRemove_) removePlaced(true);
  return GetMessageFlags();
}

void KxProject::removePlaced(bool reportNothing) {
  // Only what the opening placed goes: the files it wrote and the folders
  // it made, innermost first. Whatever else shares those places (someone's
  // files, folders that were there before) stays.
  const std::string localDir = kpfPath_.empty() ? std::string() : sdkDirPart(kpfPath_);
  const bool anything = !placedFiles_.empty() || !createdDirs_.empty();
  while (!placedFiles_.empty()) {
    const std::string file = placedFiles_.back();
    if (sdkFileExists(file.c_str()) && !sdkDeleteFile(file.c_str())) {
      log(kKxError, "The file '%s' could not be removed - removal operation halted", file.c_str());
      return;
    }
    placedFiles_.pop_back();
  }
  if (!anything) {
    if (reportNothing) log(kKxError, "The directory '%s' could not be located for removal", localDir.c_str());
    return;
  }
  for (auto it = createdDirs_.rbegin(); it != createdDirs_.rend(); ++it) {
    const bool removed = !sdkIsDirectory(it->c_str()) || sdkRemoveDir(it->c_str());
    // The private folder's lock goes with it, before the root is tried. A
    // private folder that stays keeps its lock: it goes with the project,
    // or with the first opening after this process.
    if (removed && pfFolder_ && *it == pfFolder_->path()) {
      pfFolder_->release();
      pfFolder_.reset();
    }
    if (removed) continue;
    // Folders above the project's own one stay when others still use them.
    if (*it == localDir || localDir.compare(0, it->size(), *it) != 0)
      log(kKxError, "The directory '%s' could not be removed", it->c_str());
  }
  createdDirs_.clear();
}

int KxProject::CreateContainer(const std::string& kpcPath) {
  ClearMessages();
  if (kpfPath_.empty() || temporaryExport_) DeriveKpfPath();
  // Packing reads the project and writes only the container: the project
  // file is written as it stands now into a private folder and packed from
  // there, so the user's file (and its folder, which may be read-only) is
  // left as it is.
  const std::unique_ptr<KxWorkFolder> work = tempWorkFolder("_k");
  const std::string workPath = work ? work->path() : std::string();
  const std::string kpfName = sdkFileNamePart(kpfPath_);
  std::vector<ArchiveMember> members;
  if (!(GetMessageFlags() & kKxError)) {
    const std::string completed = kpcPath.find('.') == std::string::npos ? kpcPath + ".kpc" : kpcPath;
    if (sdkSameFile(completed.c_str(), kpfPath_.c_str())) {
      log(kKxError, "Could not create file '%s' (%s)", completed.c_str(), "it is the project file being packed");
    } else if (workPath.empty()) {
      log(kKxError, "Could not create temporary directory '%s'", sdkTempDirectory().c_str());
    }
  }
  if (!(GetMessageFlags() & kKxError)) {
    const std::string written = sdkJoinPath(workPath, kpfName);
    WriteKpf(written);
    // The entry carries the project file's own time, as the resources'
    // entries carry theirs: the same project packs into the same bytes.
    std::error_code ec;
    const auto stamp = std::filesystem::last_write_time(kpfPath_, ec);
    if (!ec) std::filesystem::last_write_time(written, stamp, ec);
    if (!sdkFileExists(written.c_str())) {
      log(kKxError, "Could not open file '%s'", written.c_str());
    } else {
      members.push_back({kxEntryNameFor(kKxScopeLocal, folderName_, projectName_, kpfName), written});
    }
  }
  if (!(GetMessageFlags() & kKxError)) {
    for (const auto& r : resources_) {
      if (!sdkFileExists(r->GetPath().c_str())) {
        log(kKxError, "Could not open file '%s'", r->GetPath().c_str());
        break;
      }
      members.push_back({kxEntryNameFor(r->GetScope(), folderName_, projectName_, r->GetName()), r->GetPath()});
    }
  }
  if (!(GetMessageFlags() & kKxError)) {
    if (archive_->GetVolumeSize() > 0 && archive_->GetArchiveFormat() == kArchiveFormatZip) {
      log(kKxError, "Compressed archives cannot be split into volumes");
    } else {
      SetVolumeNaming(kpcPath);
      sdkMakeDirs(kpcPath.c_str());
      archive_->Create(kpcPath, members);
      takeArchiveError();
    }
  }
  if (temporaryExport_ && !kpfPath_.empty()) {
    sdkDeleteFile(kpfPath_.c_str());
    sdkRemoveDir(sdkDirPart(kpfPath_).c_str());
  }
  return GetMessageFlags();
}

void KxProject::SetVolumeNaming(const std::string& kpcPath) {
  std::string fileName = sdkFileNamePart(kpcPath);
  std::string base;
  long index = 0, count = 0;
  if (!kxIsVolumeFile(fileName) || !kxParseVolumeName(fileName, base, index, count))
    base = fileNameWithoutExtension(fileName);
  archive_->SetVolumeNameParts(sdkDirPart(kpcPath), base, "\\", ".kpv");
}

std::string KxProject::extractResource(const std::string& container, int index, const std::string& targetDir) {
  // Matched on the headers, so that the resource takes its own entry even
  // where another entry carries the same file name; only that one is
  // unpacked.
  std::vector<ArchiveExtracted> listed;
  std::vector<std::int64_t> sizes;
  if (std::string error = listEntries(container, listed, sizes); !error.empty()) {
    log(kKxError, "%s", error.c_str());
    return error;
  }
  int kpfIndex = -1;
  const std::vector<int> match =
      entriesOfResources(listed, kpfEntry_.empty() ? sdkFileNamePart(kpfPath_) : kpfEntry_, kpfIndex);
  const int found = match[static_cast<std::size_t>(index)];
  const std::unique_ptr<KxWorkFolder> staging = tempWorkFolder("_x");
  std::string unpacked;
  if (found >= 0 && staging) {
    const std::string& wanted = listed[static_cast<std::size_t>(found)].entryName;
    archive_->ExtractEntries(container, {wanted}, staging->path());
    if (takeArchiveError()) return archive_->GetErrorText();
    for (const ArchiveExtracted& e : archive_->GetExtractedEntries())
      if (e.entryName == wanted) unpacked = e.path;
  }
  const KxResource& r = *resources_[static_cast<std::size_t>(index)];
  const std::string target = kxJoinContained(targetDir, r.GetName());
  std::vector<std::string> created;
  if (unpacked.empty() || target.empty() || !kxPrepareTarget(target, r.GetName(), created) ||
      !sdkMoveFile(unpacked.c_str(), target.c_str())) {
    const char* templ = "ERROR (Minizip): No .kpf file found in archive %s";
    std::string text = sdkFormat(templ, container.c_str());
    log_.AddVerbatim(text, templ);
    return text;
  }
  return std::string();
}

int KxProject::ExtractEntry(const std::string& kpcPath, int entry) {
  if (entry < 0 || entry > GetResourceCount()) return 0;
  ClearMessages();
  const std::string path = existingContainer(kpcPath);
  if (path.empty()) return log(kKxError, "Could not open file '%s'", kpcPath.c_str());
  const std::unique_ptr<KxWorkFolder> work = tempWorkFolder("_x");
  if (!work) return log(kKxError, "Could not create temporary directory '%s'", sdkTempDirectory().c_str());
  std::string container = readableContainer(path, work->path());
  if (container.empty()) return GetMessageFlags();
  // An entry goes only into a directory of the project, never into the
  // current folder.
  const KxResource* r = entry == 0 ? nullptr : resources_[entry - 1].get();
  const std::string where = r ? ResolveInScope(r->GetScope(), r->GetName()) : kpfPath_;
  if (where.empty())
    return log(kKxError, "Could not create file '%s' (%s)", r ? r->GetName().c_str() : "", "no project directory");
  if (r) {
    // The scope's folder: the resolved path without the name, which may
    // hold folder levels of its own.
    std::string dir = where.substr(0, where.size() - r->GetName().size());
    if (!dir.empty() && sdkIsSeparator(dir.back())) dir.pop_back();
    extractResource(container, entry - 1, dir);
    return GetMessageFlags();
  }
  const std::string unpacked = sdkJoinPath(work->path(), "kpf");
  sdkMakeDir(unpacked.c_str());
  const std::string kpf = unpackProjectFile(*archive_, container, unpacked).path;
  if (!takeArchiveError() && kpf.empty())
    log(kKxError, "Could not find a file with .kpf extension in archive '%s'", kpcPath.c_str());
  if (!kpf.empty()) {
    const std::string name = sdkFileNamePart(kpf);
    std::vector<std::string> created;
    const std::string target = kxJoinContained(sdkDirPart(where), name);
    if (!kxPrepareTarget(target, name, created) || !sdkCopyFile(kpf.c_str(), target.c_str()))
      log(kKxError, "Could not create file '%s' (%s)", target.c_str(), std::strerror(errno));
  }
  return GetMessageFlags();
}

int kpsdkPeekProjectType(std::string& error, const std::string& kpfPath) {
  error.clear();
  std::optional<std::string> text = sdkReadWholeFile(kpfPath.c_str());
  if (!text) {
    error = sdkFormat("Could not open file '%s'", kpfPath.c_str());
    return -1;
  }
  constexpr std::string_view kTag = "<PROJECT_TYPE>";
  std::size_t at = text->find(kTag);
  if (at == std::string::npos) return kKxTypeKoro;
  std::size_t from = at + kTag.size();
  std::size_t end = text->find('<', from);
  if (end == std::string::npos) return -1;
  return kxParseProjectType(std::string_view(*text).substr(from, end - from));
}

int kpsdkPeekContainerProjectType(std::string& error, const std::string& kpcPath, const KxProgressHook& progress) {
  error.clear();
  const std::unique_ptr<KxWorkFolder> work = tempWorkFolder("_y");
  if (!work) {
    error = sdkFormat("Could not create temporary directory '%s'", sdkTempDirectory().c_str());
    return -1;
  }
  std::string container = existingContainer(kpcPath);
  if (container.empty()) container = kpcPath;  // the archive reports it
  KxVolumeError volumeError;
  const KxJoinProgress joining = joinProgress(container, progress);
  container = kxReadableContainer(container, work->path(), volumeError, nullptr, joining);
  if (container.empty()) {
    error = volumeError.text;
    return -1;
  }
  const std::string target = sdkJoinPath(work->path(), "kpf");
  sdkMakeDir(target.c_str());
  ArchiveHandler handler(nullptr);
  if (progress)
    handler.SetProgressHook([&progress](ArchiveHandler&, const char* status, long files, std::int64_t total,
                                        long current, std::int64_t done, const char* file, std::int64_t size,
                                        std::int64_t fileDone) {
      return progress(status, files, total, current, done, file, size, fileDone);
    });
  std::string kpf = unpackProjectFile(handler, container, target).path;
  error = handler.GetErrorText();
  if (kpf.empty()) return -1;
  return kpsdkPeekProjectType(error, kpf);
}
