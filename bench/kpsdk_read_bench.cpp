// Opening a KPF of N resources whose files exist, against Python's
// xml.etree.ElementTree parsing the same file in the same run. Prints the
// best of five times of each and their ratio.
//   kpsdk_read_bench [resources]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/sdk_fs.h"
#include "kpsdk/kx_project.h"

namespace {

double openSeconds(const std::string& stub, const std::string& kpf, int expected) {
  auto project = kxProjectNew(stub);
  auto start = std::chrono::steady_clock::now();
  int flags = project->OpenProject(kpf);
  std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
  if ((flags & kKxError) || project->GetResourceCount() != expected) {
    std::fprintf(stderr, "open failed: %s\n", project->GetMessages().c_str());
    std::exit(1);
  }
  return d.count();
}

double pythonSeconds(const std::string& kpf) {
  std::string command =
      "python3 -c \"import sys,time,xml.etree.ElementTree as ET\n"
      "b=1e9\n"
      "for i in range(5):\n"
      "  s=time.perf_counter(); t=ET.parse(sys.argv[1]); n=len(t.getroot().find('RESOURCES'))\n"
      "  b=min(b,time.perf_counter()-s)\n"
      "print(b)\" '" + kpf + "'";
  std::FILE* p = popen(command.c_str(), "r");
  if (!p) return 0;
  double seconds = 0;
  if (std::fscanf(p, "%lf", &seconds) != 1) seconds = 0;
  pclose(p);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  SdkString dir;
  sdkMakeTempDir(dir);
  const std::string root = dir.str();
  const std::string stub = root + "/stub.run";
  sdkWriteTextFile(stub.c_str(), "[\n (" + root + "/kpcpfd/$$FOLDER./$$PROJECT./)\n (" + root +
                                     "/tqfc/$$FOLDER./$$PROJECT./)\n (" + root + "/tqfc/$$FOLDER./fshared/)\n (" +
                                     root + "/tqfc/gshared/)\n] SETPPATH\n");

  // The project: every resource's file exists in its scope.
  auto project = kxProjectNew(stub);
  project->SetFolderProjectNames("Folder", "Project");
  project->SetCopyright("(c) bench");
  project->SetProjectVersion("1");
  project->SetProjectTitle("Read benchmark");
  project->SetGenerator("kpsdk_read_bench");
  project->SetCreationDate("2024-01-01");
  project->CreateProjectDirectories();
  for (int i = 0; i < count; ++i) {
    auto r = kxResourceNew();
    int scope = i % 10 == 0 ? 2 : i % 10 == 1 ? 1 : 0;
    r->SetName("resource_" + std::to_string(i) + ".tif");
    r->SetType("img");
    r->SetScope(scope);
    r->SetDescription("Image number " + std::to_string(i));
    r->SetMime("image/tiff");
    r->SetPath(project->ResolveInScope(scope, r->GetName()));
    sdkWriteTextFile(r->GetPath().c_str(), "x");
    project->AddResource(std::move(r));
  }
  const std::string kpf = root + "/tqfc/Folder/Project/Project.kpf";
  if (project->WriteKpf(kpf) & kKxError) {
    std::fprintf(stderr, "write failed: %s\n", project->GetMessages().c_str());
    return 1;
  }

  double ours = 1e9;
  for (int i = 0; i < 5; ++i) ours = std::min(ours, openSeconds(stub, kpf, count));
  double python = pythonSeconds(kpf);
  std::printf("resources       %d (%lld bytes)\n", count, static_cast<long long>(sdkFileSize(kpf.c_str())));
  std::printf("kpsdk open      %.4f s\n", ours);
  std::printf("python ET       %.4f s\n", python);
  if (python > 0) std::printf("ratio           %.2f (target <= 3)\n", ours / python);
  std::filesystem::remove_all(root);
  return 0;
}
