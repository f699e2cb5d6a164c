// Direct delivery: one job file streamed to a raw port by SendDirect, the
// way a direct printer gets it. Prints the seconds from the start of the
// connection to the printer's close.
//   direct_send_bench FILE PORT
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "delivery/direct_send.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: direct_send_bench FILE PORT\n");
    return 2;
  }
  DirectAddress address{"127.0.0.1", static_cast<std::uint16_t>(std::atoi(argv[2]))};
  const auto start = std::chrono::steady_clock::now();
  DirectSendResult r = SendDirect(address, "bench", argv[1], DirectSendOptions(), {});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!r.ok()) {
    std::fprintf(stderr, "direct_send_bench: %s\n", r.error.c_str());
    return 1;
  }
  std::printf("%.4f\n", seconds);
  return 0;
}
