// Opening a container of many entries that the project does not name, all
// in one folder, against reading its headers alone (the container's own
// listing) in the same run: project info (ReadContainer), print-and-forget
// (opening and removal, as load-project does) and, on request, installing
// (every entry unpacked, so file creation dominates). Prints seconds and
// the ratio to the listing for each.
//
// The container comes from bench/run_container_open.sh, which writes it
// with Python's zipfile (the project file and form.frm of project
// Bench/Many, then the other entries).
//
//   container_open_bench <work folder> <container> <entries> [install]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "archive/container_listing.h"
#include "base/sdk_fs.h"
#include "kpsdk/kx_project.h"

namespace {

double seconds(const std::function<bool()>& run, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  ok = run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <work folder> <container> <entries> [install]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1], kpc = argv[2];
  const long entries = std::atol(argv[3]);
  const std::string stub = dir + "/stub.run";
  sdkMakeDirs((dir + "/").c_str());
  const std::string stubText = "%!PS\n[ (" + dir + "/kpcpfd/$$FOLDER./$$PROJECT./)\n (" + dir +
                               "/tqfc/$$FOLDER./$$PROJECT./)\n (" + dir + "/tqfc/$$FOLDER./fshared/)\n (" + dir +
                               "/tqfc/gshared/)\n] SETPPATH\n";
  if (!sdkWriteTextFile(stub.c_str(), stubText)) {
    std::fprintf(stderr, "cannot write the stub file in %s\n", dir.c_str());
    return 1;
  }
  std::printf("container of %ld entries besides the project's own two:\n", entries);
  bool ok = false;
  const double listing = seconds(
      [&] {
        std::vector<ContainerEntry> listed;
        return ListContainerEntries(kpc, listed).empty() && static_cast<long>(listed.size()) == entries + 2;
      },
      ok);
  std::printf("  %-28s %7.2f s%s\n", "listing (reference)", listing, ok ? "" : "  FAILED");
  auto project = [&] { return kxProjectNew(stub); };
  const struct {
    const char* what;
    std::function<bool()> run;
  } cases[] = {
      {"read (project info)", [&] { return !(project()->ReadContainer(kpc) & kKxError); }},
      {"print-and-forget (load)",
       [&] {
         auto p = project();
         return !(p->OpenContainerPrintAndForget(kpc) & kKxError) && !(p->RemovePrintAndForget() & kKxError);
       }},
      {"install (every entry)", [&] { return !(project()->OpenContainer(kpc) & kKxError); }},
  };
  int failed = 0;
  const bool install = argc > 3 && std::string(argv[3]) == "install";
  for (const auto& c : cases) {
    if (!install && std::string(c.what).rfind("install", 0) == 0) continue;
    const double s = seconds(c.run, ok);
    failed += ok ? 0 : 1;
    std::printf("  %-28s %7.2f s  %5.1f x listing%s\n", c.what, s, listing > 0 ? s / listing : 0.0,
                ok ? "" : "  FAILED");
  }
  return failed ? 1 : 0;
}
