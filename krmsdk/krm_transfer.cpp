// Transfer commands with their encoded data, written piece by piece.
#include "krmsdk/krm_transfer.h"

#include <algorithm>

#include "base/sdk_fs.h"
#include "krmsdk/krm_encode.h"
#include "krmsdk/krm_eps.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krmsdk.h"

namespace {

// Encodes pieces with one encoder and writes each at once.
class EncodedWriter {
 public:
  EncodedWriter(KrmStream& stream, bool hex) : stream_(stream), hex_(hex) {
    buffer_.reserve(kKrmTransferPiece * 2 + kKrmTransferPiece / 256 + 16);
  }
  bool put(const unsigned char* data, std::size_t size) {
    buffer_.clear();
    if (hex_) {
      hexEncoder_.encode(data, size, buffer_);
    } else {
      a85Encoder_.encode(data, size, buffer_);
    }
    if (stream_.write(buffer_) != kKrmOk) return false;
    krmProgressBytes(static_cast<std::int64_t>(size));
    return true;
  }
  bool finish() {
    buffer_.clear();
    if (!hex_) a85Encoder_.finish(buffer_);
    return buffer_.empty() || stream_.write(buffer_) == kKrmOk;
  }

 private:
  KrmStream& stream_;
  bool hex_;
  std::string buffer_;
  KrmHexEncoder hexEncoder_;
  KrmAscii85Encoder a85Encoder_;
};

}  // namespace

std::string krmTransferCommand(std::uint64_t count, std::string_view target, std::string_view options) {
  std::string command = "\n\n";
  command += std::to_string(count);
  command += " (";
  command += krmPsString(target);
  command += ") ";
  command += options;
  command += " load_file\n";
  return command;
}

int krmDiskLoadFile(const char* function, const void* content, std::size_t size, std::string_view target,
                    std::string_view options, bool hex, KrmStream& stream, const char* outputPath) {
  (void)function;
  (void)outputPath;
  const auto* bytes = static_cast<const unsigned char*>(content);
  std::optional<std::string> shortened = krmProcessEPS(content, size);
  if (shortened) {
    bytes = reinterpret_cast<const unsigned char*>(shortened->data());
    size = shortened->size();
  }
  hex = hex && size > 0;  // no data in hexadecimal reads as a count of 0: ASCII85
  if (stream.write(krmTransferCommand(hex ? size : 0, target, options)) != kKrmOk) return stream.result();
  EncodedWriter writer(stream, hex);
  for (std::size_t at = 0; at < size; at += kKrmTransferPiece)
    if (!writer.put(bytes + at, std::min(kKrmTransferPiece, size - at))) return stream.result();
  writer.finish();
  return stream.result();
}

int krmDiskLoadRanges(KrmStream& stream, KrmFileSource& source, const KrmRanges& ranges,
                      std::string_view target, std::string_view options, bool hex, const char* localPath) {
  // The first bytes decide whether this is an EPS binary file.
  unsigned char header[kKrmEpsHeaderSize];
  std::size_t headerSize = 0;
  for (const KrmRange& r : ranges) {
    std::int64_t want = std::min<std::int64_t>(r.length, kKrmEpsHeaderSize - headerSize);
    std::size_t got = 0;
    if (want > 0 && (!source.readAt(r.offset, header + headerSize, static_cast<std::size_t>(want), got) ||
                     got != static_cast<std::size_t>(want)))
      return stream.fail(kKrmLoadError, localPath);
    headerSize += got;
    if (headerSize == kKrmEpsHeaderSize) break;
  }
  KrmRanges kept = krmProcessEPSRanges(ranges, header, headerSize);
  // A count of 0 announces ASCII85 data, so an empty file always goes as an
  // empty ASCII85 text ("~>") and lands as an empty file.
  hex = hex && krmRangesSize(kept) > 0;
  std::uint64_t count = hex ? static_cast<std::uint64_t>(krmRangesSize(kept)) : 0;
  if (stream.write(krmTransferCommand(count, target, options)) != kKrmOk) return stream.result();
  EncodedWriter writer(stream, hex);
  bool writeFailed = false;
  bool done = source.forEachPiece(kept, kKrmTransferPiece, [&](const unsigned char* data, std::size_t n) {
    if (writer.put(data, n)) return true;
    writeFailed = true;
    return false;
  });
  if (writeFailed) return stream.result();
  if (!done) return stream.fail(kKrmLoadError, localPath);
  writer.finish();
  return stream.result();
}

int krmSendLocalFile(KrmStream& stream, const char* localPath, std::string_view target,
                     std::string_view options, bool hex) {
  if (!stream.ok()) return stream.result();
  if (localPath == nullptr || !sdkFileExists(localPath) || sdkIsDirectory(localPath))
    return stream.fail(kKrmSourceMissing, localPath ? localPath : "");
  if (stream.refusesInput(localPath)) return stream.result();
  KrmFileSource source;
  if (!source.open(localPath)) return stream.fail(kKrmLoadError, localPath);
  std::int64_t size = source.fileSize();
  if (size > kKrmMaxEmbeddedFileSize) return stream.fail(kKrmFileSize, localPath);
  return krmDiskLoadRanges(stream, source, {{0, size}}, target, options, hex, localPath);
}
