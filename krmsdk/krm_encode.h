// Text encodings of file data for transfer: hexadecimal and ASCII85.
//
// The whole-buffer functions encode a complete buffer. The incremental
// encoders produce exactly the same bytes as the whole-buffer form with
// group 0 and line 512 (the form every transfer uses) while being fed the
// data in pieces of any size, so a transfer never holds more than one piece
// and its encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Upper-case hexadecimal, two digits per byte. group > 0: the text is
// wrapped in "<" ">" and ">\n<" follows every group bytes (not the last);
// line > 0: "\n" follows every line bytes (not the last).
std::string krmConvertToHex(const void* data, std::size_t size, int group, int line);

// ASCII85 without a leading "<~": line / 4 groups a line (line <= 0: 20, or
// group / 4 when group > 0), "z" for a zero group, a final partial group of
// k bytes as k + 1 digits, "~>\n" at the end. A "\n" follows every full
// line, the last one too. group > 0 writes blocks of group bytes, each
// opened with "<~" and closed with "~>\n".
std::string krmConvertToAscii85(const void* data, std::size_t size, int group, int line);

// Hexadecimal with line 512 and no group, fed piece by piece.
class KrmHexEncoder {
 public:
  // Appends the encoding of the piece to out.
  void encode(const unsigned char* data, std::size_t size, std::string& out);
  // Nothing to close; kept for symmetry with the ASCII85 encoder.
  void finish(std::string&) {}
  std::uint64_t bytesEncoded() const { return count_; }

 private:
  std::uint64_t count_ = 0;
};

// ASCII85 with 128 groups a line and no group blocks, fed piece by piece.
class KrmAscii85Encoder {
 public:
  void encode(const unsigned char* data, std::size_t size, std::string& out);
  // Appends the partial group, if any, and "~>\n".
  void finish(std::string& out);

 private:
  unsigned char pending_[4] = {0, 0, 0, 0};
  int pendingCount_ = 0;
  int groupsInLine_ = 0;
};
