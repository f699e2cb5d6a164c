// Progress of the long operations and their cancellation: the phases a
// page sees, and that a stopped operation sends nothing and leaves no job
// file, no list file and no unpacked project.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <random>

#include "delivery/spooler_jobs.h"
#include "kpsdk/kx_project.h"
#include "ops/operations.h"
#include "ops_test_support.h"
#include "tests/common/project_stub.h"
#include "tests/common/part_files.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string noise(std::size_t size) {
  std::mt19937 gen(11);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

}  // namespace

class OpsProgress : public OpsFixture {
 protected:
  void SetUp() override {
    OpsFixture::SetUp();
    // The built-in Tessel's stub file sends the project scopes and the
    // print-and-forget folder into the test folder.
    writeFile(path("stub.ps"), projectStubText(dir_, dir_));
    // A project of 30 forms, a 2 MiB image and a submission file, packed.
    const std::string local = dir_ + "/tqfc/F/P/";
    std::string resources;
    for (int i = 0; i < 30; ++i) {
      const std::string name = "f" + std::to_string(i) + ".frm";
      writeFile(local + name, "FORM " + std::to_string(i));
      resources += " <RESOURCE Name='" + name + "' Type='frm' Scope='0' />\n";
    }
    writeFile(local + "big.tif", noise(2 << 20));
    writeFile(local + "job.ps", "%!PS\nshowpage\n");
    resources += " <RESOURCE Name='big.tif' Type='img' Scope='0' />\n"
                 " <RESOURCE Name='job.ps' Type='sub' Scope='0' SubmissionOrder='1' />\n";
    writeFile(local + "P.kpf",
              "<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n<INFORMATION>\n"
              " <COPYRIGHT>(c) Q</COPYRIGHT>\n <PROJECT_TYPE>KORO</PROJECT_TYPE>\n"
              " <FOLDER_NAME>F</FOLDER_NAME>\n <PROJECT_NAME>P</PROJECT_NAME>\n"
              " <PROJECT_VERSION>1</PROJECT_VERSION>\n <PROJECT_TITLE>T</PROJECT_TITLE>\n"
              " <PROJECT_DESCRIPTION>D</PROJECT_DESCRIPTION>\n <AUTHOR>A</AUTHOR>\n <KEYWORDS>K</KEYWORDS>\n"
              " <GENERATOR>G</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n" +
                  resources + "</RESOURCES>\n</KPF>\n");
    container_ = path("p.kpc");
    std::unique_ptr<KxProject> project = kxProjectNew(path("stub.ps"));
    ASSERT_EQ(project->OpenProject(local + "P.kpf") & 8, 0) << project->GetMessages();
    ASSERT_EQ(project->CreateContainer(container_) & 8, 0) << project->GetMessages();
  }

  // Records every step; stops at the first one that stopAt picks.
  void follow(std::function<bool(const OpProgressStep&)> stopAt = {}) {
    steps_.clear();
    ctx_.progress = [this, stopAt](const OpProgressStep& step) {
      steps_.push_back(step);
      return !(stopAt && stopAt(step));
    };
  }

  // Whatever a stopped operation could leave: job and list files, the
  // container's temporary folders, the unpacked project.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> found;
    for (const std::string& dir : {path("tmp"), path("kpcpfd")})
      if (fs::exists(dir))
        for (auto& e : fs::recursive_directory_iterator(dir)) found.push_back(e.path().string());
    return found;
  }

  bool saw(OpProgressStep::Phase phase) const {
    return std::any_of(steps_.begin(), steps_.end(), [phase](const OpProgressStep& s) { return s.phase == phase; });
  }

  static bool isPhase(const OpProgressStep& s, OpProgressStep::Phase phase) { return s.phase == phase; }

  std::string container_;
  std::vector<OpProgressStep> steps_;
};

using Phase = OpProgressStep::Phase;

TEST_F(OpsProgress, ResourceListOfAContainerShowsItsOpeningAndStops) {
  follow();
  ProjectListing listing = listProjectResources(ctx_, container_, false);
  ASSERT_EQ(listing.result.kind, OpResult::Kind::NothingToDo) << listing.result.message;
  EXPECT_EQ(listing.resources.size(), 31u);
  ASSERT_FALSE(steps_.empty());
  EXPECT_EQ(steps_.front().phase, Phase::Opening);
  EXPECT_EQ(steps_.front().text().rfind("Opening the project", 0), 0u);
  for (const OpProgressStep& s : steps_) EXPECT_LE(s.percent(), 100);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});

  follow([](const OpProgressStep& s) { return isPhase(s, Phase::Opening); });
  listing = listProjectResources(ctx_, container_, false);
  EXPECT_EQ(listing.result.kind, OpResult::Kind::Cancelled);
  EXPECT_EQ(listing.result.message, "");
  EXPECT_TRUE(listing.resources.empty());
  EXPECT_EQ(leftovers(), std::vector<std::string>{});

  SubmissionChoices choices = submissionChoices(ctx_, container_);
  EXPECT_EQ(choices.result.kind, OpResult::Kind::Cancelled);
  EXPECT_EQ(choices.result.message, "");
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

TEST_F(OpsProgress, StoppedLoadJobSendsNothingAndLeavesNothing) {
  LoadProjectChoice choice;
  choice.projectPath = container_;
  follow();
  OpResult r = loadProjectResources(ctx_, choice);
  ASSERT_EQ(r.kind, OpResult::Kind::Sent) << r.message;
  ASSERT_EQ(spooler_.jobs.size(), 1u);
  EXPECT_TRUE(saw(Phase::Opening));
  EXPECT_TRUE(saw(Phase::Writing));
  ASSERT_EQ(steps_.back().phase, Phase::Sending);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
  spooler_.jobs.clear();

  for (Phase phase : {Phase::Opening, Phase::Writing, Phase::Sending}) {
    SCOPED_TRACE(static_cast<int>(phase));
    follow([phase](const OpProgressStep& s) { return isPhase(s, phase); });
    r = loadProjectResources(ctx_, choice);
    EXPECT_EQ(r.kind, OpResult::Kind::Cancelled);
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(r.jobFile, "");
    EXPECT_TRUE(spooler_.jobs.empty());
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
  }

  // A job written to the caller's own file is not left half written.
  ctx_.jobOutputPath = path("out/load.ps");
  follow([](const OpProgressStep& s) { return isPhase(s, Phase::Writing); });
  EXPECT_EQ(loadProjectResources(ctx_, choice).kind, OpResult::Kind::Cancelled);
  EXPECT_FALSE(fs::exists(ctx_.jobOutputPath));
  EXPECT_TRUE(qmtest::partFilesOf(ctx_.jobOutputPath).empty());
}

TEST_F(OpsProgress, StoppedContainerAndLoadersSendNothing) {
  SendContainerChoice container;
  container.projectPath = container_;
  container.submission = path("data.ps");
  container.externalSubmission = true;
  container.resources = ContainerResources::Included;
  writeFile(container.submission, "%!PS\n" + std::string(3 << 20, 'x') + "\nshowpage\n");
  follow([](const OpProgressStep& s) { return s.phase == Phase::Writing; });
  EXPECT_EQ(sendContainer(ctx_, container, {}).kind, OpResult::Kind::Cancelled);
  EXPECT_TRUE(saw(Phase::Opening));

  std::vector<std::pair<std::string, std::string>> rows;
  for (int i = 0; i < 3; ++i) {
    rows.push_back({path("legacy" + std::to_string(i) + ".frm"), ""});
    writeFile(rows.back().first, noise(300000));
  }
  follow([](const OpProgressStep& s) { return s.phase == Phase::Writing; });
  EXPECT_EQ(loadLegacyFiles(ctx_, rows).kind, OpResult::Kind::Cancelled);
  ASSERT_FALSE(steps_.empty());
  EXPECT_EQ(steps_.front().files, 3);
  EXPECT_EQ(steps_.front().text(), "Writing the job: legacy0.frm");

  const std::string font = path("f.pfa");
  writeFile(font, "%!PS-AdobeFont-1.0: Demo 001\n/FontName /Demo def\n");
  follow([](const OpProgressStep& s) { return s.phase == Phase::Sending; });
  EXPECT_EQ(loadFonts(ctx_, {font}).kind, OpResult::Kind::Cancelled);

  EXPECT_TRUE(spooler_.jobs.empty());
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

TEST(OpProgressSteps, SharesAndThrottling) {
  KrmProgress p;
  p.step = KrmProgressStep::kOpening;
  p.done = 25;
  p.total = 100;
  EXPECT_EQ(opProgressStep(p).percent(), 25);
  // Position in a walk, with the current file half done.
  p = KrmProgress{};
  p.index = 3;
  p.count = 4;
  p.itemSize = 10;
  p.itemDone = 5;
  EXPECT_EQ(opProgressStep(p).percent(), 62);
  EXPECT_EQ(opProgressStep(p, true).phase, OpProgressStep::Phase::Listing);
  // One file of an unknown number: its own share; nothing known: -1.
  p.count = 0;
  EXPECT_EQ(opProgressStep(p).percent(), 50);
  EXPECT_EQ(opProgressStep(KrmProgress{}).percent(), -1);

  // A burst of reports reaches the page once per phase; the page's false
  // answer cancels.
  int calls = 0;
  bool goOn = true;
  KrmProgressHook hook = opJobProgressHook([&](const OpProgressStep&) {
    ++calls;
    return goOn;
  });
  KrmProgress report;
  report.step = KrmProgressStep::kOpening;
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(hook(report), 0);
  report.step = KrmProgressStep::kWriting;
  EXPECT_EQ(hook(report), 0);
  EXPECT_EQ(calls, 2);
  goOn = false;
  report.step = KrmProgressStep::kOpening;
  EXPECT_NE(hook(report), 0);
  EXPECT_FALSE(opJobProgressHook({}));
}

namespace {

// A spooler that takes a job in pieces, slowly, through the watched reader
// the real ones use; it keeps what each printer was given in full.
class SlowSpooler : public Spooler {
 public:
  std::vector<std::string> completed, cancelled;
  std::atomic<const char*> seen{""};
  std::vector<std::string> EnumeratePrinters() override { return {"P1", "P2"}; }
  bool WriteFileToPrinter(const std::string&, const std::string&, const std::string&) override { return false; }
  Submission SubmitFile(const std::string&, const std::string& file, const std::string& printer,
                        const SendWatch& watch) override {
    std::ifstream in(file, std::ios::binary);
    bool stopped = false;
    ChunkReader read = watchedReader(
        [&in](char* buffer, std::size_t size) {
          in.read(buffer, static_cast<std::streamsize>(size));
          return static_cast<long>(in.gcount());
        },
        printer, jobFileSize(file), watch, stopped);
    std::vector<char> piece(256 * 1024);
    long got;
    bool first = true;
    while ((got = read(piece.data(), piece.size())) > 0) {
      // Half-way until the caller has seen this printer's bytes (bounded),
      // so that its Cancel lands during the hand-over however slow it runs.
      for (int i = 0; first && i < 1000 && printer != seen.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      first = false;
    }
    Submission s;
    s.cancelled = stopped;
    s.ok = got == 0;
    (s.ok ? completed : cancelled).push_back(printer);
    return s;
  }
};

}  // namespace

TEST_F(OpsProgress, HandOverReportsBytesAndCancelStopsTheSpoolersJob) {
  SlowSpooler slow;
  groups_ = {"P1", "P2"};
  ctx_.destination = std::string(kGroupMarker) + "Floor";
  ctx_.send = [&](const std::string& title, const std::string& file, const std::string& dest, const SendWatch& w) {
    return SendJob(slow, [this](const std::string&) { return groups_; }, title, file, dest, w);
  };
  LoadProjectChoice choice;
  choice.projectPath = container_;
  const auto caller = std::this_thread::get_id();
  bool otherThread = false;

  struct Case {
    const char* stopOn;  // the printer whose hand-over is cancelled half-way; "" runs to the end
    std::vector<std::string> completed, cancelled;
    OpResult::Kind kind;
  };
  for (const Case& c : {Case{"", {"P1", "P2"}, {}, OpResult::Kind::Sent},
                        Case{"P1", {}, {"P1"}, OpResult::Kind::Cancelled},
                        Case{"P2", {"P1"}, {"P2"}, OpResult::Kind::Cancelled}}) {
    SCOPED_TRACE(c.stopOn);
    slow.completed.clear();
    slow.cancelled.clear();
    slow.seen = "";
    const std::string stopOn = c.stopOn;
    std::string lastText;
    ctx_.progress = [&](const OpProgressStep& s) {
      otherThread |= std::this_thread::get_id() != caller;
      if (s.phase != Phase::Sending || s.bytes == 0) return true;
      lastText = s.text();
      slow.seen = s.item == "P1" ? "P1" : "P2";
      return s.item != stopOn;
    };
    const OpResult r = loadProjectResources(ctx_, choice);
    EXPECT_EQ(r.kind, c.kind) << r.message;
    EXPECT_EQ(slow.completed, c.completed);
    EXPECT_EQ(slow.cancelled, c.cancelled);
    EXPECT_EQ(r.message, "");
    std::vector<std::string> reached;
    for (const auto& sent : r.outcome.sent) reached.push_back(sent.printer);
    EXPECT_EQ(reached, c.completed);
    EXPECT_NE(lastText.find(" MB of "), std::string::npos) << lastText;
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
  }
  // Pages pump their window from the progress callback: it stays on the
  // caller's thread even while the spooler is fed from another.
  EXPECT_FALSE(otherThread);
}
