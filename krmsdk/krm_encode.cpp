// Hexadecimal and ASCII85 encoders.
#include "krmsdk/krm_encode.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kTransferLineBytes = 512;
constexpr int kTransferGroupsPerLine = kTransferLineBytes / 4;

// Writes the five base-85 digits of v.
inline char* put85(char* p, std::uint32_t v) {
  p[4] = static_cast<char>(v % 85 + 33);
  v /= 85;
  p[3] = static_cast<char>(v % 85 + 33);
  v /= 85;
  p[2] = static_cast<char>(v % 85 + 33);
  v /= 85;
  p[1] = static_cast<char>(v % 85 + 33);
  v /= 85;
  p[0] = static_cast<char>(v + 33);
  return p + 5;
}

inline std::uint32_t bigEndian(const unsigned char* b) {
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
         std::uint32_t{b[3]};
}

// The first k + 1 digits of a partial group of k bytes.
void putPartial(std::string& out, const unsigned char* bytes, int k) {
  unsigned char padded[4] = {0, 0, 0, 0};
  for (int i = 0; i < k; ++i) padded[i] = bytes[i];
  char digits[5];
  put85(digits, bigEndian(padded));
  out.append(digits, static_cast<std::size_t>(k + 1));
}

}  // namespace

std::string krmConvertToHex(const void* data, std::size_t size, int group, int line) {
  const auto* in = static_cast<const unsigned char*>(data);
  std::string out;
  out.reserve(size * 2 + 2 + (group > 0 ? 3 * (size / group) : 0) + (line > 0 ? size / line : 0));
  if (group > 0) out += '<';
  for (std::size_t i = 0; i < size; ++i) {
    if (i > 0) {
      if (group > 0 && i % static_cast<std::size_t>(group) == 0) out += ">\n<";
      if (line > 0 && i % static_cast<std::size_t>(line) == 0) out += '\n';
    }
    out += kHexDigits[in[i] >> 4];
    out += kHexDigits[in[i] & 15];
  }
  if (group > 0) out += '>';
  return out;
}

std::string krmConvertToAscii85(const void* data, std::size_t size, int group, int line) {
  const auto* in = static_cast<const unsigned char*>(data);
  const int perLine = line > 0 ? line / 4 : (group <= 0 ? 20 : group / 4);
  const std::size_t perBlock = group > 0 ? static_cast<std::size_t>(group / 4) : 0;
  std::string out;
  out.reserve(size / 4 * 5 + size / 256 + 16);
  if (group > 0) out += "<~";
  std::size_t full = size / 4;
  int inLine = 0;
  std::size_t inBlock = 0;
  for (std::size_t g = 0; g < full; ++g) {
    std::uint32_t v = bigEndian(in + g * 4);
    if (v == 0) {
      out += 'z';
    } else {
      char digits[5];
      put85(digits, v);
      out.append(digits, 5);
    }
    bool lineDone = perLine > 0 && ++inLine == perLine;
    if (lineDone) inLine = 0;
    if (perBlock > 0 && ++inBlock == perBlock) {
      // The block mark takes the place of the line break; the last block is
      // closed by the end mark below.
      if (g + 1 < full || size % 4 != 0) out += "~>\n<~";
      inBlock = 0;
      inLine = 0;
    } else if (lineDone) {
      out += '\n';
    }
  }
  int rest = static_cast<int>(size % 4);
  if (rest > 0) putPartial(out, in + full * 4, rest);
  out += "~>\n";
  return out;
}

void KrmHexEncoder::encode(const unsigned char* data, std::size_t size, std::string& out) {
  std::size_t at = out.size();
  out.resize(at + size * 2 + size / kTransferLineBytes + 1);
  char* p = out.data() + at;
  for (std::size_t i = 0; i < size; ++i, ++count_) {
    if (count_ > 0 && count_ % kTransferLineBytes == 0) *p++ = '\n';
    *p++ = kHexDigits[data[i] >> 4];
    *p++ = kHexDigits[data[i] & 15];
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
}

void KrmAscii85Encoder::encode(const unsigned char* data, std::size_t size, std::string& out) {
  std::size_t at = out.size();
  // At most five digits per group plus one line break per line.
  out.resize(at + (size / 4 + 2) * 5 + size / kTransferLineBytes + 4);
  char* p = out.data() + at;
  auto emit = [&](const unsigned char* group) {
    std::uint32_t v = bigEndian(group);
    if (v == 0) {
      *p++ = 'z';
    } else {
      p = put85(p, v);
    }
    if (++groupsInLine_ == kTransferGroupsPerLine) {
      *p++ = '\n';
      groupsInLine_ = 0;
    }
  };
  std::size_t i = 0;
  while (pendingCount_ > 0 && pendingCount_ < 4 && i < size) pending_[pendingCount_++] = data[i++];
  if (pendingCount_ == 4) {
    emit(pending_);
    pendingCount_ = 0;
  }
  for (; i + 4 <= size; i += 4) emit(data + i);
  while (i < size) pending_[pendingCount_++] = data[i++];
  out.resize(static_cast<std::size_t>(p - out.data()));
}

void KrmAscii85Encoder::finish(std::string& out) {
  if (pendingCount_ > 0) putPartial(out, pending_, pendingCount_);
  pendingCount_ = 0;
  out += "~>\n";
}
