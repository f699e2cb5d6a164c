// qm-printer-sim: runs a PostScript job on a simulated Tessel printer and
// prints what happened. Exit status: 0 the job ran without a PostScript
// error, 1 it ended with an error, 2 bad usage, 3 Ghostscript could not run.
// With --listen it is a printer on the network instead (printer_listener.h)
// until SIGTERM or the number of jobs given; exit status 0, or 3 when it
// cannot listen.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/printer_sim/printer_listener.h"
#include "tools/printer_sim/printer_simulator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int) { stopRequested = 1; }

void usage() {
  std::fprintf(stderr,
               "usage: qm-printer-sim JOB --disk DIR [--pages DIR] [--format png|pdf]\n"
               "                      [--resolution DPI] [--name STEM] [--no-power-on]\n"
               "                      [--timeout SECONDS] [--printer-name NAME] [--disk-size BYTES]\n"
               "                      [--quiet]\n"
               "       qm-printer-sim --listen HOST:PORT --disk DIR [--pages DIR] [--jobs N]\n"
               "                      [--idle-timeout SECONDS] [other options as above]\n"
               "Runs JOB on a simulated printer whose disk is DIR and reports the\n"
               "pages printed, any PostScript error and the disk's files. The disk holds\n"
               "1G unless --disk-size says otherwise (bytes, or with K, M or G).\n"
               "With --listen it takes jobs over raw TCP one at a time and sends back what\n"
               "each job prints and its errors, until SIGTERM or N jobs; port 0 picks a\n"
               "free port. It first prints \"listening on HOST:PORT\".\n");
}

int listenMode(const PrinterSimOptions& options, const ListenAddress& address, int jobs, int idleSeconds,
               bool quiet) {
  PrinterListener listener(options);
  listener.idleSeconds = idleSeconds;
  listener.quiet = quiet;
  std::string error;
  if (!listener.open(address, error)) {
    std::fprintf(stderr, "qm-printer-sim: %s\n", error.c_str());
    return 3;
  }
  std::signal(SIGTERM, requestStop);
  std::signal(SIGINT, requestStop);
  std::printf("listening on %s:%d\n", address.host.c_str(), listener.port());
  std::fflush(stdout);
  if (!listener.serve(jobs, &stopRequested, error)) {
    std::fprintf(stderr, "qm-printer-sim: %s\n", error.c_str());
    return 3;
  }
  return 0;
}

bool toInt(const std::string& text, int& value) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v <= 0 || v > 100000) return false;
  value = static_cast<int>(v);
  return true;
}

void printIndented(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::printf("  %s\n", text.substr(start, end - start).c_str());
    start = end + 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  PrinterSimOptions options;
  std::string job;
  bool quiet = false;
  bool listen = false;
  ListenAddress address;
  int jobs = 0;
  int idleSeconds = 60;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--disk") {
      if (!value(options.diskDir)) return usage(), 2;
    } else if (arg == "--pages") {
      if (!value(options.pagesDir)) return usage(), 2;
    } else if (arg == "--format") {
      if (!value(text) || (text != "png" && text != "pdf")) return usage(), 2;
      options.format = text == "pdf" ? PageFormat::kPdf : PageFormat::kPng;
    } else if (arg == "--resolution") {
      if (!value(text) || !toInt(text, options.resolution)) return usage(), 2;
    } else if (arg == "--timeout") {
      if (!value(text) || !toInt(text, options.timeoutSeconds)) return usage(), 2;
    } else if (arg == "--name") {
      if (!value(options.pageName)) return usage(), 2;
    } else if (arg == "--printer-name") {
      if (!value(options.printerName)) return usage(), 2;
    } else if (arg == "--disk-size") {
      if (!value(text) || !parseDiskSize(text, options.diskSize)) return usage(), 2;
    } else if (arg == "--listen") {
      if (!value(text) || !parseListenAddress(text, address)) return usage(), 2;
      listen = true;
    } else if (arg == "--jobs") {
      if (!value(text) || !toInt(text, jobs)) return usage(), 2;
    } else if (arg == "--idle-timeout") {
      if (!value(text) || !toInt(text, idleSeconds)) return usage(), 2;
    } else if (arg == "--no-power-on") {
      options.powerOn = false;
    } else if (arg == "--quiet") {
      quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      usage();
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      usage();
      return 2;
    } else if (job.empty()) {
      job = arg;
    } else {
      usage();
      return 2;
    }
  }
  if ((listen ? !job.empty() : job.empty()) || options.diskDir.empty()) {
    usage();
    return 2;
  }
  if (options.pagesDir.empty()) options.pagesDir = ".";
  if (listen) return listenMode(options, address, jobs, idleSeconds, quiet);

  PrinterSimulator printer(options);
  PrinterSimResult result = printer.run(job);
  if (!result.ran) {
    std::fprintf(stderr, "qm-printer-sim: %s\n", result.errorText.c_str());
    return 3;
  }
  if (!quiet) {
    std::printf("Job: %s\n", job.c_str());
    std::printf("Power-on: %s\n", result.poweredOn ? "ran Sys/Start" : "no Sys/Start");
    if (!result.powerOnError.empty()) std::printf("Power-on error: %s\n", result.powerOnError.c_str());
    if (!result.output.empty()) {
      std::printf("Output:\n");
      printIndented(result.output);
    }
    std::printf("Pages (%zu):\n", result.pages.size());
    for (const std::string& page : result.pages) std::printf("  %s\n", page.c_str());
    std::printf("Disk (%zu files):\n", result.disk.size());
    for (const DiskFile& file : result.disk) {
      std::printf("  %-60s %10llu\n", file.name.c_str(), static_cast<unsigned long long>(file.size));
    }
  }
  if (!result.ok()) {
    std::printf("PostScript error: %s\n", result.errorText.c_str());
    return 1;
  }
  if (!quiet) std::printf("PostScript errors: none\n");
  return 0;
}
