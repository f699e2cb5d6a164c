// Raw delivery through a private CUPS scheduler: a job file sent with
// WriteFileToPrinter against the same file sent with `lp -o raw`, in the
// same run, to the same byte-copying queue. Times are best of N rounds,
// from the start of the submission to the complete copy at the queue's
// end; the submission alone is reported too.
//   delivery_send_bench FILE [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "delivery/spooler.h"
#include "tools/cups/private_cups.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Timing {
  double submit = 1e9;
  double total = 1e9;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: delivery_send_bench FILE [rounds]\n");
    return 2;
  }
  const std::string file = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  std::string error;
  auto cups = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, "", error);
  if (!cups) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  cups->useForClients();
  std::string jobs;
  if (!cups->addCapture("Bench_Capture", jobs)) {
    std::fprintf(stderr, "%s\n", cups->lastError().c_str());
    return 1;
  }

  std::size_t sent = 0;
  auto measure = [&](Timing& best, auto&& submit) {
    const auto start = Clock::now();
    if (!submit()) {
      std::fprintf(stderr, "submission failed\n");
      std::exit(1);
    }
    const auto submitted = Clock::now();
    ++sent;
    auto captured = waitForCapturedJobs(jobs, sent, 600000);
    const auto done = Clock::now();
    if (captured.size() < sent || std::filesystem::file_size(captured.back()) != std::filesystem::file_size(file)) {
      std::fprintf(stderr, "the job did not arrive whole\n");
      std::exit(1);
    }
    best.submit = std::min(best.submit, seconds(submitted - start));
    best.total = std::min(best.total, seconds(done - start));
    // Keep the disk use of a large file down; the count goes on.
    std::filesystem::resize_file(captured.back(), 0);
  };

  Timing ours, lp;
  for (int i = 0; i < rounds; ++i) {
    measure(lp, [&] {
      std::string output;
      return runProgram({"lp", "-d", "Bench_Capture", "-o", "raw", file}, output) == 0;
    });
    measure(ours, [&] { return WriteFileToPrinter("[Send Submission File] bench", file, "Bench_Capture"); });
  }
  std::printf("file             %.1f MiB\n", static_cast<double>(std::filesystem::file_size(file)) / 1048576.0);
  std::printf("lp -o raw        %.3f s (submission %.3f s)\n", lp.total, lp.submit);
  std::printf("WriteFileToPrinter %.3f s (submission %.3f s)\n", ours.total, ours.submit);
  std::printf("ratio            %.2f (target <= 1.2); submission alone %.2f\n", ours.total / lp.total,
              ours.submit / lp.submit);
  return 0;
}
