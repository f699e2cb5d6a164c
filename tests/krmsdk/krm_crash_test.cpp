// A job writer killed in the middle of its work (SIGKILL of a forked child):
// the job that was at the output path stays whole, the lock does not block
// the next job, and the next job replaces the leftover part file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "krm_test_util.h"
#include "tests/common/kill_child.h"
#include "tests/common/part_files.h"

using namespace krmtest;

namespace {

class KrmCrash : public StartedLibrary {
 protected:
  void SetUp() override {
    StartedLibrary::SetUp();
    vos_->krmVOSSetOutputPath(out_.c_str());
    vos_->krmVOSSetFlags(0x8000);
  }
  // A loader job for one local file.
  int load(const std::string& local) {
    auto fos = krmNewFOS();
    fos->krmFOSAddLoadFile(local.c_str(), "tqfc/mislib/big.bin");
    fos->krmFOSSetFlags(0x20000);  // hexadecimal: twice the bytes, time to kill
    return krmCreateFileLoader(fos.get(), vos_.get());
  }
  std::unique_ptr<krmVOS> vos_ = krmNewVOS();
  std::string out_ = dir_ / "job.ps";
};

}  // namespace

TEST_F(KrmCrash, KilledStreamingJobLeavesThePreviousJobAndNoLock) {
  QM_REQUIRE_FORK();
  writeFile(dir_ / "small.frm", "FORM");
  ASSERT_EQ(load(dir_ / "small.frm"), 1001);
  const std::string good = readFile(out_);

  // 64 MiB without holes (a sparse file would read too fast to catch).
  {
    std::ofstream big(dir_ / "big.bin", std::ios::binary);
    std::string chunk(1 << 20, '\x5a');
    for (int i = 0; i < 64; ++i) big << chunk;
  }
  bool killed = qmtest::killChildWhen([&] { load(dir_ / "big.bin"); },
                                      [&] { return qmtest::partSizeOf(out_) > (1 << 20); });
  ASSERT_TRUE(killed) << "the job finished before it could be killed";
  EXPECT_EQ(readFile(out_), good);
  EXPECT_GT(qmtest::partSizeOf(out_), 0);

  // The killed writer's lock died with it: the next job runs at once and
  // takes the place of the leftover.
  auto started = std::chrono::steady_clock::now();
  writeFile(dir_ / "other.frm", "OTHER FORM");
  ASSERT_EQ(load(dir_ / "other.frm"), 1001);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_NE(readFile(out_).find("4F5448455220464F524D"), std::string::npos);  // "OTHER FORM" in hex
  EXPECT_TRUE(qmtest::partFilesOf(out_).empty());
}

TEST_F(KrmCrash, FailedJobsLeaveThePreviousOutputAndNoPart) {
  // A failure inside the job (a second file over the embedding limit, after
  // the first was written) removes the part file; the file that was at the
  // output stays as it was.
  writeFile(dir_ / "a.frm", "A");
  writeFile(dir_ / "empty.frm", "");
  fs::resize_file(dir_ / "empty.frm", 134217728);
  writeFile(out_, "old job");
  auto fos = krmNewFOS();
  fos->krmFOSAddLoadFile((dir_ / "a.frm").c_str(), "tqfc/formlib/a.frm");
  fos->krmFOSAddLoadFile((dir_ / "empty.frm").c_str(), "tqfc/formlib/m.frm");
  EXPECT_EQ(krmCreateFileLoader(fos.get(), vos_.get()), 1023);
  EXPECT_EQ(readFile(out_), "old job");
  EXPECT_TRUE(qmtest::partFilesOf(out_).empty());
}
