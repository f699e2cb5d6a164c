// Resource limits of the readers on large input, one operation per process
// so that the peak resident memory printed belongs to that operation:
//   - a container of 10,000 entries: created from a project, installed
//     (OpenContainer) and unpacked for print-and-forget;
//   - a stub file of 100,000 lines (a SETPPATH array of that many paths);
//   - a project file of 100,000 resources: read, then written back.
//
// usage: limits_bench setup <dir> <entries> <stub lines> <kpf resources>
//        limits_bench <case> <dir>
// cases: container-create, container-open, container-pff, stub, kpf-read,
//        kpf-write. Each prints "<case>: <seconds> s, peak RSS <KiB> KiB,
//        <result>".
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/sdk_fs.h"
#include "kpsdk/kx_project.h"

namespace {

std::string information(const std::string& folder, const std::string& project) {
  return "<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n<INFORMATION>\n"
         " <COPYRIGHT>bench</COPYRIGHT>\n <PROJECT_TYPE>KORO</PROJECT_TYPE>\n <FOLDER_NAME>" + folder +
         "</FOLDER_NAME>\n <PROJECT_NAME>" + project + "</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
         " <PROJECT_TITLE>bench</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>bench</PROJECT_DESCRIPTION>\n"
         " <AUTHOR>bench</AUTHOR>\n <KEYWORDS>bench</KEYWORDS>\n <GENERATOR>bench</GENERATOR>\n"
         " <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n";
}

std::string stubText(const std::string& root) {
  return "%!PS\n[ (" + root + "/kpcpfd/$$FOLDER./$$PROJECT./)\n (" + root + "/tqfc/$$FOLDER./$$PROJECT./)\n (" +
         root + "/tqfc/$$FOLDER./fshared/)\n (" + root + "/tqfc/gshared/)\n] SETPPATH\n";
}

bool write(const std::string& path, const std::string& text) {
  sdkMakeDirs(path.c_str());
  return sdkWriteTextFile(path.c_str(), text) != 0;
}

int setup(const std::string& dir, int entries, int stubLines, int kpfResources) {
  // The container's project: Bench/Many with small resources in all scopes.
  if (!write(dir + "/src/stub.run", stubText(dir + "/src"))) return 1;
  if (!write(dir + "/dst/stub.run", stubText(dir + "/dst"))) return 1;
  std::string resources;
  for (int i = 0; i < entries; ++i) {
    const int scope = i % 10 == 0 ? 2 : i % 10 == 1 ? 1 : 0;
    const std::string name = "r" + std::to_string(i) + ".frm";
    const std::string folder = scope == 2 ? "/src/tqfc/gshared/" : scope == 1 ? "/src/tqfc/Bench/fshared/"
                                                                             : "/src/tqfc/Bench/Many/";
    if (!write(dir + folder + name, "%!PS form " + std::to_string(i) + "\n" + std::string(200 + i % 300, 'x')))
      return 1;
    resources += " <RESOURCE Name='" + name + "' Type='frm' Scope='" + std::to_string(scope) + "'/>\n";
  }
  if (!write(dir + "/src/tqfc/Bench/Many/Many.kpf", information("Bench", "Many") + resources + "</RESOURCES>\n</KPF>\n"))
    return 1;

  // The stub file: an array of that many paths, the scope patterns last.
  std::string stub = "%!PS\n% a long start-up file\n[\n";
  for (int i = 0; i < stubLines - 8; ++i) stub += " (" + dir + "/extra/" + std::to_string(i) + "/$$FOLDER./)\n";
  stub += " (" + dir + "/kpcpfd/$$FOLDER./$$PROJECT./)\n (" + dir + "/tqfc/$$FOLDER./$$PROJECT./)\n (" + dir +
          "/tqfc/$$FOLDER./fshared/)\n (" + dir + "/tqfc/gshared/)\n] SETPPATH\n";
  if (!write(dir + "/big-stub.run", stub)) return 1;

  // The big project file.
  std::string big = information("Bench", "Huge");
  big.reserve(static_cast<std::size_t>(kpfResources) * 80 + big.size());
  for (int i = 0; i < kpfResources; ++i)
    big += " <RESOURCE Name='res" + std::to_string(i) + ".frm' Type='frm' Scope='" + std::to_string(i % 3) + "'/>\n";
  big += "</RESOURCES>\n</KPF>\n";
  return write(dir + "/huge.kpf", big) ? 0 : 1;
}

int report(const char* what, std::chrono::steady_clock::time_point start, int flags, const std::string& detail) {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%-16s %7.2f s  peak RSS %7ld KiB  %s%s\n", what, seconds, usage.ru_maxrss,
              (flags & kKxError) ? "ERROR " : "ok ", detail.c_str());
  return (flags & kKxError) ? 1 : 0;
}

int run(const std::string& what, const std::string& dir) {
  const auto start = std::chrono::steady_clock::now();
  if (what == "container-create") {
    auto p = kxProjectNew(dir + "/src/stub.run");
    int flags = p->OpenProject(dir + "/src/tqfc/Bench/Many/Many.kpf");
    if (!(flags & kKxError)) flags = p->CreateContainer(dir + "/many.kpc");
    return report(what.c_str(), start, flags,
                  std::to_string(p->GetResourceCount()) + " resources, " +
                      std::to_string(sdkFileSize((dir + "/many.kpc").c_str())) + " bytes");
  }
  if (what == "container-open" || what == "container-pff") {
    auto p = kxProjectNew(dir + "/dst/stub.run");
    int flags = what == "container-open" ? p->OpenContainer(dir + "/many.kpc")
                                         : p->OpenContainerPrintAndForget(dir + "/many.kpc");
    std::string detail = std::to_string(p->GetResourceCount()) + " resources";
    if (what == "container-pff") p->RemovePrintAndForget();
    return report(what.c_str(), start, flags, detail);
  }
  if (what == "stub") {
    auto p = kxProjectNew(dir + "/big-stub.run");
    p->SetFolderProjectNames("Bench", "Huge");
    std::string local = p->ResolveLocalPath("a.frm", 0);
    return report(what.c_str(), start, p->GetMessageFlags(),
                  std::to_string(p->GetScopePatterns(1).size()) + " folder patterns, local " + local);
  }
  if (what == "kpf-read" || what == "kpf-write") {
    auto p = kxProjectNew(dir + "/src/stub.run");
    int flags = p->OpenProject(dir + "/huge.kpf");
    if (what == "kpf-write" && !(flags & kKxError)) flags = p->WriteKpf(dir + "/huge-out.kpf");
    return report(what.c_str(), start, flags, std::to_string(p->GetResourceCount()) + " resources");
  }
  std::fprintf(stderr, "unknown case %s\n", what.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "setup") == 0)
    return setup(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  if (argc == 3) return run(argv[1], argv[2]);
  std::fprintf(stderr, "usage: %s setup <dir> <entries> <stub lines> <kpf resources>\n       %s <case> <dir>\n",
               argv[0], argv[0]);
  return 2;
}
