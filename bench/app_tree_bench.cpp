// The desktop's resource tree on a big project: listing the resources of a
// project of <count> resources with the job library alone
// (krmListProjectResources), against loading the same project into the
// Load Project Resources page's tree (listing, reading the list, building
// the rows and showing them). Both run in this process, in turn, round
// after round; the best round of each is printed with their ratio.
//
// usage: app_tree_bench <dir> <count> [rounds]
// Needs a display (bench/run_app_tree.sh starts a private one).
#include <wx/app.h>
#include <wx/frame.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/pages/resource_tree.h"
#include "base/sdk_fs.h"
#include "krmsdk/krmsdk.h"
#include "ops/op_records.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A project Bench/Many of count small resources of nine types (one in nine
// without a type), names in mixed case, in all three scopes.
bool setup(const std::string& dir, int count, std::string& kpf, std::string& stub) {
  stub = dir + "/stub.ps";
  kpf = dir + "/tqfc/Bench/Many/Many.kpf";
  if (sdkFileExists(kpf.c_str())) return true;
  if (!sdkMakeDirs(stub.c_str()) ||
      !sdkWriteTextFile(stub.c_str(), "%!PS\nTQFdict begin\n[ (" + dir + "/kpcpfd/$$FOLDER./$$PROJECT./)\n  (" + dir +
                                          "/tqfc/$$FOLDER./$$PROJECT./)\n  (" + dir + "/tqfc/$$FOLDER./fshared/)\n  (" +
                                          dir + "/tqfc/gshared/)\n] SETPPATH\nend\n"))
    return false;
  static const char* const kTypes[] = {"frm", "seg", "img", "jdt", "mis", "enc", "dat", "fnt", "none"};
  const std::string scopes[] = {dir + "/tqfc/Bench/Many/", dir + "/tqfc/Bench/fshared/", dir + "/tqfc/gshared/"};
  std::string resources;
  for (int i = 0; i < count; ++i) {
    const char* type = kTypes[i % 9];
    const int scope = i % 3;
    char name[64];
    std::snprintf(name, sizeof name, "%s%05d.%s", (i / 9) % 2 ? "Res" : "res", (i * 7919) % count,
                  type[0] == 'n' ? "txt" : type);
    const std::string path = scopes[scope] + name;
    if (!sdkMakeDirs(path.c_str()) || !sdkWriteTextFile(path.c_str(), "x")) return false;
    resources += std::string(" <RESOURCE Name='") + name + "' Type='" + type + "' Scope='" + std::to_string(scope) +
                 "'/>\n";
  }
  const std::string text =
      "<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n<INFORMATION>\n"
      " <COPYRIGHT>bench</COPYRIGHT>\n <PROJECT_TYPE>KORO</PROJECT_TYPE>\n <FOLDER_NAME>Bench</FOLDER_NAME>\n"
      " <PROJECT_NAME>Many</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
      " <PROJECT_TITLE>bench</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>bench</PROJECT_DESCRIPTION>\n"
      " <AUTHOR>bench</AUTHOR>\n <KEYWORDS>bench</KEYWORDS>\n <GENERATOR>bench</GENERATOR>\n"
      " <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n" +
      resources + "</RESOURCES>\n</KPF>\n";
  return sdkWriteTextFile(kpf.c_str(), text);
}

class BenchApp : public wxApp {
 public:
  bool OnInit() override {
    if (argc < 3) {
      std::fprintf(stderr, "usage: app_tree_bench <dir> <count> [rounds]\n");
      return false;
    }
    dir_ = std::string(argv[1].utf8_str());
    count_ = std::stoi(std::string(argv[2].utf8_str()));
    rounds_ = argc > 3 ? std::stoi(std::string(argv[3].utf8_str())) : 5;
    CallAfter([this] { run(); });
    return true;
  }
  int OnRun() override {
    wxApp::OnRun();
    return status_;
  }

 private:
  void run() {
    std::string kpf, stub;
    if (!setup(dir_, count_, kpf, stub) || krmInitialize() != kKrmOk) {
      std::fprintf(stderr, "app_tree_bench: setup failed\n");
      ExitMainLoop();
      return;
    }
    auto* frame = new wxFrame(nullptr, wxID_ANY, "tree bench", wxDefaultPosition, wxSize(620, 732));
    auto* tree = new ResourceTree(frame, wxID_ANY);
    frame->Show();
    wxYield();
    OpContext context;
    InterpreterChoice interpreter;
    interpreter.useBuiltin = true;
    interpreter.koroStub = stub;
    context.interpreter = interpreter;
    const std::string listFile = dir_ + "/list.txt";

    double bestList = 1e9, bestTree = 1e9;
    std::size_t rows = 0;
    for (int round = 0; round < rounds_; ++round) {
      // The job library's listing alone.
      auto start = Clock::now();
      auto pps = listProjectRecord(kpf, false, interpreter);
      const int code = krmListProjectResources(pps.get(), jobOutputRecord(listFile.c_str()).get());
      bestList = std::min(bestList, secondsSince(start));
      if (code != kKrmOk) {
        std::fprintf(stderr, "app_tree_bench: listing failed (%d)\n", code);
        break;
      }
      // The page's tree: listing, reading, rows, and the first picture.
      tree->clear();
      wxYield();
      start = Clock::now();
      if (!tree->load(context, kpf)) break;
      tree->Update();
      wxYield();
      bestTree = std::min(bestTree, secondsSince(start));
      rows = tree->topItems().size();
    }
    std::printf("resource tree, %d resources (%zu top-level rows)\n", count_, rows);
    std::printf("  krmListProjectResources  %.3f s\n", bestList);
    std::printf("  tree load                %.3f s\n", bestTree);
    std::printf("  ratio                    %.2f (target <= 1.5)\n", bestTree / bestList);
    status_ = bestTree / bestList <= 1.5 ? 0 : 2;
    frame->Destroy();
    krmFinished();
    ExitMainLoop();
  }

  std::string dir_;
  int count_ = 20000;
  int rounds_ = 5;
  int status_ = 1;
};

}  // namespace

wxIMPLEMENT_APP_CONSOLE(BenchApp);
