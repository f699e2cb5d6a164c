// A project file rewritten by another process that is killed at any moment
// (no clean-up runs in it), on every platform: the file on disk is always
// one complete version, old or new, and reads cleanly afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "kx_test_util.h"
#include "tests/common/child_process.h"

using kxtest::TempDir;

namespace {

// args: the folder of the stub file, the project to open, the file to
// rewrite over and over with alternating titles.
const qmtest::Role rewriteProject("rewrite-project", [](const qmtest::RoleArgs& args) {
  auto p = kxtest::projectIn(args.at(0));
  if (p->OpenProject(args.at(1)) & kKxError) return 1;
  std::printf("running\n");
  std::fflush(stdout);
  for (int i = 0;; ++i) {
    p->SetProjectTitle(i % 2 ? "first" : "second");
    p->WriteKpf(args.at(2));
  }
  return 0;
});

}  // namespace

TEST(KxReplaceProcesses, ProjectFileIsAlwaysWholeWhenTheWriterIsKilled) {
  TempDir dir;
  kxtest::BigProjectSaves saves;
  ASSERT_NO_FATAL_FAILURE(kxtest::saveBigProject(dir, saves));
  auto& [p, target, first, second] = saves;

  for (int round = 0; round < 6; ++round) {
    auto writer = qmtest::Child::start("rewrite-project", {dir.path(), dir / "big.kpf", target});
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->waitFor("running"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + 37 * round));
    writer->kill();
    const std::string now = kxtest::readFile(target);
    EXPECT_TRUE(now == first || now == second) << "round " << round << ": " << now.size() << " bytes";
  }
  auto q = kxtest::projectIn(dir.path());
  EXPECT_EQ(q->OpenProject(target) & kKxError, 0) << q->GetMessages();
  EXPECT_EQ(q->GetResourceCount(), 20000);
  // The next save in this process still replaces the file.
  p->SetProjectTitle("third");
  ASSERT_EQ(p->WriteKpf(target) & kKxError, 0) << p->GetMessages();
  EXPECT_NE(kxtest::readFile(target).find("third"), std::string::npos);
}
