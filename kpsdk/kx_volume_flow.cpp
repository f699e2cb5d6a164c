#include "kpsdk/kx_volume_flow.h"

#include <algorithm>
#include <cstring>

#include "archive/tar.h"

namespace {
constexpr std::int64_t kBlock = kTarBlock;
}  // namespace

void KxVolumeFlow::startVolume(long index) {
  volume_ = index;
  lastVolumeStart_ = offset_ + static_cast<std::int64_t>(fill_);
  if (fill_ == 0) blockVolume_ = index;
}

bool KxVolumeFlow::fail(long volume, const char* why) {
  brokenVolume_ = volume;
  reason_ = std::string(volume == 1 ? "tar: the volume does not start the archive ("
                                    : "tar: the volume does not follow on from the ones before (") +
            why + ")";
  return false;
}

bool KxVolumeFlow::feed(const char* data, std::size_t size) {
  if (brokenVolume_) return false;
  if (expect_ == Expect::kUnchecked) return true;
  while (size > 0) {
    // The blocks inside an entry's data need no look: they are passed over
    // whole, all but the last one, which ends in the padding.
    if (fill_ == 0 && expect_ == Expect::kData && dataBlocks_ > 1 && size >= sizeof block_) {
      std::int64_t whole = std::min<std::int64_t>(dataBlocks_ - 1, static_cast<std::int64_t>(size / sizeof block_));
      dataBlocks_ -= whole;
      offset_ += whole * kBlock;
      data += whole * kBlock;
      size -= static_cast<std::size_t>(whole * kBlock);
      continue;
    }
    if (fill_ == 0) blockVolume_ = volume_;
    std::size_t n = std::min(size, sizeof block_ - fill_);
    std::memcpy(block_ + fill_, data, n);
    fill_ += n;
    data += n;
    size -= n;
    if (fill_ < sizeof block_) break;
    fill_ = 0;
    if (!block(block_)) return false;
    offset_ += kBlock;
  }
  return true;
}

bool KxVolumeFlow::block(const char* data) {
  switch (expect_) {
    case Expect::kUnchecked:
      return true;
    case Expect::kTrailer:
      for (std::size_t i = 0; i < sizeof block_; ++i)
        if (data[i] != 0) return fail(blockVolume_, "data after the end of the archive");
      return true;
    case Expect::kData:
      if (--dataBlocks_ == 0) {
        expect_ = Expect::kHeader;
        for (std::size_t i = lastBlockBytes_; i < sizeof block_; ++i)
          if (data[i] != 0) return fail(blockVolume_, "an entry's data runs on past its end");
      }
      return true;
    case Expect::kHeader:
      break;
  }
  TarHeader header;
  switch (tarDecodeHeader(data, header)) {
    case TarHeaderStatus::kEnd:
      expect_ = Expect::kTrailer;
      endAt_ = offset_;
      endVolume_ = blockVolume_;
      return true;
    case TarHeaderStatus::kValid:
      break;
    default:
      return fail(blockVolume_, "no entry header where the entry before ends");
  }
  // Extended headers may change the size of the entry they describe; what
  // follows them is not followed further.
  if (header.type == 'x' || header.type == 'g') {
    expect_ = Expect::kUnchecked;
    return true;
  }
  const std::int64_t bytes = tarDataBytes(header);
  if (bytes < 0) return fail(blockVolume_, "no entry header where the entry before ends");
  if (bytes > 0) {
    expect_ = Expect::kData;
    dataBlocks_ = (bytes + kBlock - 1) / kBlock;
    // Data that fills its last block whole has no padding to look at.
    lastBlockBytes_ = bytes % kBlock == 0 ? sizeof block_ : static_cast<std::size_t>(bytes % kBlock);
  }
  return true;
}

bool KxVolumeFlow::finish() {
  if (brokenVolume_) return false;
  if (expect_ == Expect::kUnchecked) return true;
  if (expect_ != Expect::kTrailer) {
    brokenVolume_ = volume_;
    reason_ = "tar: the archive does not end in the last volume";
    return false;
  }
  // The two end blocks may straddle the last cut, no more.
  if (endAt_ + 2 * kBlock <= lastVolumeStart_)
    return fail(endVolume_ + 1, "the archive ended before it");
  return true;
}
