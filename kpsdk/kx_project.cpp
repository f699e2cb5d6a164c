// KxProject: construction, the message log, information fields, PRIVATE
// sections, Reset and the caller-owned values.
#include "kpsdk/kx_project.h"

#include <cstdarg>
#include <mutex>

#include "base/sdk_string.h"

namespace {

std::mutex& substitutionMutex() {
  static std::mutex m;
  return m;
}

KpsdkSubstitutionHook& substitutionHook() {
  static KpsdkSubstitutionHook hook;
  return hook;
}

}  // namespace

SdkLock& kpsdkProjectLock() {
  static SdkLock lock;
  return lock;
}

void kpsdkSetSubstitutionHook(KpsdkSubstitutionHook hook) {
  std::lock_guard<std::mutex> guard(substitutionMutex());
  substitutionHook() = std::move(hook);
}

// Applies the installed substitution hook to a stub-file path.
void kpsdkSubstitutePath(std::string& path) {
  KpsdkSubstitutionHook hook;
  {
    std::lock_guard<std::mutex> guard(substitutionMutex());
    hook = substitutionHook();
  }
  if (hook) hook(path);
}

std::unique_ptr<KxProject> kxProjectNew(const std::string& stubPath) {
  if (!sdkFileExists(stubPath.c_str())) return nullptr;
  auto project = std::make_unique<KxProject>(stubPath);
  project->LoadStubFile(stubPath);
  return project;
}

int KxProject::AddMessage(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int flags = logV(level, format, args);
  va_end(args);
  return flags;
}

int KxProject::log(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int flags = logV(level, format, args);
  va_end(args);
  return flags;
}

int KxProject::logV(int level, const char* format, va_list args) {
  log_.Add(level, format, sdkFormatV(format, args));
  return log_.Flags();
}

int KxProject::logFormatted(int level, std::string_view text) {
  log_.Add(level, text, text);
  return log_.Flags();
}

int KxProject::SetProjectType(int type) {
  if (type < kKxTypeKoro || type > kKxTypePpmlGa) {
    log(kKxError, "Invalid project type: '%d'", type);
    return kKxError;
  }
  projectType_ = type;
  if (ValidateProjectPaths()) ReconcileProjectPaths(type, mismatchAction_);
  return 0;
}

int KxProject::SetPathMismatchAction(int action) {
  if (action < 0 || action > 2) {
    log(kKxError, "Invalid Project Path Mismatch Action: '%d'", action);
    return kKxError;
  }
  mismatchAction_ = action;
  return 0;
}

void KxProject::SetFolderProjectNames(std::string_view folder, std::string_view project) {
  folderName_ = folder;
  projectName_ = project;
  DeriveScopePatterns(0);
}

KxProjectInformation KxProject::GetInformation() const {
  KxProjectInformation i;
  i.kpfPath = kpfPath_;
  i.kpfVersion = kpfVersion_;
  i.copyright = copyright_;
  i.folderName = folderName_;
  i.projectName = projectName_;
  i.projectVersion = projectVersion_;
  i.projectTitle = projectTitle_;
  i.projectDescription = projectDescription_;
  i.author = author_;
  i.keywords = keywords_;
  i.generator = generator_;
  i.creationDate = creationDate_;
  i.currentDate = currentDate_;
  i.currentUser = currentUser_;
  i.projectType = projectType_;
  i.modified = IsModified();
  i.recordModifications = recordModifications_ ? 1 : 0;
  return i;
}

KxProjectInformation KxProject::GetInformation2() const {
  KxProjectInformation i = GetInformation();
  i.encoding = encoding_;
  i.printAndForget = IsPrintAndForget();
  i.loaded = IsLoaded();
  return i;
}

const char* KxProject::GetPrivateSection(std::string_view identifier) const {
  for (auto it = privateSections_.rbegin(); it != privateSections_.rend(); ++it)
    if (it->identifier == identifier) return it->content.c_str();
  return nullptr;
}

void KxProject::SetPrivateSection(std::string_view identifier, const char* content) {
  for (auto it = privateSections_.begin(); it != privateSections_.end(); ++it) {
    if (it->identifier != identifier) continue;
    if (content) {
      it->content = content;
    } else {
      privateSections_.erase(it);
    }
    return;
  }
  if (content) privateSections_.push_back({std::string(identifier), content});
}

KxModification* KxProject::GetModification(int index) const {
  if (index < 0 || index >= GetModificationCount()) return nullptr;
  return modifications_[index].get();
}

std::string KxProject::GetEntryName(int entry) const {
  if (entry == 0) return sdkFileNamePart(kpfPath_);
  if (entry >= 1 && entry <= GetResourceCount()) return resources_[entry - 1]->GetName();
  return std::string();
}

std::string KxProject::GetEntryPath(int entry) const {
  if (entry == 0 && !kpfPath_.empty()) return kpfPath_;
  if (entry >= 1 && entry <= GetResourceCount()) return resources_[entry - 1]->GetPath();
  return "KPF";
}

void KxProject::Reset() {
  for (std::string* s : {&kpfPath_, &kpfEntry_, &printAndForgetDir_, &kpfVersion_, &copyright_, &folderName_, &projectName_, &projectVersion_,
                         &projectTitle_, &projectDescription_, &author_, &keywords_, &generator_, &creationDate_,
                         &currentDate_, &currentUser_})
    s->clear();
  for (auto& r : resources_) r->owner_ = nullptr;
  resources_.clear();
  nameIndex_.clear();
  indexDirty_ = false;
  submissionFiles_.clear();
  jobTickets_.clear();
  // An emptied ticket list frees the choice between orders and IDs.
  jobTicketOrderSeen_ = false;
  jobTicketIdSeen_ = false;
  modifications_.clear();
  currentModification_ = std::make_unique<KxModification>();
  privateSections_.clear();
  for (auto& p : scopePatterns_) p.clear();
  for (auto& p : kpfProjectPaths_) p.clear();
  kpfPathsFixed_ = false;
  reader_ = ReaderState{};
  recordModifications_ = false;
  modified_ = false;
  printAndForget_ = false;
  optionA_ = 0;
  optionB_ = 0;
  number_ = 0;
  projectType_ = kKxTypeKoro;
  SetArchiveFormat(0);
  SetArchiveVolumeSize(0);
  archiveFormat_ = 0;
  cancelled_ = false;
  encoding_ = "ISO-8859-1";
  ClearMessages();
}

void KxProject::SetProjectProgressHook(KxProgressHook hook) { progressHook_ = std::move(hook); }
void KxProject::SetProjectVolumeHook(KxVolumeHook hook) { volumeHook_ = std::move(hook); }
void KxProject::SetProjectOverwriteHook(KxOverwriteHook hook) { overwriteHook_ = std::move(hook); }

int KxProject::CallProgressHook(const char* status, long files, std::int64_t totalBytes, long current,
                                std::int64_t done, const char* fileName, std::int64_t fileSize,
                                std::int64_t fileDone) {
  if (!progressHook_) return 0;
  return progressHook_(status, files, totalBytes, current, done, fileName, fileSize, fileDone);
}

int KxProject::CallVolumeHook(const char* volumeFileName, const char* folder) {
  return volumeHook_ ? volumeHook_(volumeFileName, folder) : 0;
}

int KxProject::CallOverwriteHook(const char* targetPath) {
  return overwriteHook_ ? overwriteHook_(targetPath) : 1;
}
