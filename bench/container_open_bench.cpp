// Opening a container of many entries that the project does not name, all
// in one folder, against reading its headers alone (the container's own
// listing) in the same run: project info (ReadContainer), print-and-forget
// (opening and removal, as load-project does) and, on request, installing
// (every entry unpacked, so file creation dominates). Prints seconds and
// the ratio to the listing for each.
//
//   container_open_bench <work folder> [entries] [install]
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "archive/container_listing.h"
#include "base/sdk_fs.h"
#include "kpsdk/kx_project.h"

namespace {

const char kKpf[] =
    "<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n<INFORMATION>\n <COPYRIGHT>bench</COPYRIGHT>\n"
    " <PROJECT_TYPE>KORO</PROJECT_TYPE>\n <FOLDER_NAME>Bench</FOLDER_NAME>\n <PROJECT_NAME>Many</PROJECT_NAME>\n"
    " <PROJECT_VERSION>1</PROJECT_VERSION>\n <PROJECT_TITLE>bench</PROJECT_TITLE>\n"
    " <PROJECT_DESCRIPTION>bench</PROJECT_DESCRIPTION>\n <AUTHOR>bench</AUTHOR>\n <KEYWORDS>bench</KEYWORDS>\n"
    " <GENERATOR>bench</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n"
    " <RESOURCE Name='form.frm' Type='frm' Scope='0'/>\n</RESOURCES>\n</KPF>\n";

bool addEntry(zipFile zip, const std::string& name, const std::string& data) {
  zip_fileinfo info{};
  if (zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                          Z_DEFAULT_COMPRESSION) != ZIP_OK)
    return false;
  bool ok = zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) == ZIP_OK;
  return zipCloseFileInZip(zip) == ZIP_OK && ok;
}

bool makeContainer(const std::string& path, long entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return false;
  bool ok = addEntry(zip, "Bench/Many/Many.kpf", kKpf) && addEntry(zip, "Bench/Many/form.frm", "%!PS form\n");
  for (long i = 0; ok && i < entries; ++i)
    ok = addEntry(zip, "Bench/Many/extra" + std::to_string(i) + ".dat", "entry " + std::to_string(i) + "\n");
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

double seconds(const std::function<bool()>& run, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  ok = run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <work folder> [entries]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const long entries = argc > 2 ? std::atol(argv[2]) : 200000;
  const std::string kpc = dir + "/many.kpc", stub = dir + "/stub.run";
  sdkMakeDirs((dir + "/").c_str());
  const std::string stubText = "%!PS\n[ (" + dir + "/kpcpfd/$$FOLDER./$$PROJECT./)\n (" + dir +
                               "/tqfc/$$FOLDER./$$PROJECT./)\n (" + dir + "/tqfc/$$FOLDER./fshared/)\n (" + dir +
                               "/tqfc/gshared/)\n] SETPPATH\n";
  if (!sdkWriteTextFile(stub.c_str(), stubText) || !makeContainer(kpc, entries)) {
    std::fprintf(stderr, "cannot write the container in %s\n", dir.c_str());
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
