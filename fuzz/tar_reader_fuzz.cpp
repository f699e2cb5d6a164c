// The tar reader in its three modes (every entry, the project file, one
// named entry) on any bytes; the name asked for in named mode is the first
// header's name field, so that it sometimes exists.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/archive_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string container = qmfuzz::writeInput("in.tar", input);
  std::string_view field = input.substr(0, 100);
  std::string wanted(field.substr(0, field.find('\0')));
  qmfuzz::extractAllModes(container, wanted);
  return 0;
}
