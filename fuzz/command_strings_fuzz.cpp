// krmGetCommandStrings: any bytes as an interpreter command file.
//
// Input: one option byte (bit 0 all occurrences, bit 1 convert "%os%"
// paths, bits 2-3 keyword run, SETPPATH or /run, bit 4 read again), one
// shift byte, then the file. With bit 4 the same file is read a second time
// behind a run of line ends that puts it across the 64 KiB reading
// boundary; blank lines before the first operand change nothing, so both
// reads must give the same operands.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/sdk_list.h"
#include "fuzz/fuzz_util.h"
#include "krmsdk/krm_command_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int options = data[0];
  const std::size_t shift = data[1];
  std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  const bool all = options & 1;
  const bool convert = options & 2;
  static const char* const kKeywords[] = {"run", "SETPPATH", "/run", "run"};
  const char* keyword = kKeywords[(options >> 2) & 3];

  std::string plain = qmfuzz::writeInput("cmd.ps", text);
  SdkList first;
  int found = krmGetCommandStrings(plain.c_str(), keyword, all, convert, first);
  qmfuzz::check(found == 0 || found == 1, "result is 0 or 1");
  qmfuzz::check(found == 1 || first.count() == 0, "operands only with the keyword");
  std::vector<std::string> got = first.toVector();
  for (std::size_t i = 0; i < got.size(); ++i)
    for (std::size_t j = i + 1; j < got.size(); ++j) qmfuzz::check(got[i] != got[j], "no operand twice");

  if (!(options & 16)) return 0;
  std::string padded(65536 - 64 + (shift % 128), '\n');
  padded.append(text);
  std::string across = qmfuzz::writeInput("cmd2.ps", padded);
  SdkList second;
  int found2 = krmGetCommandStrings(across.c_str(), keyword, all, convert, second);
  qmfuzz::check(found == found2, "same result across the reading boundary");
  qmfuzz::check(got == second.toVector(), "same operands across the reading boundary");
  return 0;
}
