// Project jobs of the job library on large input: a printable container
// around a big submission file, and a resource loader job of a project
// with many resources. Each job runs in its own process (one invocation),
// so the peak resident memory printed is that job's.
//
// usage: krm_project_bench setup <dir> <submission MiB> <resource count>
//        krm_project_bench container <dir> <job file>
//        krm_project_bench load <dir> <job file>
// setup writes <dir>/koro/src/tqfdos.run and two projects under <dir>/tqfc:
// Bench/Big (the submission file big.ps, a form, an image, a segment) and
// Bench/Many (the resources, 16 to 256 KiB each, in all three scopes).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/sdk_fs.h"
#include "krmsdk/krmsdk.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// Deterministic data that does not compress to nothing.
void fill(std::vector<char>& buffer, std::uint64_t seed) {
  std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  for (char& c : buffer) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    c = static_cast<char>(x);
  }
}

bool writeData(const std::string& path, std::size_t size, std::uint64_t seed) {
  sdkMakeDirs(path.c_str());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::vector<char> buffer(std::min(size, 4 * kMiB));
  bool ok = true;
  for (std::size_t done = 0; done < size && ok; done += buffer.size()) {
    fill(buffer, seed + done);
    std::size_t n = std::min(buffer.size(), size - done);
    ok = std::fwrite(buffer.data(), 1, n, f) == n;
  }
  return std::fclose(f) == 0 && ok;
}

std::string kpf(const std::string& project, const std::string& resources) {
  return "<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n<INFORMATION>\n"
         " <COPYRIGHT>bench</COPYRIGHT>\n <PROJECT_TYPE>KORO</PROJECT_TYPE>\n <FOLDER_NAME>Bench</FOLDER_NAME>\n"
         " <PROJECT_NAME>" + project + "</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
         " <PROJECT_TITLE>bench</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>bench</PROJECT_DESCRIPTION>\n"
         " <AUTHOR>bench</AUTHOR>\n <KEYWORDS>bench</KEYWORDS>\n <GENERATOR>bench</GENERATOR>\n"
         " <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n" + resources +
         "</RESOURCES>\n</KPF>\n";
}

std::string scopeDir(const std::string& dir, int scope, const std::string& project) {
  if (scope == 1) return dir + "/tqfc/Bench/fshared/";
  if (scope == 2) return dir + "/tqfc/gshared/";
  return dir + "/tqfc/Bench/" + project + "/";
}

int setup(const std::string& dir, std::size_t submissionMiB, int count) {
  const std::string startup = dir + "/koro/src/tqfdos.run";
  sdkMakeDirs(startup.c_str());
  if (!sdkWriteTextFile(startup.c_str(), "%!PS\nTQFdict begin\n[ (" + dir + "/kpcpfd/$$FOLDER./$$PROJECT./)\n  (" +
                                             dir + "/tqfc/$$FOLDER./$$PROJECT./)\n  (" + dir +
                                             "/tqfc/$$FOLDER./fshared/)\n  (" + dir + "/tqfc/gshared/)\n] SETPPATH\nend\n"))
    return 1;

  // Bench/Big: the submission file and a few inline resources.
  std::string big;
  struct Small {
    const char* name;
    const char* type;
    int scope;
    std::size_t size;
  };
  for (const Small& s : {Small{"form.frm", "frm", 0, 20000}, Small{"logo.seg", "seg", 1, 30000},
                         Small{"photo.jpg", "img", 2, 300000}}) {
    if (!writeData(scopeDir(dir, s.scope, "Big") + s.name, s.size, s.size)) return 1;
    big += std::string(" <RESOURCE Name='") + s.name + "' Type='" + s.type + "' Scope='" + std::to_string(s.scope) +
           "'/>\n";
  }
  if (!writeData(scopeDir(dir, 0, "Big") + "big.ps", submissionMiB * kMiB, 7)) return 1;
  big += " <RESOURCE Name='big.ps' Type='sub' Scope='0' SubmissionOrder='1'/>\n";
  if (!sdkWriteTextFile((scopeDir(dir, 0, "Big") + "Big.kpf").c_str(), kpf("Big", big))) return 1;

  // Bench/Many: resources of every loadable type in the three scopes.
  static const char* const kTypes[] = {"frm", "seg", "img", "jdt", "mis", "enc", "dat", "fnt"};
  std::string many;
  for (int i = 0; i < count; ++i) {
    const char* type = kTypes[i % 8];
    int scope = i % 3;
    std::string name = "r" + std::to_string(i) + "." + type;
    std::size_t size = (16 + (i * 37) % 241) * 1024;
    if (!writeData(scopeDir(dir, scope, "Many") + name, size, 1000 + i)) return 1;
    many += " <RESOURCE Name='" + name + "' Type='" + type + "' Scope='" + std::to_string(scope) + "'/>\n";
  }
  return sdkWriteTextFile((scopeDir(dir, 0, "Many") + "Many.kpf").c_str(), kpf("Many", many)) ? 0 : 1;
}

int runJob(const std::string& kind, const std::string& dir, const std::string& output) {
  if (krmInitialize() != kKrmOk) return 1;
  auto pps = krmNewPPS();
  auto vos = krmNewVOS();
  vos->krmVOSSetOutputPath(output.c_str());
  vos->krmVOSSetFlags(0x8000);
  pps->krmPPSSetKOROPath((dir + "/koro").c_str());
  pps->krmPPSSetStubPath((dir + "/koro/src/tqfdos.run").c_str());
  pps->krmPPSSetProcessingMode(2002);
  const bool container = kind == "container";
  const std::string project = container ? "Big" : "Many";
  pps->krmPPSSetProjectFile((scopeDir(dir, 0, project) + project + ".kpf").c_str());
  // Container: self-contained with the built-in Tessel and inline resources.
  // Load: every resource type, status page, overwrite.
  pps->krmPPSSetFlags(container ? 0x2 | 0x8 | 0x20 : 0x400 | 0x4000 | 0x8000);
  auto start = std::chrono::steady_clock::now();
  int rc = container ? krmCreatePrintableContainer(pps.get(), vos.get())
                     : krmCreateProjectResourceLoader(pps.get(), vos.get());
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("result %d\nseconds %.3f\noutput_bytes %lld\npeak_rss_kib %ld\n", rc, seconds,
              static_cast<long long>(sdkFileSize(output.c_str())), usage.ru_maxrss);
  if (rc != kKrmOk) std::fprintf(stderr, "%s\n", krmGetLastMessage());
  krmFinished();
  return rc == kKrmOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "setup") == 0)
    return setup(argv[2], std::strtoul(argv[3], nullptr, 10), std::atoi(argv[4]));
  if (argc == 4 && (std::strcmp(argv[1], "container") == 0 || std::strcmp(argv[1], "load") == 0))
    return runJob(argv[1], argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: %s setup <dir> <submission MiB> <resource count>\n"
               "       %s container|load <dir> <job file>\n",
               argv[0], argv[0]);
  return 2;
}
