// Start-up benchmark of the desktop program: the time from starting the
// process until its main window is mapped on the display, with 1024
// printers in a private scheduler and 50 printer groups, against the same
// time for a bare wxWidgets frame in the same run. Prints the medians,
// their ratio (target <= 2) and the program's peak memory.
//
//   app_start_bench QUAYMASTER BARE_FRAME [rounds]      (needs $DISPLAY)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cups/cups.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/cups/private_cups.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// A raw queue created with one request (lpadmin per queue would take
// minutes for 1024).
bool addRawQueue(const std::string& name) {
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER);
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                   name.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, "qmsim:/capture?dir=/nonexistent");
  ippAddBoolean(request, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
  ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
  ippDelete(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/admin/"));
  return cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
}

// True when a mapped window with this title exists.
bool windowMapped(Display* display, Window window, const char* title) {
  char* name = nullptr;
  if (XFetchName(display, window, &name) && name != nullptr) {
    const bool same = std::string(name) == title;
    XFree(name);
    if (same) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) return true;
    }
  }
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
  bool found = false;
  for (unsigned i = 0; i < count && !found; ++i) found = windowMapped(display, children[i], title);
  if (children) XFree(children);
  return found;
}

struct Run {
  double seconds = -1;
  long peakKiB = 0;
};

Run measure(Display* display, const std::string& program, const char* title) {
  Run run;
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto deadline = start + std::chrono::seconds(60);
  while (Clock::now() < deadline) {
    if (windowMapped(display, DefaultRootWindow(display), title)) {
      run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  // Let it settle, then end it and read its peak memory.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  kill(pid, SIGTERM);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.peakKiB = usage.ru_maxrss;
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: app_start_bench QUAYMASTER BARE_FRAME [rounds]\n");
    return 2;
  }
  const std::string app = argv[1];
  const std::string bare = argv[2];
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "app_start_bench: no display\n");
    return 1;
  }

  std::string error;
  auto cups = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, "", error);
  if (!cups) {
    std::fprintf(stderr, "app_start_bench: %s\n", error.c_str());
    return 1;
  }
  cups->useForClients();
  const auto setupStart = Clock::now();
  for (int i = 0; i < 1024; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Bench_Printer_%04d", i);
    if (!addRawQueue(name)) {
      std::fprintf(stderr, "app_start_bench: cannot add %s: %s\n", name, cupsLastErrorString());
      return 1;
    }
  }
  std::printf("1024 queues created in %.1f s\n", std::chrono::duration<double>(Clock::now() - setupStart).count());

  // A private configuration with 50 groups and a private home (the
  // single-instance lock).
  const fs::path work = fs::path(cups->folder()) / "bench";
  fs::create_directories(work / "home");
  {
    std::ofstream ini(work / "quaymaster.ini");
    ini << "qmRootDir=" << work.string() << "\nuseBuiltin=1\nkoroStub=" << (work / "stub.ps").string()
        << "\n[printer-groups]\n";
    for (int g = 0; g < 50; ++g) {
      ini << "Group_" << g << "=";
      for (int m = 0; m < 20; ++m) ini << (m ? "," : "") << "Bench_Printer_" << (g * 20 + m) % 1024;
      ini << "\n";
    }
  }
  setenv("QUAYMASTER_CONFIG_DIR", work.c_str(), 1);
  setenv("HOME", (work / "home").c_str(), 1);

  std::vector<double> appTimes, bareTimes;
  long peak = 0;
  for (int r = 0; r < rounds; ++r) {
    Run b = measure(display, bare, "Bare Frame");
    Run a = measure(display, app, "Brightway Quaymaster");
    if (a.seconds < 0 || b.seconds < 0) {
      std::fprintf(stderr, "app_start_bench: a window did not appear\n");
      return 1;
    }
    bareTimes.push_back(b.seconds);
    appTimes.push_back(a.seconds);
    peak = std::max(peak, a.peakKiB);
  }
  const double appMedian = median(appTimes);
  const double bareMedian = median(bareTimes);
  std::printf("bare wxWidgets frame:        %.3f s (median of %d)\n", bareMedian, rounds);
  std::printf("quaymaster, 1024 printers, 50 groups: %.3f s (median of %d)\n", appMedian, rounds);
  std::printf("ratio: %.2f (target <= 2)\n", appMedian / bareMedian);
  std::printf("quaymaster peak memory: %.1f MiB\n", peak / 1024.0);
  XCloseDisplay(display);
  return 0;
}
