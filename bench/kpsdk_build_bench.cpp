// Building a project in memory: adding N resources (one in ten a
// submission file) with modification recording on, for two sizes. Prints
// the best of five times for each size and their ratio; a ratio near the
// size ratio (4) means adding stays linear.
//   kpsdk_build_bench [small] [large]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/sdk_fs.h"
#include "kpsdk/kx_project.h"

namespace {

double buildSeconds(const std::string& root, int count) {
  std::string stub = root + "/stub.run";
  std::string file = root + "/tqfc/F/P/shared.bin";
  auto project = kxProjectNew(stub);
  project->SetFolderProjectNames("F", "P");
  project->SetCurrentDate("today");
  project->SetCurrentUser("bench");
  project->SetRecordModifications(1);
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    auto r = kxResourceNew();
    r->SetName("resource_" + std::to_string(i) + ".tif");
    r->SetPath(file);
    if (i % 10 == 0) {
      r->SetType("sub");
      r->SetSubmissionOrder(i / 10 + 1);
    } else {
      r->SetType("img");
    }
    if (project->AddResource(std::move(r)) & kKxError) {
      std::fprintf(stderr, "add failed: %s\n", project->GetMessages().c_str());
      std::exit(1);
    }
  }
  std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
  if (project->GetResourceCount() != count) std::exit(1);
  return d.count();
}

double best(const std::string& root, int count) {
  double b = 1e9;
  for (int i = 0; i < 5; ++i) b = std::min(b, buildSeconds(root, count));
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  int small = argc > 1 ? std::atoi(argv[1]) : 5000;
  int large = argc > 2 ? std::atoi(argv[2]) : 20000;
  SdkString dir;
  sdkMakeTempDir(dir);
  std::string root = dir.str();
  sdkWriteTextFile((root + "/stub.run").c_str(),
                   "[\n (" + root + "/tqfc/$$FOLDER./$$PROJECT./)\n (" + root + "/tqfc/gshared/)\n] SETPPATH\n");
  sdkMakeDirs((root + "/tqfc/F/P/").c_str());
  sdkWriteTextFile((root + "/tqfc/F/P/shared.bin").c_str(), "x");
  double a = best(root, small);
  double b = best(root, large);
  std::printf("resources %-6d %.4f s\n", small, a);
  std::printf("resources %-6d %.4f s\n", large, b);
  std::printf("ratio           %.2f (target < 6)\n", b / a);
  std::filesystem::remove_all(root);
  return 0;
}
