// The KPF scanner: every input is cut into tokens that cover the text up to
// its first zero byte exactly, in order, with known kinds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_util.h"
#include "kpsdk/kpf_token.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  KpfTokenStream stream;
  stream.TokenizeText(input);

  std::string expected(input.substr(0, input.find('\0')));
  for (char& c : expected)
    if (c == '\r') c = '\n';
  std::string joined;
  int next = 0;
  while (stream.HasMoreTokens()) {
    const KpfToken* token = stream.NextToken();
    qmfuzz::check(token != nullptr, "token within the count");
    int kind = token->GetKind();
    qmfuzz::check(kind >= 2 && kind <= 63, "known token kind");
    qmfuzz::check(token->GetLength() > 0, "tokens are not empty");
    qmfuzz::check(token->GetStart() == next, "tokens follow each other");
    qmfuzz::check(token->GetLength() == static_cast<int>(token->GetText().size()), "length matches text");
    next = token->GetEnd() + 1;
    joined += token->GetText();
  }
  qmfuzz::check(stream.NextToken() == nullptr, "no token past the end");
  qmfuzz::check(joined == expected, "tokens cover the text");

  // The scanner proper on the raw bytes, zero bytes included.
  for (std::string_view rest = input; !rest.empty();) {
    KpfMatch m = kpfScanToken(rest);
    qmfuzz::check(m.length > 0 && m.length <= rest.size(), "match inside the text");
    rest.remove_prefix(m.length);
  }
  return 0;
}
