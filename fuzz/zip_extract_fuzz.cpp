// Zip extraction in its three modes (every entry, the project files, one
// named entry) on any bytes; the name asked for in named mode is the bare
// name of the first local header's entry, so that it sometimes exists.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/archive_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string container = qmfuzz::writeInput("in.kpc", input);
  std::string wanted = "Proj.kpf";
  if (size >= 30) {
    std::size_t length = data[26] | (static_cast<std::size_t>(data[27]) << 8);
    std::string name(input.substr(30, length));
    wanted = name.substr(name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
  }
  qmfuzz::extractAllModes(container, wanted);
  return 0;
}
