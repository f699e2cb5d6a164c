// Tar creation: one header per file, the data block by block through the
// record buffer, two zero blocks at the end.
//
// Folders produce no entry (and are not descended into); character and
// block devices produce a header only; a second name of a file already
// stored produces a hard-link entry. The sizes are predicted before
// writing starts, so that every volume name carries the final count.
#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "archive/archive_fs.h"
#include "archive/archive_paths.h"
#include "archive/tar.h"
#include "base/sdk_fs.h"
#include "base/sdk_string.h"

namespace {

// Octal size fields hold 11 digits.
constexpr std::int64_t kMaxEntrySize = (std::int64_t{1} << 33) - 1;

std::int64_t roundToBlocks(std::int64_t bytes) { return (bytes + kTarBlock - 1) / kTarBlock * kTarBlock; }

// Volume names come from the container name when none were set.
void defaultVolumeParts(ArchiveState& state, const std::string& container) {
  if (!state.volumeFolder.empty() || !state.volumeBase.empty() || !state.volumeSeparator.empty() ||
      !state.volumeExtension.empty()) {
    return;
  }
  std::string fileName = sdkFileNamePart(container);
  std::size_t dot = fileName.rfind('.');
  state.volumeFolder = sdkDirPart(container);
  state.volumeBase = dot == std::string::npos ? fileName : fileName.substr(0, dot);
  state.volumeSeparator.assign(1, kSdkHostSeparator);
  state.volumeExtension = dot == std::string::npos ? std::string() : fileName.substr(dot);
}

class TarCreation {
 public:
  TarCreation(ArchiveState& state, const TarOptions& options, const std::string& baseFolder)
      : state_(state), options_(options), baseFolder_(baseFolder), writer_(state, options.blocking) {}

  void run();

 private:
  void predict();
  // True (error recorded) when the archive or a volume would be written
  // over one of the files to pack.
  bool refusesOutputs(const std::string& name);
  // False when creation must stop (cancelled, archive not writable).
  bool addOne(const std::string& file);
  bool writeHeader(const TarHeader& header);
  bool copyData(std::FILE* in, const std::string& file, TarHeader& header);
  // Rewrites the header of the entry being written with the size copied.
  void shortenEntry(TarHeader& header, std::int64_t copied);

  ArchiveState& state_;
  const TarOptions& options_;
  std::string baseFolder_;
  TarWriter writer_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::string> stored_;  // identity -> entry name
  std::int64_t headerAt_ = 0;  // output position of the last header
};

void TarCreation::predict() {
  std::int64_t predicted = 2 * kTarBlock;
  std::int64_t total = 0;
  for (const std::string& file : options_.names) {
    ArchiveFileInfo info;
    if (!archiveStat(state_.sourceOf(baseFolder_, file), info)) continue;
    if (info.kind == ArchivePathKind::kFile) {
      predicted += kTarBlock + roundToBlocks(info.size);
      total += info.size;
    } else if (info.kind == ArchivePathKind::kCharDevice || info.kind == ArchivePathKind::kBlockDevice) {
      predicted += kTarBlock;
    }
  }
  state_.fileCount = static_cast<long>(options_.names.size());
  state_.totalBytes = total;
  state_.predictedSize = predicted;
  std::int64_t volumeBytes = static_cast<std::int64_t>(state_.volumeSize) * options_.blocking * kTarBlock;
  state_.volumeCount = state_.volumeSize > 0 ? static_cast<long>((predicted + volumeBytes - 1) / volumeBytes) : 0;
}

bool TarCreation::refusesOutputs(const std::string& name) {
  std::vector<std::string> outputs;
  if (state_.volumeSize > 0) {
    for (long i = 0; i < state_.volumeCount; ++i) {
      std::string fileName, path;
      state_.volumeNamesFor(i, fileName, path);
      outputs.push_back(path);
    }
  } else {
    outputs.push_back(name);
  }
  for (const std::string& output : outputs) {
    if (state_.refusesOutput(output, options_.names, baseFolder_)) return true;
  }
  return false;
}

void TarCreation::run() {
  predict();
  std::string name = archiveCompleteName(options_.archive);
  state_.bytesDone = 0;
  state_.currentIndex = 0;
  state_.volumeRecords = 0;
  state_.volumeIndex = 0;
  if (state_.volumeSize > 0) {
    defaultVolumeParts(state_, name);
    state_.formatVolumeNames(0);
    name = state_.currentVolumePath();
  }
  state_.status = sdkFormat("Creating archive: %s", name.c_str());
  if (refusesOutputs(name)) return;
  if (!writer_.open(name)) return;
  for (const std::string& file : options_.names) {
    if (state_.cancelled || !addOne(file)) break;
  }
  writer_.finish();
}

bool TarCreation::writeHeader(const TarHeader& header) {
  std::size_t capacity = 0;
  char* block = writer_.space(capacity);
  if (!block) return false;
  headerAt_ = writer_.position();
  tarEncodeHeader(header, block);
  writer_.commit(kTarBlock);
  if (options_.verbose) {
    state_.appendListing(header.type == '1' ? header.name + " link to " + header.linkName : header.name);
  }
  return true;
}

bool TarCreation::addOne(const std::string& file) {
  std::string source = state_.sourceOf(baseFolder_, file);
  ArchiveFileInfo info;
  if (!archiveStat(source, info)) {
    state_.internal(kTagOpenInput, file, archiveErrorText());
    return true;
  }
  if (info.kind == ArchivePathKind::kDirectory) return true;
  TarHeader header;
  header.name = archiveEntryName(file);
  header.mode = info.mode;
  header.uid = info.uid;
  header.gid = info.gid;
  header.mtime = info.mtime;
  bool device = info.kind == ArchivePathKind::kCharDevice || info.kind == ArchivePathKind::kBlockDevice;
  if (!device && info.kind != ArchivePathKind::kFile) {
    state_.internal(kTagUnsupportedKind, file, "not a regular file or device");
    return true;
  }
  if (header.name.empty()) {
    state_.internal(kTagUnsafeName, file, "no entry name");
    return true;
  }
  if (device || (info.hasIdentity && info.links > 1 && stored_.count({info.device, info.inode}))) {
    if (header.name.size() >= kTarNameField) {
      state_.internal(kTagNameTooLong, file, "name of 100 characters or more");
      return true;
    }
    if (device) {
      header.type = info.kind == ArchivePathKind::kCharDevice ? '3' : '4';
      header.deviceMajor = info.deviceMajor;
      header.deviceMinor = info.deviceMinor;
    } else {
      header.type = '1';
      header.linkName = stored_[{info.device, info.inode}];
    }
    return writeHeader(header);
  }

  state_.startFile(file, info.size);
  if (state_.progress() != 0) state_.cancelWith(kTagCancelBeforeFile, file);
  if (state_.cancelled) return false;
  std::FILE* in = archiveOpenRead(source);
  if (!in) {
    state_.internal(kTagOpenInput, file, archiveErrorText());
    return true;
  }
  bool goOn = true;
  if (header.name.size() >= kTarNameField) {
    state_.internal(kTagNameTooLong, file, "name of 100 characters or more");
  } else if (info.size > kMaxEntrySize) {
    state_.internal(kTagTooLarge, file, "file too large for a tar header");
  } else {
    header.type = '0';
    header.size = info.size;
    goOn = writeHeader(header) && copyData(in, file, header);
    if (goOn && info.hasIdentity && info.links > 1) stored_[{info.device, info.inode}] = header.name;
  }
  std::fclose(in);
  return goOn && !writer_.stopped();
}

void TarCreation::shortenEntry(TarHeader& header, std::int64_t copied) {
  header.size = copied;
  char block[kTarBlock];
  tarEncodeHeader(header, block);
  if (!writer_.patch(headerAt_, block)) state_.internal(kTagWriteRecord, options_.archive, archiveErrorText());
}

// Copies the file's data. A file that yields less than its size promised,
// or a cancellation, ends the entry where it got to: its header is
// rewritten with the size copied, so the archive stays whole.
bool TarCreation::copyData(std::FILE* in, const std::string& file, TarHeader& header) {
  std::int64_t left = header.size;
  while (left > 0) {
    std::size_t capacity = 0;
    char* p = writer_.space(capacity);
    if (!p) return false;
    std::size_t wanted = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(capacity)));
    std::size_t n = std::fread(p, 1, wanted, in);
    if (n > 0) writer_.commit(n);
    left -= static_cast<std::int64_t>(n);
    state_.addBytes(static_cast<std::int64_t>(n));
    if (n < wanted) {
      if (std::ferror(in)) {
        state_.internal(kTagReadInput, file, archiveErrorText());
      } else {
        state_.internal(kTagInputShrank, file, "file shrank while being added");
      }
      shortenEntry(header, header.size - left);
      return !writer_.stopped();
    }
    if (state_.progress() != 0) state_.cancelWith(kTagCancelDuringCopy, file);
    if (state_.cancelled) {
      if (left > 0) shortenEntry(header, header.size - left);
      return false;
    }
  }
  return true;
}

}  // namespace

void tarCreate(ArchiveState& state, const TarOptions& options, const std::string& baseFolder) {
  TarCreation(state, options, baseFolder).run();
}
