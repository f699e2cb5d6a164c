// Lock files between two processes, on every platform: a second copy of
// this test program takes the lock of an output path and holds it; while it
// lives, no job of ours can write that path; once it is killed (no clean-up
// runs), the next job goes through at once.
#include <gtest/gtest.h>

#include <chrono>

#include "krm_test_util.h"
#include "krmsdk/krm_lock.h"
#include "krmsdk/krm_stream.h"
#include "tests/common/child_process.h"

using namespace krmtest;

namespace {

// Takes the lock of args[0], says "locked" (or "busy"), then waits to be
// killed.
const qmtest::Role holdLock("hold-lock", [](const qmtest::RoleArgs& args) {
  KrmLockHandle lock = krmLockFile(args.at(0).c_str());
  std::printf("%s\n", lock.valid() ? "locked" : "busy");
  std::fflush(stdout);
  for (;;) sdkSleep(1000);
  return 0;
});

// Writes a list job to args[0] in a loop, saying "running" first.
const qmtest::Role writeJobs("write-jobs", [](const qmtest::RoleArgs& args) {
  krmInitialize();
  auto fos = krmNewFOS();
  auto vos = krmNewVOS();
  vos->krmVOSSetOutputPath(args.at(0).c_str());
  vos->krmVOSSetFlags(0x8000);
  std::printf("running\n");
  std::fflush(stdout);
  for (;;) krmListPrinterFiles(fos.get(), vos.get());
  return 0;
});

}  // namespace

TEST(KrmLockProcesses, HolderInAnotherProcessKeepsJobsOutUntilItDies) {
  ScratchDir dir;
  const std::string target = dir / "job.ps";
  auto holder = qmtest::Child::start("hold-lock", {target});
  ASSERT_TRUE(holder);
  ASSERT_TRUE(holder->waitFor("locked"));

  EXPECT_FALSE(krmLockFile(target.c_str()).valid());
  ASSERT_EQ(krmInitialize(), 1001);
  {
    KrmStream stream("krmTest", target);
    EXPECT_EQ(stream.open(), 1004);
    EXPECT_EQ(stream.close(), 1004);
  }
  auto fos = krmNewFOS();
  auto vos = krmNewVOS();
  vos->krmVOSSetOutputPath(target.c_str());
  EXPECT_EQ(krmListPrinterFiles(fos.get(), vos.get()), 1005) << "the whole-text writer cannot take the lock";
  EXPECT_FALSE(fs::exists(target));

  holder->kill();
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(krmListPrinterFiles(fos.get(), vos.get()), 1001);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_FALSE(fs::exists(krmLockPath(target))) << "the lock file goes with the lock";
  krmFinished();
}

TEST(KrmLockProcesses, TwoProcessesWritingOnePathLeaveOneWholeJob) {
  ScratchDir dir;
  const std::string target = dir / "job.ps";
  auto writer = qmtest::Child::start("write-jobs", {target});
  ASSERT_TRUE(writer);
  ASSERT_TRUE(writer->waitFor("running"));

  ASSERT_EQ(krmInitialize(), 1001);
  auto fos = krmNewFOS();
  auto vos = krmNewVOS();
  vos->krmVOSSetOutputPath(target.c_str());
  vos->krmVOSSetFlags(0x8000);
  // Both processes write the same job; every one of ours either gets the
  // lock and writes it whole or reports that it could not.
  int written = 0;
  for (int i = 0; i < 50; ++i) {
    int code = krmListPrinterFiles(fos.get(), vos.get());
    EXPECT_TRUE(code == 1001 || code == 1005) << code;
    if (code == 1001) ++written;
  }
  writer->kill();
  EXPECT_GT(written, 0);
  ASSERT_EQ(krmListPrinterFiles(fos.get(), vos.get()), 1001);
  const std::string job = readFile(target);
  EXPECT_EQ(job.find("%!"), 0u);
  EXPECT_NE(job.find("\nend_list\n%EOF"), std::string::npos);
  krmFinished();
}
