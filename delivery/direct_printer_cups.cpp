// The direct address of a CUPS queue: its device-uri, when that is an
// AppSocket address.
#include <string_view>

#include "delivery/direct_printer.h"
#include "delivery/spooler.h"

std::optional<DirectAddress> QueueSocketAddress(const SpoolerQueue& queue) {
  std::string_view device = queue.port;
  if (!isSocketUri(device)) return std::nullopt;
  // Options after "?" are the scheduler's own (waiteof=, contimeout=).
  device = device.substr(0, device.find('?'));
  return ParseSocketUri(device).address;
}
