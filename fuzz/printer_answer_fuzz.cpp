// AnswerReader: a printer's answer, the first byte choosing the size of the
// pieces it arrives in and the second the cap. Fed in pieces it finds the
// same messages as fed whole; it keeps at most the cap and counts every
// byte; the shown text holds no control byte but the line break.
#include <cstddef>
#include <cstdint>
#include <string>

#include "delivery/printer_answer.h"
#include "fuzz/fuzz_util.h"

namespace {

PrinterAnswer read(std::string_view text, std::size_t piece, std::size_t cap) {
  AnswerReader reader(cap);
  for (std::size_t i = 0; i < text.size(); i += piece) reader.feed(text.substr(i, piece));
  reader.finish();
  return reader.answer();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t piece = 1 + data[0] % 17;
  const std::size_t cap = static_cast<std::size_t>(data[1]) * 4;
  std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

  const PrinterAnswer whole = read(text, text.size() + 1, cap);
  const PrinterAnswer pieces = read(text, piece, cap);
  qmfuzz::check(whole.total == text.size() && pieces.total == text.size(), "every byte is counted");
  qmfuzz::check(whole.kept == text.substr(0, cap) && pieces.kept == whole.kept, "the first cap bytes are kept");
  qmfuzz::check(whole.errors == pieces.errors && whole.statuses == pieces.statuses, "pieces find the same messages");
  qmfuzz::check(whole.lines == pieces.lines, "pieces find the same lines");
  for (char c : ShowableAnswer(text)) {
    const auto byte = static_cast<unsigned char>(c);
    qmfuzz::check(byte == '\n' || (byte >= 0x20 && byte != 0x7F), "no control byte is shown");
  }
  return 0;
}
