#include "archive/archive_handler.h"

#include <cstdio>

#include "archive/archive_fs.h"
#include "archive/archive_state.h"
#include "base/sdk_fs.h"

namespace {

// "PK" at the start means zip; any other content means tar. A path that
// cannot be opened counts as zip, whose open then reports it.
bool looksLikeZip(const std::string& path) {
  std::FILE* f = archiveOpenRead(path);
  if (!f) return true;
  char magic[2] = {0, 0};
  std::size_t n = std::fread(magic, 1, 2, f);
  std::fclose(f);
  return n == 2 && magic[0] == 'P' && magic[1] == 'K';
}

// Makes the target folder when it is missing; false (with the error
// recorded) when it cannot be made.
bool prepareFolder(ArchiveState& state, const std::string& folder) {
  if (folder.empty() || sdkIsDirectory(folder.c_str())) return true;
  std::string withSeparator = folder;
  if (!sdkIsSeparator(withSeparator.back())) withSeparator += kSdkHostSeparator;
  if (sdkMakeDirs(withSeparator.c_str()) && sdkIsDirectory(folder.c_str())) return true;
  state.error(kArchiveMsgMakeDir, folder.c_str());
  return false;
}

void runCreate(ArchiveState& state, const std::string& containerName, const std::vector<std::string>& files,
               const std::string& baseFolder) {
  state.wholeOrNothing = true;
  std::vector<std::string> argv;
  if (state.format != kArchiveFormatZip) {
    argv = {"pdtar_main", "-f", containerName, "-cv"};
    // A first file starting with "-" must not be read as options.
    if (!files.empty() && !files.front().empty() && files.front()[0] == '-') argv.push_back("--");
    argv.insert(argv.end(), files.begin(), files.end());
    tarMain(state, argv, baseFolder);
  } else {
    argv = {"zip_main", "-o", containerName};
    argv.insert(argv.end(), files.begin(), files.end());
    zipMain(state, argv, baseFolder);
  }
}

std::vector<std::string> tarExtractVector(const std::string& path) { return {"pdtar_main", "-f", path, "-xvi"}; }

// Every entry (or every chosen one) into the target folder, keeping folders.
void extractAll(ArchiveState& state, const std::string& containerPath, const std::string& targetFolder) {
  if (!prepareFolder(state, targetFolder)) return;
  if (looksLikeZip(containerPath)) {
    unzipMain(state, {"unzip_main", "-E", containerPath}, targetFolder);
  } else {
    tarMain(state, tarExtractVector(containerPath), targetFolder);
  }
}

}  // namespace

ArchiveHandler::ArchiveHandler(void* owner) : state_(std::make_unique<ArchiveState>(*this, owner)) {}

ArchiveHandler::~ArchiveHandler() = default;

std::string ArchiveHandler::Create(const std::string& containerName, const std::vector<std::string>& files,
                                   const std::string& baseFolder) {
  state_->begin();
  runCreate(*state_, containerName, files, baseFolder);
  return state_->errorText();
}

std::string ArchiveHandler::Create(const std::string& containerName, const std::vector<ArchiveMember>& members) {
  state_->begin();
  std::vector<std::string> names;
  for (const ArchiveMember& m : members) {
    names.push_back(m.entryName);
    state_->sources[m.entryName] = m.sourcePath;
  }
  runCreate(*state_, containerName, names, {});
  return state_->errorText();
}

std::string ArchiveHandler::Extract(const std::string& containerPath, const std::string& targetFolder) {
  state_->begin();
  extractAll(*state_, containerPath, targetFolder);
  return state_->errorText();
}

std::string ArchiveHandler::ExtractEntries(const std::string& containerPath, const std::vector<std::string>& entryNames,
                                           const std::string& targetFolder) {
  state_->begin();
  state_->chosenOnly = true;
  state_->chosen.insert(entryNames.begin(), entryNames.end());
  extractAll(*state_, containerPath, targetFolder);
  return state_->errorText();
}

std::string ArchiveHandler::ExtractProjectFile(const std::string& containerPath, const std::string& targetFolder) {
  state_->begin();
  ClearFoundProjectEntry();
  if (prepareFolder(*state_, targetFolder)) {
    if (looksLikeZip(containerPath)) {
      unzipMain(*state_, {"unzip_main", "-V", containerPath}, targetFolder);
    } else {
      std::vector<std::string> argv = tarExtractVector(containerPath);
      argv.push_back("!");
      tarMain(*state_, argv, targetFolder);
    }
  }
  return state_->errorText();
}

std::string ArchiveHandler::ExtractNamed(const std::string& containerPath, const std::string& entryName,
                                         const std::string& targetFolder) {
  state_->begin();
  if (prepareFolder(*state_, targetFolder)) {
    if (looksLikeZip(containerPath)) {
      unzipMain(*state_, {"unzip_main", "-A", containerPath, entryName}, targetFolder);
    } else {
      std::vector<std::string> argv = tarExtractVector(containerPath);
      argv.push_back(entryName);
      tarMain(*state_, argv, targetFolder);
    }
  }
  return state_->errorText();
}

std::string ArchiveHandler::RunTar(const std::vector<std::string>& argv, const std::string& folder) {
  state_->begin();
  tarMain(*state_, argv, folder);
  return state_->errorText();
}

void* ArchiveHandler::GetOwner() const { return state_->owner; }

void ArchiveHandler::Reset() { state_->reset(); }

void ArchiveHandler::SetArchiveFormat(int format) { state_->format = format; }

int ArchiveHandler::GetArchiveFormat() const { return state_->format; }

void ArchiveHandler::SetVolumeSize(int records) { state_->volumeSize = records; }

int ArchiveHandler::GetVolumeSize() const { return state_->volumeSize; }

void ArchiveHandler::SetVolumeNameParts(const std::string& folder, const std::string& baseName,
                                        const std::string& separator, const std::string& extension) {
  state_->volumeFolder = folder;
  state_->volumeBase = baseName;
  state_->volumeSeparator = separator;
  state_->volumeExtension = extension;
}

void ArchiveHandler::FormatVolumeNames(long volumeIndex) { state_->formatVolumeNames(volumeIndex); }

std::string ArchiveHandler::GetVolumeFileName() const { return state_->currentVolumeFileName(); }

std::string ArchiveHandler::GetVolumePath() const { return state_->currentVolumePath(); }

long ArchiveHandler::GetVolumeCount() const { return state_->volumeCount; }

std::int64_t ArchiveHandler::GetPredictedSize() const { return state_->predictedSize; }

void ArchiveHandler::Cancel() { state_->cancelFromOutside(); }

bool ArchiveHandler::IsCancelled() const { return state_->cancelled; }

void ArchiveHandler::SetProgressHook(ProgressHook hook) { state_->progressHook = std::move(hook); }

void ArchiveHandler::SetVolumeHook(VolumeHook hook) { state_->volumeHook = std::move(hook); }

void ArchiveHandler::SetOverwriteHook(OverwriteHook hook) { state_->overwriteHook = std::move(hook); }

void ArchiveHandler::SetExtractLimits(const ArchiveExtractLimits& limits) {
  state_->limits = limits;
  state_->countAcrossOperations = true;
  state_->extractedBytes = 0;
}
ArchiveExtractLimits ArchiveHandler::GetExtractLimits() const { return state_->limits; }

std::string ArchiveHandler::GetErrorText() const { return state_->errorText(); }

std::string ArchiveHandler::GetErrorTemplate() const { return state_->errorTemplate(); }

std::string ArchiveHandler::GetListing() const { return state_->listing; }

std::vector<ArchiveExtracted> ArchiveHandler::GetExtractedEntries() const { return state_->extracted; }

std::string ArchiveHandler::GetFoundProjectEntry() const { return state_->foundEntry; }

std::string ArchiveHandler::GetFoundProjectFile() const { return state_->foundFile; }

void ArchiveHandler::ClearFoundProjectEntry() {
  state_->foundEntry.clear();
  state_->foundFile.clear();
}

std::string ArchiveHandler::GetStatusText() const { return state_->status; }

long ArchiveHandler::GetFileCount() const { return state_->fileCount; }

std::int64_t ArchiveHandler::GetTotalBytes() const { return state_->totalBytes; }

long ArchiveHandler::GetCurrentIndex() const { return state_->currentIndex; }

std::int64_t ArchiveHandler::GetBytesDone() const { return state_->bytesDone; }

std::string ArchiveHandler::GetCurrentFileName() const { return state_->currentFile; }

std::int64_t ArchiveHandler::GetCurrentFileSize() const { return state_->currentSize; }

std::int64_t ArchiveHandler::GetCurrentFileBytesDone() const { return state_->currentDone; }
