// The operation pages on big input.
//
// tree: listing the resources of a project of <count> resources with the
// job library alone (krmListProjectResources), against loading the same
// project into the Load Project Resources page's tree (listing, reading the
// list, building the rows and showing them). Both run in this process, in
// turn, round after round; the best round of each is printed with their
// ratio.
//
// container: a printable container around a submission file of <MiB>
// built the way the Send Container page builds it, with the page's
// progress window: whether the window appeared, and the longest time the
// program went without handling its window's events.
//
// usage: app_pages_bench tree <dir> <count> [rounds]
//        app_pages_bench container <dir> <MiB>
// Needs a display (bench/run_app_pages.sh starts a private one). With
// QM_BENCH_DETAIL set, tree also prints where each round's time goes.
#include <wx/app.h>
#include <wx/frame.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/pages/operation_progress.h"
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
bool writeStub(const std::string& dir, std::string& stub) {
  stub = dir + "/stub.ps";
  return sdkMakeDirs(stub.c_str()) &&
         sdkWriteTextFile(stub.c_str(), "%!PS\nTQFdict begin\n[ (" + dir + "/kpcpfd/$$FOLDER./$$PROJECT./)\n  (" + dir +
                                            "/tqfc/$$FOLDER./$$PROJECT./)\n  (" + dir + "/tqfc/$$FOLDER./fshared/)\n  (" +
                                            dir + "/tqfc/gshared/)\n] SETPPATH\nend\n");
}

std::string projectFile(const std::string& project, const std::string& resources) {
  return "<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n<INFORMATION>\n"
         " <COPYRIGHT>bench</COPYRIGHT>\n <PROJECT_TYPE>KORO</PROJECT_TYPE>\n <FOLDER_NAME>Bench</FOLDER_NAME>\n"
         " <PROJECT_NAME>" + project + "</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
         " <PROJECT_TITLE>bench</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>bench</PROJECT_DESCRIPTION>\n"
         " <AUTHOR>bench</AUTHOR>\n <KEYWORDS>bench</KEYWORDS>\n <GENERATOR>bench</GENERATOR>\n"
         " <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n" + resources + "</RESOURCES>\n</KPF>\n";
}

bool setup(const std::string& dir, int count, std::string& kpf, std::string& stub) {
  kpf = dir + "/tqfc/Bench/Many/Many.kpf";
  if (!writeStub(dir, stub)) return false;
  if (sdkFileExists(kpf.c_str())) return true;
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
  return sdkWriteTextFile(kpf.c_str(), projectFile("Many", resources));
}

// A project Bench/Big whose submission file big.ps holds mib MiB.
bool setupBig(const std::string& dir, int mib, std::string& kpf, std::string& stub) {
  kpf = dir + "/tqfc/Bench/Big/Big.kpf";
  if (!writeStub(dir, stub)) return false;
  const std::string big = dir + "/tqfc/Bench/Big/big.ps";
  if (!sdkMakeDirs(big.c_str())) return false;
  std::FILE* out = std::fopen(big.c_str(), "wb");
  if (out == nullptr) return false;
  std::string block = "%!PS\n";
  while (block.size() < (1u << 20)) block += "% a line of the submission file that is only a comment\n";
  block.resize(1u << 20);
  bool ok = true;
  for (int i = 0; i < mib && ok; ++i) ok = std::fwrite(block.data(), 1, block.size(), out) == block.size();
  ok = std::fclose(out) == 0 && ok;
  return ok && sdkWriteTextFile(kpf.c_str(),
                                projectFile("Big", " <RESOURCE Name='big.ps' Type='sub' Scope='0' SubmissionOrder='1'/>\n"));
}

InterpreterChoice builtinTessel(const std::string& stub) {
  InterpreterChoice interpreter;
  interpreter.useBuiltin = true;
  interpreter.koroStub = stub;
  return interpreter;
}

class BenchApp : public wxApp {
 public:
  bool OnInit() override {
    if (argc < 4) {
      std::fprintf(stderr, "usage: app_pages_bench tree <dir> <count> [rounds]\n"
                           "       app_pages_bench container <dir> <MiB>\n");
      return false;
    }
    const std::string mode(argv[1].utf8_str());
    dir_ = std::string(argv[2].utf8_str());
    count_ = std::stoi(std::string(argv[3].utf8_str()));
    rounds_ = argc > 4 ? std::stoi(std::string(argv[4].utf8_str())) : 5;
    if (mode == "container") CallAfter([this] { runContainer(); });
    else CallAfter([this] { runTree(); });
    return true;
  }
  int OnRun() override {
    wxApp::OnRun();
    return status_;
  }

 private:
  // False (after the message, with the loop ended) when the set-up failed.
  bool begin(bool setupDone) {
    if (setupDone && krmInitialize() == kKrmOk) return true;
    std::fprintf(stderr, "app_pages_bench: setup failed\n");
    ExitMainLoop();
    return false;
  }

  void runContainer() {
    std::string kpf, stub;
    if (!begin(setupBig(dir_, count_, kpf, stub))) return;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "container bench", wxDefaultPosition, wxSize(620, 732));
    frame->Show();
    wxYield();
    const InterpreterChoice interpreter = builtinTessel(stub);
    OpContext context;
    context.interpreter = interpreter;
    context.jobOutputPath = dir_ + "/out.ps";
    SendContainerChoice choice;
    choice.projectPath = kpf;
    choice.submission = "big.ps";

    OperationProgress progress(frame);
    const OpProgress window = progress.callback();
    double longest = 0;
    long reports = 0;
    Clock::time_point last{};
    context.progress = [&](const OpProgressStep& step) {
      const Clock::time_point now = Clock::now();
      // Pauses count once the window is up (it shows after a moment).
      if (progress.shown()) longest = std::max(longest, std::chrono::duration<double>(now - last).count());
      ++reports;
      const bool goOn = window(step);
      last = Clock::now();
      return goOn;
    };
    const auto start = Clock::now();
    const OpResult result = sendContainer(context, choice, [] { return false; });
    const double seconds = secondsSince(start);
    const bool shown = progress.shown();
    std::printf("printable container, %d MiB submission file\n", count_);
    std::printf("  job                      %.3f s (%s)\n", seconds, result.kind == OpResult::Kind::Written ? "written" : "FAILED");
    std::printf("  progress window          %s, %ld reports\n", shown ? "shown" : "NOT SHOWN", reports);
    std::printf("  longest pause            %.0f ms (target <= 250)\n", longest * 1000);
    status_ = result.kind == OpResult::Kind::Written && shown && longest <= 0.25 ? 0 : 2;
    sdkDeleteFile(context.jobOutputPath.c_str());
    frame->Destroy();
    krmFinished();
    ExitMainLoop();
  }

  void runTree() {
    std::string kpf, stub;
    if (!begin(setup(dir_, count_, kpf, stub))) return;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "tree bench", wxDefaultPosition, wxSize(620, 732));
    auto* tree = new ResourceTree(frame, wxID_ANY);
    frame->Show();
    wxYield();
    const InterpreterChoice interpreter = builtinTessel(stub);
    OpContext context;
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
        std::fprintf(stderr, "app_pages_bench: listing failed (%d)\n", code);
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
      if (std::getenv("QM_BENCH_DETAIL")) {
        tree->clear();
        wxYield();
        auto t0 = Clock::now();
        ProjectListing listing = listProjectResources(context, kpf, false);
        auto t1 = Clock::now();
        tree->showResources(listing.resources);
        auto t2 = Clock::now();
        tree->Update();
        auto t25 = Clock::now();
        wxYield();
        auto t3 = Clock::now();
        auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
        std::printf("  detail: listing %.0f ms, rows %.0f ms, update %.0f ms, yield %.0f ms\n", ms(t0, t1), ms(t1, t2), ms(t2, t25), ms(t25, t3));
      }
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
