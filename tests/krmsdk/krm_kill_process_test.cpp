// A job writer in another process killed in the middle of its work (no
// clean-up runs in it), on every platform: the job that was at the output
// path stays whole, the lock does not block the next job, and the next job
// replaces the leftover part file.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "krm_test_util.h"
#include "tests/common/child_process.h"
#include "tests/common/part_files.h"

using namespace krmtest;

namespace {

int loadJob(const std::string& local, const std::string& output) {
  auto vos = krmNewVOS();
  vos->krmVOSSetOutputPath(output.c_str());
  vos->krmVOSSetFlags(0x8000);
  auto fos = krmNewFOS();
  fos->krmFOSAddLoadFile(local.c_str(), "tqfc/mislib/big.bin");
  fos->krmFOSSetFlags(0x20000);  // hexadecimal: twice the bytes, time to kill
  return krmCreateFileLoader(fos.get(), vos.get());
}

// args: the local file, the output path.
const qmtest::Role loadBig("load-big", [](const qmtest::RoleArgs& args) {
  krmInitialize();
  std::printf("running\n");
  std::fflush(stdout);
  return loadJob(args.at(0), args.at(1)) == 1001 ? 0 : 1;
});

class KrmKillProcess : public StartedLibrary {};

}  // namespace

TEST_F(KrmKillProcess, KilledWriterLeavesThePreviousJobAndNoLock) {
  const std::string out = dir_ / "job.ps";
  writeFile(dir_ / "small.frm", "FORM");
  ASSERT_EQ(loadJob(dir_ / "small.frm", out), 1001);
  const std::string good = readFile(out);
  {
    std::ofstream big(dir_ / "big.bin", std::ios::binary);
    std::string chunk(1 << 20, '\x5a');
    for (int i = 0; i < 64; ++i) big << chunk;
  }
  auto writer = qmtest::Child::start("load-big", {dir_ / "big.bin", out});
  ASSERT_TRUE(writer);
  ASSERT_TRUE(writer->waitFor("running"));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (qmtest::partSizeOf(out) <= (1 << 20) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  writer->kill();
  ASSERT_GT(qmtest::partSizeOf(out), 1 << 20) << "the job finished before it could be killed";
  EXPECT_EQ(readFile(out), good);

  auto started = std::chrono::steady_clock::now();
  writeFile(dir_ / "other.frm", "OTHER FORM");
  ASSERT_EQ(loadJob(dir_ / "other.frm", out), 1001);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_NE(readFile(out).find("4F5448455220464F524D"), std::string::npos);  // "OTHER FORM" in hex
  EXPECT_TRUE(qmtest::partFilesOf(out).empty());
}
