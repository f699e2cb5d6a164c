#include "archive/archive_state.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>

#include "archive/archive_fs.h"
#include "archive/archive_paths.h"
#include "base/sdk_fs.h"
#include "base/sdk_string.h"

namespace {

// The text buffers of the handler held this much; the listing keeps to it so
// that a huge archive cannot grow it without bound.
constexpr std::size_t kListingLimit = 65535;

}  // namespace

void ArchiveState::reset() {
  status.clear();
  currentFile.clear();
  listing.clear();
  {
    std::lock_guard<std::mutex> lock(errorMutex_);
    errorText_.clear();
    errorTemplate_.clear();
  }
  fileCount = 0;
  totalBytes = 0;
  currentIndex = 0;
  bytesDone = 0;
  currentSize = 0;
  currentDone = 0;
}

void ArchiveState::begin() {
  reset();
  cancelled = false;
  errorReported = false;
  tarRunning = false;
  if (!countAcrossOperations) extractedBytes = 0;
  totalCap = 0;
  sources.clear();
  wholeOrNothing = false;
  extracted.clear();
  chosenOnly = false;
  chosen.clear();
}

std::string ArchiveState::sourceOf(const std::string& baseFolder, const std::string& file) const {
  auto named = sources.find(file);
  return named != sources.end() ? named->second : archiveSourcePath(baseFolder, file);
}

bool ArchiveState::refusesOutput(const std::string& output, const std::vector<std::string>& files,
                                 const std::string& baseFolder) {
  for (const std::string& file : files) {
    if (!sdkSameFile(output.c_str(), sourceOf(baseFolder, file).c_str())) continue;
    internal(kTagOutputIsInput, output, "the archive would replace " + file + ", which it packs");
    return true;
  }
  return false;
}

void ArchiveState::startExtraction(const std::string& container) {
  totalCap = limits.maxTotalBytes;
  if (totalCap != kArchiveTotalFromContainer) return;
  const std::int64_t size = sdkFileSize(container.c_str());
  const std::int64_t multiple = std::max<std::int64_t>(limits.containerMultiple, 0);
  totalCap = multiple > 0 && size > INT64_MAX / multiple ? INT64_MAX : size * multiple;
  totalCap = std::max(totalCap, limits.totalFloor);
}

bool ArchiveState::mayWrite(const std::string& name, std::int64_t bytes) {
  if (totalCap <= 0 || bytes <= totalCap - extractedBytes) return true;
  internal(kTagSizeLimit, name,
           sdkFormat("extraction would pass the limit of %lld bytes", static_cast<long long>(totalCap)));
  return false;
}

bool ArchiveState::fitsOnDisk(const std::string& name, const std::string& folder, std::int64_t bytes) {
  const std::int64_t space = archiveFreeSpace(folder);
  if (space < 0 || bytes <= space) return true;
  internal(kTagNoSpace, name,
           sdkFormat("entry of %lld bytes is larger than the free space of %lld bytes", static_cast<long long>(bytes),
                     static_cast<long long>(space)));
  return false;
}

void ArchiveState::error(const char* templ, ...) {
  va_list args;
  va_start(args, templ);
  std::string text = sdkFormatV(templ, args);
  va_end(args);
  std::lock_guard<std::mutex> lock(errorMutex_);
  errorText_ = std::move(text);
  errorTemplate_ = templ;
}

void ArchiveState::internal(int tag, const std::string& file, const std::string& reason) {
  if (errorReported.exchange(true)) return;
  error(internalTemplate(), tag, file.c_str(), reason.c_str());
}

void ArchiveState::cancelWith(int tag, const std::string& file) {
  cancelled = true;
  internal(tag, file, kArchiveReasonCancelled);
}

void ArchiveState::cancelFromOutside() {
  cancelled = true;
  errorReported = true;
  const char* templ = internalTemplate();
  std::lock_guard<std::mutex> lock(errorMutex_);
  errorText_ = sdkFormat(templ, static_cast<int>(kTagCancel), volumeFileName.c_str(), kArchiveReasonCancelled);
  errorTemplate_ = templ;
}

bool ArchiveState::hasError() const {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return !errorText_.empty();
}

std::string ArchiveState::errorText() const {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return errorText_;
}

std::string ArchiveState::errorTemplate() const {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return errorTemplate_;
}

void ArchiveState::startFile(const std::string& name, std::int64_t size) {
  currentFile = name;
  currentSize = size;
  currentDone = 0;
  ++currentIndex;
}

int ArchiveState::progress(const char* statusWord) {
  return progressWith(statusWord ? statusWord : status.c_str(), fileCount, totalBytes, currentIndex, bytesDone,
                      currentFile, currentSize, currentDone);
}

int ArchiveState::progressWith(const char* statusText, long files, std::int64_t total, long index,
                               std::int64_t done, const std::string& file, std::int64_t size,
                               std::int64_t fileDone) {
  if (!progressHook) return 0;
  return progressHook(handler, statusText, files, total, index, done, file.c_str(), size, fileDone);
}

int ArchiveState::volumeChange(const std::string& fileName, const std::string& folder) {
  if (!volumeHook) return 0;
  return volumeHook(handler, fileName.c_str(), folder.c_str());
}

char ArchiveState::askOverwrite(const std::string& path) {
  if (!overwriteHook) return 'Y';
  return overwriteHook(handler, path.c_str());
}

void ArchiveState::appendListing(const std::string& line) {
  if (listing.size() + line.size() + 1 > kListingLimit) return;
  listing += line;
  listing += '\n';
}

void ArchiveState::volumeNamesFor(long index, std::string& fileName, std::string& path) const {
  std::string separator = volumeSeparator;
  if (separator == "/" || separator == "\\") separator.assign(1, kSdkHostSeparator);
  fileName = sdkFormat("%s_%06ld_%06ld%s", volumeBase.c_str(), index + 1, volumeCount, volumeExtension.c_str());
  // Without a folder the name stands alone: a bare separator in front would
  // put the volume at the root of the file system.
  path = volumeFolder.empty() ? fileName : volumeFolder + separator + fileName;
}

void ArchiveState::formatVolumeNames(long index) {
  std::string fileName, path;
  volumeNamesFor(index, fileName, path);
  std::lock_guard<std::mutex> lock(errorMutex_);
  volumeFileName = std::move(fileName);
  volumePath = std::move(path);
}

std::string ArchiveState::currentVolumeFileName() const {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return volumeFileName;
}

std::string ArchiveState::currentVolumePath() const {
  std::lock_guard<std::mutex> lock(errorMutex_);
  return volumePath;
}

std::string archiveCompleteName(const std::string& name) {
  if (name.empty() || name.find('.') == std::string::npos) return name + ".kpc";
  return name;
}
