#include "archive/zip_entry.h"

#include <vector>

namespace {

constexpr std::uint64_t kNoSize = 0xFFFFFFFFu;
constexpr unsigned kZip64Field = 0x0001;

std::uint64_t little(const unsigned char* p, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

// The sizes the Zip64 field holds: each only when its 32-bit field is all
// ones, in the order uncompressed, compressed.
void applyZip64(const std::vector<unsigned char>& extra, std::uint64_t& size, std::uint64_t& compressed) {
  std::size_t pos = 0;
  while (pos + 4 <= extra.size()) {
    const unsigned id = static_cast<unsigned>(little(&extra[pos], 2));
    const std::size_t length = static_cast<std::size_t>(little(&extra[pos + 2], 2));
    const std::size_t end = pos + 4 + length;
    if (end > extra.size()) return;
    if (id == kZip64Field) {
      std::size_t p = pos + 4;
      if (size == kNoSize && p + 8 <= end) {
        size = little(&extra[p], 8);
        p += 8;
      }
      if (compressed == kNoSize && p + 8 <= end) compressed = little(&extra[p], 8);
      return;
    }
    pos = end;
  }
}

}  // namespace

int zipCurrentEntry(unzFile zip, ZipEntryInfo& entry) {
  unz_file_info64 info;
  int err = unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0);
  if (err != UNZ_OK) return err;
  std::string name(info.size_filename + 1, '\0');
  std::vector<unsigned char> extra(info.size_file_extra);
  err = unzGetCurrentFileInfo64(zip, &info, name.data(), static_cast<uLong>(name.size()),
                                extra.empty() ? nullptr : extra.data(), static_cast<uLong>(extra.size()), nullptr,
                                0);
  if (err != UNZ_OK) return err;
  name.resize(info.size_filename);
  std::uint64_t size = info.uncompressed_size;
  std::uint64_t compressed = info.compressed_size;
  if (size == kNoSize || compressed == kNoSize) applyZip64(extra, size, compressed);
  // Past the signed range the entry is not readable anyway; the checks see
  // the largest value instead of a negative one.
  constexpr std::uint64_t kMax = static_cast<std::uint64_t>(INT64_MAX);
  entry.name = std::move(name);
  entry.size = static_cast<std::int64_t>(size > kMax ? kMax : size);
  entry.compressed = static_cast<std::int64_t>(compressed > kMax ? kMax : compressed);
  entry.date = info.tmu_date;
  return UNZ_OK;
}
