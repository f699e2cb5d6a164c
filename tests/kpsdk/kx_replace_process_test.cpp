// A project file rewritten by another process that is killed at any moment
// (no clean-up runs in it), on every platform: the file on disk is always
// one complete version, old or new, and reads cleanly afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "kx_test_util.h"
#include "tests/common/child_process.h"

using kxtest::TempDir;
using kxtest::writeFile;

namespace {

// About 1.5 MB of KPF, so that a save takes a while.
std::string bigKpf() {
  std::string resources;
  for (int i = 0; i < 20000; ++i)
    resources += " <RESOURCE Name='form" + std::to_string(i) + ".frm' Type='frm' Scope='0'/>\n";
  return "<?xml version='1.0'?>\n<KPF Version='2.0'>\n<INFORMATION>\n <COPYRIGHT>c</COPYRIGHT>\n"
         " <FOLDER_NAME>F</FOLDER_NAME>\n <PROJECT_NAME>P</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
         " <PROJECT_TITLE>T</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>D</PROJECT_DESCRIPTION>\n <AUTHOR>A</AUTHOR>\n"
         " <KEYWORDS>K</KEYWORDS>\n <GENERATOR>G</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n"
         "</INFORMATION>\n<RESOURCES>\n" +
         resources + "</RESOURCES>\n</KPF>\n";
}

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
  writeFile(dir / "big.kpf", bigKpf());
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
