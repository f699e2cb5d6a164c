// Listening is POSIX only; on Windows the program says so when asked to.
#include "tools/printer_sim/printer_listener.h"

bool parseListenAddress(const std::string& text, ListenAddress& address) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return false;
  int port = 0;
  for (std::size_t i = colon + 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9' || port > 65535) return false;
    port = port * 10 + (text[i] - '0');
  }
  if (port > 65535) return false;
  address.host = text.substr(0, colon);
  address.port = port;
  return true;
}

PrinterListener::~PrinterListener() = default;

bool PrinterListener::open(const ListenAddress&, std::string& error) {
  error = "--listen is not available on Windows; run the simulated printer on a POSIX system";
  return false;
}

bool PrinterListener::serve(int, const volatile std::sig_atomic_t*, std::string& error) {
  error = "not listening";
  return false;
}

void PrinterListener::answerJob(int, int, const volatile std::sig_atomic_t*) {}
