// A project file rewritten by a process that is killed at any moment
// (SIGKILL of a forked child that saves over and over): the file on disk is
// always one complete version, old or new, and reads cleanly.
#include <gtest/gtest.h>

#include "kx_test_util.h"
#include "tests/common/kill_child.h"

using kxtest::TempDir;
using kxtest::writeFile;

TEST(KxCrash, ProjectFileIsAlwaysWholeWhenTheWriterIsKilled) {
  QM_REQUIRE_FORK();
  TempDir dir;
  // About 1.5 MB of KPF, so that a save takes a while.
  std::string resources;
  for (int i = 0; i < 20000; ++i)
    resources += " <RESOURCE Name='form" + std::to_string(i) + ".frm' Type='frm' Scope='0'/>\n";
  writeFile(dir / "big.kpf",
            "<?xml version='1.0'?>\n<KPF Version='2.0'>\n<INFORMATION>\n <COPYRIGHT>c</COPYRIGHT>\n"
            " <FOLDER_NAME>F</FOLDER_NAME>\n <PROJECT_NAME>P</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
            " <PROJECT_TITLE>T</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>D</PROJECT_DESCRIPTION>\n <AUTHOR>A</AUTHOR>\n"
            " <KEYWORDS>K</KEYWORDS>\n <GENERATOR>G</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n"
            "</INFORMATION>\n<RESOURCES>\n" +
                resources + "</RESOURCES>\n</KPF>\n");
  auto p = kxtest::projectIn(dir.path());
  ASSERT_EQ(p->OpenProject(dir / "big.kpf") & kKxError, 0) << p->GetMessages();
  const std::string target = dir / "saved.kpf";
  p->SetProjectTitle("first");
  ASSERT_EQ(p->WriteKpf(dir / "first.kpf") & kKxError, 0) << p->GetMessages();
  p->SetProjectTitle("second");
  ASSERT_EQ(p->WriteKpf(dir / "second.kpf") & kKxError, 0);
  const std::string first = kxtest::readFile(dir / "first.kpf");
  const std::string second = kxtest::readFile(dir / "second.kpf");
  ASSERT_EQ(p->WriteKpf(target) & kKxError, 0);

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
