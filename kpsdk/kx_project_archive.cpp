// KxProject: construction and the link to the project's archive handler
// (format, volume size and naming, hooks, cancellation, error texts).
#include "archive/archive_handler.h"
#include "kpsdk/kx_project.h"
#include "kpsdk/kx_work_folder.h"

namespace {

KxProject* ownerOf(const ArchiveHandler& handler) { return static_cast<KxProject*>(handler.GetOwner()); }

// The trampolines the handler calls: each finds the owning project and asks
// its hook.
int progressTrampoline(ArchiveHandler& handler, const char* status, long files, std::int64_t totalBytes,
                       long current, std::int64_t done, const char* fileName, std::int64_t fileSize,
                       std::int64_t fileDone) {
  KxProject* project = ownerOf(handler);
  if (!project) return 0;
  return project->CallProgressHook(status, files, totalBytes, current, done, fileName, fileSize, fileDone);
}

int volumeTrampoline(ArchiveHandler& handler, const char* volumeFileName, const char* folder) {
  KxProject* project = ownerOf(handler);
  return project ? project->CallVolumeHook(volumeFileName, folder) : 0;
}

char overwriteTrampoline(ArchiveHandler& handler, const char* path) {
  KxProject* project = ownerOf(handler);
  if (!project) return 'A';
  switch (project->CallOverwriteHook(path)) {
    case 1: return 'Y';
    case 2: return 'A';
    default: return 'N';
  }
}

}  // namespace

KxProject::KxProject(const std::string& /*stubPath*/)
    : currentModification_(std::make_unique<KxModification>()),
      archive_(std::make_unique<ArchiveHandler>(this)),
      projectPaths_(3) {
  for (auto& list : stubTypePaths_) list.assign(3, std::string());
  archive_->SetProgressHook(progressTrampoline);
  archive_->SetVolumeHook(volumeTrampoline);
  archive_->SetOverwriteHook(overwriteTrampoline);
}

KxProject::~KxProject() {
  for (auto& r : resources_) r->owner_ = nullptr;
}

void KxProject::ClearMessages() {
  log_.Clear();
  archive_->Reset();
}

int KxProject::takeArchiveError() {
  std::string text = archive_->GetErrorText();
  if (text.empty()) return 0;
  log_.AddVerbatim(text, archive_->GetErrorTemplate());
  return 1;
}

void KxProject::SetArchiveFormat(int format) {
  archiveFormat_ = format;
  archive_->SetArchiveFormat(format);
}

int KxProject::GetArchiveVolumeSize() const { return archive_->GetVolumeSize(); }

void KxProject::SetArchiveVolumeSize(int records) {
  if (records < 0) {
    log(kKxError, "Archive volume size must be greater than zero");
    return;
  }
  archive_->SetVolumeSize(records);
  // Only tar containers are split into volumes.
  if (records != 0) SetArchiveFormat(kArchiveFormatTar);
}

std::string KxProject::GetVolumeFileName() const { return archive_->GetVolumeFileName(); }
std::string KxProject::GetVolumePath() const { return archive_->GetVolumePath(); }
long KxProject::GetVolumeCount() const { return archive_->GetVolumeCount(); }

void KxProject::Cancel() {
  archive_->Cancel();
  cancelled_ = true;
}
