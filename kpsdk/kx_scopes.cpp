// KxProject: candidate directories of the three scopes, resolution of a file
// name to its location, and hiding between scopes.
//
// A scope's candidates come from its directory patterns with "$$FOLDER." and
// "$$PROJECT." replaced by the project's names. A file resolves to the first
// candidate directory that holds it; when none does and the file need not
// exist, to the first candidate. Names that could lead out of a candidate
// (kx_names.h) resolve to nothing and give no candidates.
#include "base/sdk_string.h"
#include "kpsdk/kx_names.h"
#include "kpsdk/kx_project.h"

namespace {

constexpr std::string_view kFolderMark = "$$FOLDER.";

void keepCandidate(std::vector<std::string>& out, std::string dir, int mustExist) {
  if (!mustExist || sdkIsDirectory(dir.c_str())) out.push_back(std::move(dir));
}

}  // namespace

std::vector<std::string> KxProject::GetLocalDirectories(std::string_view folder, std::string_view project,
                                                        int mustExist) const {
  std::vector<std::string> out;
  if (!kxIsSafeFolderName(folder) || !kxIsSafeFolderName(project)) return out;
  if (printAndForget_) {
    const std::string& pattern = printAndForgetDir_.empty() ? printAndForgetPath_ : printAndForgetDir_;
    keepCandidate(out, kxSubstitutePlaceholders(pattern, folder, project), mustExist);
    return out;
  }
  for (const std::string& p : scopePatterns_[kKxScopeLocal])
    keepCandidate(out, kxSubstitutePlaceholders(p, folder, project), mustExist);
  return out;
}

std::vector<std::string> KxProject::GetFolderDirectories(std::string_view folder, int mustExist) const {
  std::vector<std::string> out;
  if (!kxIsSafeFolderName(folder)) return out;
  for (std::string p : scopePatterns_[kKxScopeFolder]) {
    sdkReplaceAll(p, kFolderMark, folder);
    keepCandidate(out, std::move(p), mustExist);
  }
  return out;
}

std::vector<std::string> KxProject::GetGlobalDirectories(int mustExist) const {
  std::vector<std::string> out;
  for (const std::string& p : scopePatterns_[kKxScopeGlobal]) keepCandidate(out, p, mustExist);
  return out;
}

std::string KxProject::resolveIn(const std::vector<std::string>& candidates, std::string_view name,
                                 int mustExist) const {
  if (!kxIsSafeRelativeName(name)) return std::string();
  for (const std::string& dir : candidates) {
    std::string path = kxJoinContained(dir, name);
    if (sdkFileExists(path.c_str())) return path;
  }
  if (!mustExist && !candidates.empty()) return kxJoinContained(candidates.front(), name);
  return std::string();
}

std::string KxProject::ResolveLocalPath(std::string_view name, int mustExist) const {
  if (folderName_.empty() || projectName_.empty()) return std::string();
  return resolveIn(GetLocalDirectories(folderName_, projectName_, 0), name, mustExist);
}

std::string KxProject::ResolveFolderPath(std::string_view name, int mustExist) const {
  if (folderName_.empty() || projectName_.empty()) return std::string();
  return resolveIn(GetFolderDirectories(folderName_, 0), name, mustExist);
}

std::string KxProject::ResolveGlobalPath(std::string_view name, int mustExist) const {
  if (folderName_.empty() || projectName_.empty()) return std::string();
  return resolveIn(GetGlobalDirectories(0), name, mustExist);
}

std::string KxProject::ResolveInScope(int scope, std::string_view name) const {
  auto resolve = [&](int mustExist) {
    switch (scope) {
      case kKxScopeFolder: return ResolveFolderPath(name, mustExist);
      case kKxScopeGlobal: return ResolveGlobalPath(name, mustExist);
      default: return ResolveLocalPath(name, mustExist);
    }
  };
  std::string path = resolve(1);
  return path.empty() ? resolve(0) : path;
}

int KxProject::GetScopeFlags(std::string_view name) const {
  return (ExistsLocal(name) ? 1 : 0) | (ExistsFolder(name) ? 2 : 0) | (ExistsGlobal(name) ? 4 : 0);
}

int KxProject::IsHidden(std::string_view name) const {
  int flags = GetScopeFlags(name);
  return flags == 0 || flags == 1 || flags == 2 || flags == 4 ? 0 : 1;
}

int KxProject::ReportHiding(std::string_view name) {
  int flags = GetScopeFlags(name);
  if (!IsHidden(name)) return GetMessageFlags();
  std::string local = ResolveLocalPath(name, 1);
  std::string folder = ResolveFolderPath(name, 1);
  std::string global = ResolveGlobalPath(name, 1);
  if ((flags & 1) && (flags & 2))
    log(kKxWarning, "Local scope '%s' hides Folder scope '%s'", local.c_str(), folder.c_str());
  if ((flags & 1) && (flags & 4))
    log(kKxWarning, "Local scope '%s' hides Global scope '%s'", local.c_str(), global.c_str());
  if ((flags & 2) && (flags & 4))
    log(kKxWarning, "Folder scope '%s' hides Global scope '%s'", folder.c_str(), global.c_str());
  return GetMessageFlags();
}

int KxProject::CreateProjectDirectories() {
  if (folderName_.empty() || projectName_.empty()) return GetMessageFlags();
  // Only the directory of a location is used, so any file name will do.
  constexpr std::string_view kPlaceholder = "kx.placeholder";
  auto locate = [&](auto resolve) {
    std::string path = (this->*resolve)(kPlaceholder, 1);
    return path.empty() ? (this->*resolve)(kPlaceholder, 0) : path;
  };
  std::vector<std::string> locations{locate(&KxProject::ResolveLocalPath)};
  if (!printAndForget_) {
    locations.push_back(locate(&KxProject::ResolveFolderPath));
    locations.push_back(locate(&KxProject::ResolveGlobalPath));
  }
  for (const std::string& location : locations) {
    if (location.empty()) continue;
    // What is created here is recorded, so that print-and-forget removal
    // takes away these folders and no others.
    if (!kxMakeDirsRecorded(sdkDirPart(location), createdDirs_))
      return log(kKxError, "Could not create directory: '%s'", sdkDirPart(location).c_str());
  }
  return GetMessageFlags();
}
