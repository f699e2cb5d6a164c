// SHA-256 (FIPS 180-4) of data in pieces or of a whole file, as lower-case
// hexadecimal: what the send history keeps to tell job files apart.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
 public:
  Sha256();
  void update(const void* data, std::size_t size);
  void update(std::string_view text) { update(text.data(), text.size()); }
  // The digest in hexadecimal; the object is spent afterwards.
  std::string hex();

 private:
  void block(const unsigned char* data);
  std::array<std::uint32_t, 8> state_;
  std::array<unsigned char, 64> buffer_;
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

// The digest of the file's bytes; empty when it cannot be read.
std::string sha256OfFile(const std::string& path);
