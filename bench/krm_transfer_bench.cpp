// Writes one transfer command with the ASCII85 (or, with --hex,
// hexadecimal) data of a local file into a job file through the job
// library's streaming path, and prints the elapsed seconds and the peak
// resident memory of the process.
//
// usage: krm_transfer_bench [--hex] <input file> <job file>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_transfer.h"
#include "krmsdk/krmsdk.h"

int main(int argc, char** argv) {
  bool hex = argc > 1 && std::strcmp(argv[1], "--hex") == 0;
  if (argc != (hex ? 4 : 3)) {
    std::fprintf(stderr, "usage: %s [--hex] <input file> <job file>\n", argv[0]);
    return 2;
  }
  const char* input = argv[hex ? 2 : 1];
  const char* output = argv[hex ? 3 : 2];
  if (krmInitialize() != kKrmOk) return 1;
  auto start = std::chrono::steady_clock::now();
  auto stream = krmOpenStream("krmTransferBench", output);
  krmSendLocalFile(*stream, input, "tqfc/mislib/bench.bin", "() false true", hex);
  int rc = krmCloseStream(stream);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("result %d\nseconds %.3f\npeak_rss_kib %ld\n", rc, seconds, usage.ru_maxrss);
  krmFinished();
  return rc == kKrmOk ? 0 : 1;
}
