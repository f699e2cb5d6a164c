// Range lists and piecewise file reading.
#include "krmsdk/krm_source.h"

#include <algorithm>

#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krmsdk.h"

std::int64_t krmRangesSize(const KrmRanges& ranges) {
  std::int64_t total = 0;
  for (const KrmRange& r : ranges) total += r.length;
  return total;
}

KrmRanges krmCutRanges(const KrmRanges& ranges, std::int64_t start, std::int64_t length) {
  KrmRanges out;
  const std::int64_t cutEnd = start + std::max<std::int64_t>(length, 0);
  std::int64_t logical = 0;
  for (const KrmRange& r : ranges) {
    std::int64_t rStart = logical, rEnd = logical + r.length;
    logical = rEnd;
    // The part before the cut and the part after it.
    std::int64_t keepEnd = std::min(rEnd, start);
    if (keepEnd > rStart) out.push_back({r.offset, keepEnd - rStart});
    std::int64_t keepStart = std::max(rStart, cutEnd);
    if (rEnd > keepStart) out.push_back({r.offset + (keepStart - rStart), rEnd - keepStart});
  }
  return out;
}

bool KrmFileSource::open(const char* path, SdkLinks links) {
  SdkRegularFile opened = sdkOpenRegularFile(path, links);
  file_ = std::move(opened.file);
  kind_ = opened.kind;
  size_ = file_ ? opened.size : 0;
  position_ = -1;
  return file_ != nullptr;
}

bool KrmFileSource::readAt(std::int64_t offset, void* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  if (!file_ || offset < 0) return false;
  if (offset != position_) {
#ifdef _WIN32
    if (_fseeki64(file_.get(), offset, SEEK_SET) != 0) return false;
#else
    if (fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return false;
#endif
  }
  got = std::fread(buffer, 1, size, file_.get());
  if (std::ferror(file_.get())) {
    position_ = -1;
    return false;
  }
  position_ = offset + static_cast<std::int64_t>(got);
  return true;
}

int krmOpenProjectFile(KrmStream& stream, const std::string& path, KrmFileSource& source) {
  const SdkFileKind kind = sdkFileKindOf(path.c_str(), SdkLinks::kRefuse);
  if (kind == SdkFileKind::kMissing || kind == SdkFileKind::kDirectory) return stream.fail(kKrmSourceMissing, path);
  if (stream.refusesInput(path.c_str())) return stream.result();
  if (!source.open(path.c_str(), SdkLinks::kRefuse)) return stream.fail(kKrmLoadError, path);
  if (source.fileSize() > kKrmMaxEmbeddedFileSize) return stream.fail(kKrmFileSize, path);
  return stream.result();
}
