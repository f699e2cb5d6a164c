// A project file rewritten by a process that is killed at any moment
// (SIGKILL of a forked child that saves over and over): the file on disk is
// always one complete version, old or new, and reads cleanly.
#include <gtest/gtest.h>

#include "kx_test_util.h"
#include "tests/common/kill_child.h"

using kxtest::TempDir;

TEST(KxCrash, ProjectFileIsAlwaysWholeWhenTheWriterIsKilled) {
  QM_REQUIRE_FORK();
  TempDir dir;
  kxtest::BigProjectSaves saves;
  ASSERT_NO_FATAL_FAILURE(kxtest::saveBigProject(dir, saves));
  auto& [p, target, first, second] = saves;

  for (int round = 0; round < 8; ++round) {
    bool killed = qmtest::killChildAfter(
        [&] {
          for (int i = 0;; ++i) {
            p->SetProjectTitle(i % 2 ? "first" : "second");
            p->WriteKpf(target);
          }
        },
        20 + 37 * round);
    ASSERT_TRUE(killed);
    const std::string now = kxtest::readFile(target);
    EXPECT_TRUE(now == first || now == second) << "round " << round << ": " << now.size() << " bytes";
  }
  auto q = kxtest::projectIn(dir.path());
  EXPECT_EQ(q->OpenProject(target) & kKxError, 0) << q->GetMessages();
  EXPECT_EQ(q->GetResourceCount(), 20000);
}
