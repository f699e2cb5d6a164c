// The record buffer: archive output in whole records, cut into volumes when
// a volume size is set, and archive input record by record.
#include <algorithm>
#include <cstring>
#include <new>

#include "archive/archive_fs.h"
#include "archive/tar.h"
#include "base/sdk_fs.h"
#include "base/sdk_fs_unique.h"
#include "base/sdk_string.h"

namespace {

constexpr const char* kModule = "buffer";

std::int64_t roundToBlocks(std::int64_t bytes) { return (bytes + kTarBlock - 1) / kTarBlock * kTarBlock; }

bool allocateRecord(ArchiveState& state, std::vector<char>& record, std::size_t size) {
  try {
    record.assign(size, 0);
    return true;
  } catch (const std::bad_alloc&) {
    state.internal(kTagRecordAlloc, kModule, "out of memory");
    return false;
  }
}

}  // namespace

TarWriter::TarWriter(ArchiveState& state, int blocking)
    : state_(state), recordSize_(static_cast<std::size_t>(blocking) * kTarBlock) {}

TarWriter::~TarWriter() {
  closeFile();
  commitParts();
}

std::FILE* TarWriter::createPart(const std::string& path) {
  SdkNewFile made = sdkCreatePartFile(path);
  if (!made) return nullptr;
  parts_.emplace_back(path, made.path);
  // Keeps the part file in use after it is closed, until it is renamed.
  holds_.push_back(std::make_unique<SdkFileHold>(made.path.c_str()));
  return made.file;
}

void TarWriter::commitParts() {
  // A failed creation leaves nothing; a cancelled one keeps what it wrote.
  const bool drop = writeFailed_ || (state_.wholeOrNothing && state_.failed());
  // Two sets of the same volumes renamed at once would leave a mixed set.
  const std::intptr_t folderLock =
      !drop && parts_.size() > 1 ? archiveLockFolder(sdkDirPart(parts_.front().first)) : -1;
  for (const auto& [path, part] : parts_) {
    if (drop) {
      sdkDeleteFile(part.c_str());
    } else if (!sdkCommitFile(part.c_str(), path.c_str())) {
      state_.internal(kTagWriteRecord, path, archiveErrorText());
    }
  }
  archiveUnlockFolder(folderLock);
  parts_.clear();
  holds_.clear();
}

bool TarWriter::open(const std::string& path) {
  if (!allocateRecord(state_, record_, recordSize_)) {
    stopped_ = true;
    return false;
  }
  file_ = createPart(path);
  if (!file_) {
    state_.error(kArchiveMsgCannotOpen, path.c_str(), path.c_str());
    stopped_ = true;
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);  // whole records go straight out
  path_ = path;
  used_ = 0;
  return true;
}

void TarWriter::closeFile() {
  if (!file_) return;
  if (std::fclose(file_) != 0 && !stopped_) {
    state_.internal(kTagWriteRecord, path_, archiveErrorText());
    stopped_ = true;
    writeFailed_ = true;
  }
  file_ = nullptr;
}

// A new volume: the progress hook and then the volume hook may stop it.
bool TarWriter::startVolume() {
  state_.volumeRecords = 0;
  int answer = state_.progress(kArchiveVolumeTransition);
  if (answer == 0) {
    state_.formatVolumeNames(state_.volumeIndex);
    answer = state_.volumeChange(state_.currentVolumeFileName(), state_.volumeFolder);
  }
  if (answer != 0) {
    state_.cancelWith(kTagVolumeCancel, state_.currentVolumeFileName());
    stopped_ = true;
    return false;
  }
  path_ = state_.currentVolumePath();
  file_ = createPart(path_);
  if (!file_) {
    state_.error(kArchiveMsgCannotOpen, path_.c_str(), path_.c_str());
    stopped_ = true;
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  state_.status = sdkFormat("Creating archive: %s", path_.c_str());
  return true;
}

bool TarWriter::flushRecord() {
  if (stopped_) return false;
  if (!file_ && (state_.volumeSize <= 0 || !startVolume())) {
    stopped_ = true;
    return false;
  }
  std::size_t n = std::fwrite(record_.data(), 1, recordSize_, file_);
  if (n != recordSize_) {
    state_.internal(n == 0 ? kTagWriteRecord : kTagShortRecordWrite, path_, archiveErrorText());
    stopped_ = true;
    writeFailed_ = true;
    return false;
  }
  used_ = 0;
  flushed_ += static_cast<std::int64_t>(recordSize_);
  if (state_.volumeSize > 0 && ++state_.volumeRecords >= state_.volumeSize) {
    closeFile();
    ++state_.volumeIndex;
  }
  return !stopped_;
}

char* TarWriter::space(std::size_t& capacity) {
  if (stopped_) return nullptr;
  if (used_ == recordSize_ && !flushRecord()) return nullptr;
  capacity = recordSize_ - used_;
  return record_.data() + used_;
}

void TarWriter::commit(std::size_t bytes) {
  std::size_t rounded = static_cast<std::size_t>(roundToBlocks(static_cast<std::int64_t>(bytes)));
  std::memset(record_.data() + used_ + bytes, 0, rounded - bytes);
  used_ += rounded;
}

void TarWriter::zeros(std::int64_t bytes) {
  std::int64_t left = roundToBlocks(bytes);
  while (left > 0) {
    std::size_t capacity = 0;
    char* p = space(capacity);
    if (!p) return;
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(capacity)));
    std::memset(p, 0, n);
    used_ += n;
    left -= static_cast<std::int64_t>(n);
  }
}

bool TarWriter::patch(std::int64_t position, const char* block) {
  if (stopped_) return false;
  if (position >= flushed_) {
    std::memcpy(record_.data() + (position - flushed_), block, kTarBlock);
    return true;
  }
  // Already written: into the open file, or into an earlier volume.
  std::string path = path_;
  std::int64_t offset = position;
  std::int64_t end = flushed_;
  bool inOpenFile = file_ != nullptr;
  if (state_.volumeSize > 0) {
    std::int64_t volumeBytes = static_cast<std::int64_t>(state_.volumeSize) * static_cast<std::int64_t>(recordSize_);
    long index = static_cast<long>(position / volumeBytes);
    std::string fileName;
    state_.volumeNamesFor(index, fileName, path);
    offset = position % volumeBytes;
    end = static_cast<std::int64_t>(state_.volumeRecords) * static_cast<std::int64_t>(recordSize_);
    inOpenFile = file_ != nullptr && index == state_.volumeIndex;
  }
  if (inOpenFile) {
    return archiveSeek(file_, offset) && std::fwrite(block, 1, kTarBlock, file_) == kTarBlock &&
           archiveSeek(file_, end);
  }
  auto written = std::find_if(parts_.begin(), parts_.end(), [&](const auto& p) { return p.first == path; });
  if (written == parts_.end()) return false;
  std::FILE* earlier = archiveOpenUpdate(written->second);
  if (!earlier) return false;
  bool ok = archiveSeek(earlier, offset) && std::fwrite(block, 1, kTarBlock, earlier) == kTarBlock;
  return std::fclose(earlier) == 0 && ok;
}

void TarWriter::finish() {
  if (!stopped_) {
    zeros(2 * kTarBlock);
    if (!stopped_ && used_ > 0) {
      std::memset(record_.data() + used_, 0, recordSize_ - used_);
      used_ = recordSize_;
      flushRecord();
    }
  }
  closeFile();
  commitParts();
}

TarReader::TarReader(ArchiveState& state, int blocking)
    : state_(state), recordSize_(static_cast<std::size_t>(blocking) * kTarBlock) {}

TarReader::~TarReader() { close(); }

bool TarReader::open(const std::string& path) {
  close();
  if (!allocateRecord(state_, record_, recordSize_)) return false;
  file_ = archiveOpenRead(path);
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IONBF, 0);
  length_ = archiveFileLength(file_);
  nextOffset_ = 0;
  valid_ = pos_ = 0;
  partial_ = false;
  return true;
}

void TarReader::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

// Reads the next record, completing short reads with further reads; a
// record cut short by the end of the file keeps its whole blocks.
bool TarReader::fill(int& failTag) {
  std::size_t got = 0;
  int failures = 0;
  while (got < recordSize_) {
    std::size_t n = std::fread(record_.data() + got, 1, recordSize_ - got, file_);
    got += n;
    if (n > 0) {
      failures = 0;
      continue;
    }
    if (!std::ferror(file_)) break;  // end of file
    std::clearerr(file_);
    if (++failures > 10) {
      failTag = kTagReadErrors;
      return false;
    }
  }
  nextOffset_ += static_cast<std::int64_t>(got);
  if (got % kTarBlock != 0) partial_ = true;
  valid_ = got / kTarBlock * kTarBlock;
  pos_ = 0;
  if (valid_ == 0) {
    failTag = partial_ ? kTagPartialBlock : kTagMissingEnd;
    return false;
  }
  return true;
}

const char* TarReader::block(int& failTag) {
  if (!file_) {
    failTag = kTagMissingEnd;
    return nullptr;
  }
  if (pos_ == valid_ && !fill(failTag)) return nullptr;
  const char* p = record_.data() + pos_;
  pos_ += kTarBlock;
  return p;
}

const char* TarReader::data(std::int64_t wanted, std::size_t& available, int& failTag) {
  if (!file_) {
    failTag = kTagDataCut;
    return nullptr;
  }
  if (pos_ == valid_ && !fill(failTag)) {
    if (failTag != kTagReadErrors) failTag = kTagDataCut;
    return nullptr;
  }
  std::int64_t rounded = roundToBlocks(wanted);
  available = static_cast<std::size_t>(std::min<std::int64_t>(rounded, static_cast<std::int64_t>(valid_ - pos_)));
  const char* p = record_.data() + pos_;
  pos_ += available;
  return p;
}

bool TarReader::skip(std::int64_t bytes, int& failTag) {
  std::int64_t left = roundToBlocks(bytes);
  while (left > 0) {
    if (pos_ < valid_) {
      std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(valid_ - pos_)));
      pos_ += n;
      left -= static_cast<std::int64_t>(n);
      continue;
    }
    if (!file_) {
      failTag = kTagDataCut;
      return false;
    }
    // Whole records are jumped over when the archive is a plain file.
    std::int64_t record = static_cast<std::int64_t>(recordSize_);
    if (length_ >= 0 && left >= record) {
      std::int64_t jump = left / record * record;
      if (nextOffset_ + jump > length_) {
        failTag = kTagDataCut;
        return false;
      }
      if (archiveSeek(file_, nextOffset_ + jump)) {
        nextOffset_ += jump;
        left -= jump;
        continue;
      }
    }
    if (!fill(failTag)) {
      if (failTag != kTagReadErrors) failTag = kTagDataCut;
      return false;
    }
  }
  return true;
}
