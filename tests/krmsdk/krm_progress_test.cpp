// Progress and cancellation of the long jobs: what the hook sees while a
// container is unpacked and a job is written, that following a job does
// not change its bytes, and that a job stopped at any point leaves no job,
// no part file, no unpacked project and no temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <random>

#include "kpsdk/kx_project.h"
#include "krm_project_test_util.h"
#include "krmsdk/krm_progress.h"
#include "tests/common/containers.h"
#include "tests/common/part_files.h"

using namespace krmtest;

namespace {

// One report as the hook saw it.
struct Seen {
  KrmProgressStep step;
  std::string item;
  long index, count;
  std::int64_t itemSize, itemDone, done, total;
};

std::string noise(std::size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

// The job without the lines that carry the time it was written.
std::string withoutDates(std::string job) {
  static const std::regex dates("%%CreationDate: [^\n]*\n|/DATE \\([^)]*\\) def|/DefinedDate \\[[^\\]]*\\]");
  return std::regex_replace(job, dates, "");
}

}  // namespace

class KrmProgressTest : public ProjectJobTest {
 protected:
  void SetUp() override {
    // Temporary folders and lock files of the jobs land in a folder of the
    // test's own, so that anything left behind shows.
    tmp_ = dir_ / "tmp";
    fs::create_directories(tmp_);
    tmpVar_.emplace(tmp_);
    ProjectJobTest::SetUp();
  }
  void TearDown() override {
    ProjectJobTest::TearDown();
    tmpVar_.reset();
  }

  // 40 small resources in all scopes, a 3 MiB image and a submission file,
  // packed into a container that the job opens print-and-forget.
  void makeContainerProject() {
    std::vector<TestResource> resources;
    for (int i = 0; i < 40; ++i)
      resources.push_back({"f" + std::to_string(i) + ".frm", "frm", i % 3, "FORM " + std::to_string(i)});
    resources.push_back({"big.tif", "img", 0, noise(3 << 20, 7)});
    resources.push_back({"job.ps", "sub", 0, "%!PS\nshowpage\n", "SubmissionOrder='1'"});
    makeProject(resources);
    {
      std::unique_ptr<KxProject> project = kxProjectNew(startupFile());
      ASSERT_EQ(project->OpenProject(kpf_) & 8, 0) << project->GetMessages();
      ASSERT_EQ(project->CreateContainer(dir_ / "p.kpc") & 8, 0) << project->GetMessages();
    }
    pps_->krmPPSSetProcessingMode(2003);
    pps_->krmPPSSetContainerFile((dir_ / "p.kpc").c_str());
  }

  // Follows the job; stopAt decides for each report whether to cancel.
  void follow(std::function<bool(const Seen&)> stopAt = {}) {
    // A cancelled job leaves an earlier job's output as it was; each one
    // here starts without one, so that anything at the output is its own.
    std::error_code ec;
    fs::remove(out_, ec);
    seen_.clear();
    afterCancel_ = 0;
    vos_->krmVOSSetProgressHook([this, stopAt](const KrmProgress& p) {
      if (stopped()) ++afterCancel_;
      seen_.push_back({p.step, std::string(p.item), p.index, p.count, p.itemSize, p.itemDone, p.done, p.total});
      if (stopAt && stopAt(seen_.back())) cancelledAt_ = static_cast<long>(seen_.size());
      return stopped() ? 1 : 0;
    });
    cancelledAt_ = 0;
  }
  bool stopped() const { return cancelledAt_ > 0; }

  // Whatever a job may leave: files in the temporary folder, the unpacked
  // project, the job and its part file.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> found;
    for (const std::string& dir : {tmp_, dir_ / "kpcpfd"})
      if (fs::exists(dir))
        for (auto& e : fs::recursive_directory_iterator(dir)) found.push_back(e.path().string());
    if (fs::exists(out_)) found.push_back(out_);
    for (const auto& part : qmtest::partFilesOf(out_)) found.push_back(part.string());
    return found;
  }

  int load() { return krmCreateProjectResourceLoader(pps_.get(), vos_.get()); }
  int container() { return krmCreatePrintableContainer(pps_.get(), vos_.get()); }
  int list() { return krmListProjectResources(pps_.get(), vos_.get()); }

  std::string tmp_;
  std::optional<qmtest::TempDirVariable> tmpVar_;
  std::vector<Seen> seen_;
  long cancelledAt_ = 0;
  int afterCancel_ = 0;
};

TEST_F(KrmProgressTest, ContainerLoadReportsUnpackingThenEveryResourceWithoutChangingTheJob) {
  makeContainerProject();
  ASSERT_EQ(load(), 1001) << krmGetLastMessage();
  const std::string plain = output();

  follow();
  ASSERT_EQ(load(), 1001) << krmGetLastMessage();
  EXPECT_EQ(withoutDates(output()), withoutDates(plain));
  EXPECT_EQ(leftovers(), std::vector<std::string>{out_});

  // Opening first: the container named, then unpacked with the archive's
  // byte counts, the big entry in many pieces, then each resource placed.
  ASSERT_FALSE(seen_.empty());
  EXPECT_EQ(seen_.front().step, KrmProgressStep::kOpening);
  EXPECT_EQ(seen_.front().item, "p.kpc");
  long bigPieces = 0, placed = 0;
  std::size_t firstWriting = seen_.size();
  for (std::size_t i = 0; i < seen_.size(); ++i) {
    const Seen& s = seen_[i];
    if (s.step == KrmProgressStep::kWriting) {
      if (firstWriting == seen_.size()) firstWriting = i;
      continue;
    }
    EXPECT_EQ(firstWriting, seen_.size()) << "unpacking after writing began";
    EXPECT_LE(s.done, s.total);
    if (s.total > 0 && s.item == "big.tif" && s.itemDone > 0) ++bigPieces;
    if (s.total == 0 && s.count == 42) ++placed;
  }
  EXPECT_GT(bigPieces, 10);
  EXPECT_EQ(placed, 42);

  // Then every resource sent (all but the submission file), in project
  // order, at its position of the walk, the big one piece by piece.
  std::vector<std::string> started;
  std::int64_t bigDone = 0;
  for (std::size_t i = firstWriting; i < seen_.size(); ++i) {
    const Seen& s = seen_[i];
    ASSERT_EQ(s.step, KrmProgressStep::kWriting);
    if (s.item.empty()) continue;  // a walk position
    EXPECT_EQ(s.count, 42);
    if (s.itemDone == 0) {
      started.push_back(s.item);
      EXPECT_EQ(s.index, static_cast<long>(started.size()));
    }
    if (s.item == "big.tif") bigDone = s.itemDone;
  }
  ASSERT_EQ(started.size(), 41u);
  EXPECT_EQ(started.front(), "f0.frm");
  EXPECT_EQ(started.back(), "big.tif");
  EXPECT_EQ(bigDone, 3 << 20);
}

TEST_F(KrmProgressTest, CancellingAtAnyPointLeavesNothingBehind) {
  makeContainerProject();
  pps_->krmPPSAddFlags(0x4000);  // a status page: the trailer comes after the last file
  follow();
  ASSERT_EQ(load(), 1001);
  const long reports = static_cast<long>(seen_.size());
  ASSERT_TRUE(fs::remove(out_));

  const std::vector<std::pair<const char*, std::function<bool(const Seen&)>>> points = {
      {"at the first report", [](const Seen&) { return true; }},
      {"while the big entry is unpacked",
       [](const Seen& s) { return s.step == KrmProgressStep::kOpening && s.item == "big.tif" && s.itemDone > 0; }},
      {"while the unpacked files are placed",
       [](const Seen& s) { return s.step == KrmProgressStep::kOpening && s.total == 0 && s.index == 20; }},
      {"while the big file is streamed",
       [](const Seen& s) {
         return s.step == KrmProgressStep::kWriting && s.item == "big.tif" && s.itemDone > (1 << 20);
       }},
      {"at the start of the last file",
       [](const Seen& s) { return s.step == KrmProgressStep::kWriting && s.item == "big.tif" && s.itemDone == 0; }},
      {"at the very last report", [this, reports](const Seen&) { return static_cast<long>(seen_.size()) == reports; }},
  };
  for (const auto& [where, stopAt] : points) {
    SCOPED_TRACE(where);
    follow(stopAt);
    EXPECT_EQ(load(), kKrmCancelled);
    EXPECT_TRUE(stopped());
    EXPECT_EQ(afterCancel_, 0) << "the hook was asked again after it cancelled";
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
    EXPECT_EQ(std::string(krmGetLastMessage()).rfind("[krmCreateProjectResourceLoader] Task cancelled by the caller.",
                                                     0),
              0u)
        << krmGetLastMessage();
  }
}

TEST_F(KrmProgressTest, VolumeSetsAreJoinedWithProgressAndStopCleanly) {
  makeContainerProject();
  {
    std::unique_ptr<KxProject> project = kxProjectNew(startupFile());
    ASSERT_EQ(project->OpenProject(kpf_) & 8, 0) << project->GetMessages();
    project->SetArchiveVolumeSize(100);  // about 1 MiB a volume
    ASSERT_EQ(project->CreateContainer(dir_ / "vol/v.kpc") & 8, 0) << project->GetMessages();
    ASSERT_GE(project->GetVolumeCount(), 3);
    pps_->krmPPSSetContainerFile(
        (dir_ / sdkFormat("vol/v_000001_%06ld.kpv", project->GetVolumeCount())).c_str());
  }
  follow();
  ASSERT_EQ(load(), 1001) << krmGetLastMessage();
  // The set is joined twice (the type check, then the opening), each
  // volume piece by piece.
  long volumeStarts = 0;
  for (const Seen& s : seen_)
    if (s.step == KrmProgressStep::kOpening && s.item.find(".kpv") != std::string::npos && s.itemDone == 0)
      ++volumeStarts;
  EXPECT_GE(volumeStarts, 6);
  ASSERT_TRUE(fs::remove(out_));

  for (long stopAt : {1L, volumeStarts / 2 + 1}) {
    SCOPED_TRACE(stopAt);
    long starts = 0;
    follow([&starts, stopAt](const Seen& s) {
      return s.item.find(".kpv") != std::string::npos && s.itemDone == 0 && ++starts == stopAt;
    });
    EXPECT_EQ(load(), kKrmCancelled);
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
  }
}

TEST_F(KrmProgressTest, ListAndPrintableContainerStopWithoutOutput) {
  makeContainerProject();
  // The list: stopped while the container is unpacked, nothing is written.
  follow([](const Seen& s) { return s.step == KrmProgressStep::kOpening && s.itemDone > 0; });
  EXPECT_EQ(list(), kKrmCancelled);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
  follow();
  ASSERT_EQ(list(), 1001);
  EXPECT_TRUE(
      std::any_of(seen_.begin(), seen_.end(), [](const Seen& s) { return s.step == KrmProgressStep::kOpening; }));

  // A container that embeds the resources: each inline resource and the
  // submission file are reported; stopping during any of them removes it.
  pps_->krmPPSSetFlags(0x20 | 0x10);
  const std::string submission = dir_ / "data.ps";
  writeFile(submission, "%!PS\n" + std::string(2 << 20, 'x') + "\nshowpage\n");
  pps_->krmPPSSetSubmissionFile(submission.c_str());
  follow();
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  bool sawBig = false, sawSubmission = false;
  const auto submissionSize = static_cast<std::int64_t>(fs::file_size(submission));
  for (const Seen& s : seen_) {
    sawBig = sawBig || (s.item == "big.tif" && s.itemDone == s.itemSize);
    sawSubmission = sawSubmission || (s.item == "data.ps" && s.itemSize == submissionSize);
  }
  EXPECT_TRUE(sawBig);
  EXPECT_TRUE(sawSubmission);
  for (const char* item : {"big.tif", "data.ps"}) {
    SCOPED_TRACE(item);
    const std::string name = item;
    follow([name](const Seen& s) { return s.item == name && s.step == KrmProgressStep::kWriting; });
    EXPECT_EQ(container(), kKrmCancelled);
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
  }
}

TEST_F(KrmProgressTest, FileAndFontLoadersNumberTheirFiles) {
  auto fos = krmNewFOS();
  for (int i = 0; i < 3; ++i) {
    const std::string file = dir_ / ("legacy" + std::to_string(i) + ".frm");
    writeFile(file, noise(600 * 1024, static_cast<unsigned>(i)));
    fos->krmFOSAddLoadFile(file.c_str(), nullptr);
  }
  follow();
  ASSERT_EQ(krmCreateFileLoader(fos.get(), vos_.get()), 1001);
  std::vector<std::pair<long, std::string>> starts;
  for (const Seen& s : seen_)
    if (s.itemDone == 0) starts.push_back({s.index, s.item});
  EXPECT_EQ(starts, (std::vector<std::pair<long, std::string>>{
                        {1, "legacy0.frm"}, {2, "legacy1.frm"}, {3, "legacy2.frm"}}));
  EXPECT_TRUE(std::all_of(seen_.begin(), seen_.end(), [](const Seen& s) { return s.count == 3; }));

  follow([](const Seen& s) { return s.index == 3; });
  EXPECT_EQ(krmCreateFileLoader(fos.get(), vos_.get()), kKrmCancelled);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});

  auto fonts = krmNewFOS();
  const std::string font = dir_ / "f.pfa";
  writeFile(font, "%!PS-AdobeFont-1.0: Demo 001\n/FontName /Demo def\n" + std::string(300000, 'a'));
  fonts->krmFOSAddFontFile(font.c_str());
  follow([](const Seen& s) { return s.itemDone > 0; });
  EXPECT_EQ(krmCreatePSFontLoader(fonts.get(), vos_.get()), kKrmCancelled);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}
