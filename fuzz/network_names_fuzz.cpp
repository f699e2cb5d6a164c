// Server names and network destinations, as a configuration file or a
// command line may hold them. Whatever the text: an accepted name holds no
// blank or control byte, and its stored spelling is accepted again as the
// same name; an accepted destination reads the same again from its parts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "delivery/print_servers.h"
#include "fuzz/fuzz_util.h"

namespace {

bool printable(const std::string& text) {
  for (unsigned char c : text)
    if (c <= 0x20 || c >= 0x7f) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const ServerCheck server = CheckServerName(text);
  qmfuzz::check(server.accepted() != !server.message.empty(), "a refusal has a reason, an acceptance none");
  if (server.accepted()) {
    const std::string stored = server.address->text();
    qmfuzz::check(printable(stored) && stored.size() <= kMaxServerNameLength + 2, "a stored name is printable");
    const ServerCheck again = CheckServerName(stored);
    qmfuzz::check(again.accepted() && again.address->text() == stored, "the stored name reads the same again");
  }

  const bool wellFormed = isNetworkDestination(text) && CheckNetworkDestination(text).empty();
  if (std::optional<RemoteQueue> queue = ParseRemoteQueue(text)) {
    qmfuzz::check(wellFormed && printable(queue->queue), "a parsed queue was checked");
    const std::optional<RemoteQueue> again = ParseRemoteQueue(queue->queue + "@" + queue->server.text());
    qmfuzz::check(again && again->queue == queue->queue, "a queue reads the same again");
  }
  if (std::optional<IppPrinterUri> uri = ParseIppPrinterUri(text)) {
    qmfuzz::check(wellFormed && printable(uri->text()), "a parsed address was checked");
    const std::optional<IppPrinterUri> again = ParseIppPrinterUri(uri->text());
    qmfuzz::check(again && again->text() == uri->text(), "an address reads the same again");
  }
  return 0;
}
