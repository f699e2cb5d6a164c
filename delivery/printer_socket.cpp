#include "delivery/printer_socket.h"

std::string describeLimit(std::chrono::milliseconds limit) {
  const long long ms = limit.count();
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  std::string tenths = std::to_string((ms + 50) / 100);
  if (tenths.size() < 2) tenths.insert(0, "0");
  return tenths.substr(0, tenths.size() - 1) + "." + tenths.back() + " s";
}
