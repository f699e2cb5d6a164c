// Tar header blocks.
//
// Layout (offset, size): name 0/100, mode 100/8, uid 108/8, gid 116/8,
// size 124/12, mtime 136/12, checksum 148/8, type 156/1, link name 157/100,
// magic 257/8, owner names 265/64, device major 329/8, minor 337/8, ustar
// name prefix 345/155. Numbers are octal, right-aligned with leading spaces
// and followed by a space. The checksum is the byte sum of the block with
// its own eight bytes counted as spaces.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "archive/tar.h"

namespace {

constexpr int kNameAt = 0, kModeAt = 100, kUidAt = 108, kGidAt = 116, kSizeAt = 124, kMtimeAt = 136;
constexpr int kChecksumAt = 148, kTypeAt = 156, kLinkAt = 157, kMagicAt = 257, kMajorAt = 329;
constexpr int kMinorAt = 337, kPrefixAt = 345;

// The classic octal writer: `digits` counts one slot that is left alone
// (the field's NUL, or the first byte of the next field for the 12-byte
// fields), then a space, then the digits with leading spaces.
void toOctal(std::uint64_t value, int digits, char* where) {
  --digits;
  where[--digits] = ' ';
  do {
    where[--digits] = static_cast<char>('0' + (value & 7));
    value >>= 3;
  } while (digits > 0 && value != 0);
  while (digits > 0) where[--digits] = ' ';
}

// Octal with optional leading blanks, ended by a blank, a NUL or the end of
// the field; GNU's base-256 form for large values. False for anything else.
bool parseNumber(const char* field, std::size_t length, std::int64_t& value) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(field);
  value = 0;
  if (bytes[0] & 0x80) {
    if (bytes[0] != 0x80) return false;  // negative or unknown
    for (std::size_t i = 1; i < length; ++i) {
      if (value > (INT64_MAX >> 8)) return false;
      value = (value << 8) | bytes[i];
    }
    return true;
  }
  std::size_t i = 0;
  while (i < length && field[i] == ' ') ++i;
  if (i == length || field[i] == '\0') return true;  // an empty field reads as zero
  for (; i < length && field[i] != ' ' && field[i] != '\0'; ++i) {
    char c = field[i];
    if (c < '0' || c > '7' || value > (INT64_MAX >> 3)) return false;
    value = value * 8 + (c - '0');
  }
  return true;
}

std::int64_t lenientNumber(const char* field, std::size_t length, std::int64_t fallback) {
  std::int64_t value;
  return parseNumber(field, length, value) ? value : fallback;
}

std::string fieldText(const char* field, std::size_t length) {
  std::size_t n = 0;
  while (n < length && field[n] != '\0') ++n;
  return std::string(field, n);
}

}  // namespace

void tarEncodeHeader(const TarHeader& header, char* block) {
  std::memset(block, 0, kTarBlock);
  std::memcpy(block + kNameAt, header.name.data(), std::min(header.name.size(), kTarNameField - 1));
  toOctal(header.mode & 07777, 8, block + kModeAt);
  toOctal(header.uid, 8, block + kUidAt);
  toOctal(header.gid, 8, block + kGidAt);
  toOctal(static_cast<std::uint64_t>(header.size), 13, block + kSizeAt);
  toOctal(static_cast<std::uint64_t>(header.mtime < 0 ? 0 : header.mtime), 13, block + kMtimeAt);
  block[kTypeAt] = header.type;
  std::memcpy(block + kLinkAt, header.linkName.data(), std::min(header.linkName.size(), kTarNameField - 1));
  if (header.type == '3' || header.type == '4') {
    toOctal(header.deviceMajor, 8, block + kMajorAt);
    toOctal(header.deviceMinor, 8, block + kMinorAt);
  }
  std::memset(block + kChecksumAt, ' ', 8);
  unsigned sum = 0;
  for (int i = 0; i < kTarBlock; ++i) sum += static_cast<unsigned char>(block[i]);
  toOctal(sum, 8, block + kChecksumAt);
  block[kChecksumAt + 6] = '\0';
}

TarHeaderStatus tarDecodeHeader(const char* block, TarHeader& header) {
  unsigned sum = 0;
  int signedSum = 0;
  for (int i = 0; i < kTarBlock; ++i) {
    char c = (i >= kChecksumAt && i < kChecksumAt + 8) ? ' ' : block[i];
    sum += static_cast<unsigned char>(c);
    signedSum += static_cast<signed char>(c);
  }
  if (sum == 256) return TarHeaderStatus::kEnd;
  std::int64_t stored;
  if (!parseNumber(block + kChecksumAt, 8, stored) ||
      (stored != static_cast<std::int64_t>(sum) && stored != signedSum)) {
    return TarHeaderStatus::kBadChecksum;
  }

  header = TarHeader{};
  header.name = fieldText(block + kNameAt, kTarNameField);
  // POSIX ustar keeps long names split into a prefix; the GNU form
  // ("ustar  ") uses that area for other fields.
  if (std::memcmp(block + kMagicAt, "ustar\0", 6) == 0 && block[kPrefixAt] != '\0') {
    header.name = fieldText(block + kPrefixAt, 155) + "/" + header.name;
  }
  header.linkName = fieldText(block + kLinkAt, kTarNameField);
  header.type = block[kTypeAt];
  if (!parseNumber(block + kSizeAt, 12, header.size)) return TarHeaderStatus::kBadField;
  header.mode = static_cast<unsigned>(lenientNumber(block + kModeAt, 8, 0644) & 07777);
  header.mtime = lenientNumber(block + kMtimeAt, 12, 0);
  header.uid = static_cast<unsigned long>(lenientNumber(block + kUidAt, 8, 0));
  header.gid = static_cast<unsigned long>(lenientNumber(block + kGidAt, 8, 0));
  header.deviceMajor = static_cast<unsigned long>(lenientNumber(block + kMajorAt, 8, 0));
  header.deviceMinor = static_cast<unsigned long>(lenientNumber(block + kMinorAt, 8, 0));
  return TarHeaderStatus::kValid;
}

std::int64_t tarDataBytes(const TarHeader& header) { return header.type == '1' ? 0 : header.size; }
