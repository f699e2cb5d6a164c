// Progress of the long operations and their cancellation: the phases a
// page sees, and that a stopped operation sends nothing and leaves no job
// file, no list file and no unpacked project.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

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
