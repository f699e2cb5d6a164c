// Checking a project's resource files as a load will meet them: links and
// special files are errors (found without opening them, so a FIFO cannot
// hang the check), and names that differ only in letter case are warned of.
#include <gtest/gtest.h>

#include <functional>

#include "kx_test_util.h"
#include "tests/common/kill_child.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

using kxtest::TempDir;

namespace fs = std::filesystem;

TEST(KxCheck, LinksAndSpecialFilesAreErrorsFoundWithoutOpeningThem) {
  QM_POSIX_ONLY("symbolic links and FIFOs");
#ifndef _WIN32
  TempDir dir;
  kxtest::writeFile(dir / "outside/host.txt", "HOST");
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
    bool error;
  };
  const Case cases[] = {
      {"regular file", [](const std::string& p) { kxtest::writeFile(p, "FORM"); }, false},
      {"link to a host file", [&](const std::string& p) { fs::create_symlink(dir / "outside/host.txt", p); }, true},
      {"link to a device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, true},
      {"FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir / "tqfc");
    auto p = kxtest::projectIn(dir.path());
    kxtest::describe(*p);
    const std::string path = dir / "tqfc/F1/P1/a.frm";
    sdkMakeDirs(path.c_str());
    c.make(path);
    ASSERT_FALSE(p->AddResource(kxtest::resource("a.frm", "frm", 0, path)) & kKxError) << p->GetMessages();
    std::optional<int> flags = qmtest::childResultWithin([&] { return p->CheckResourceFiles(1000); });
    ASSERT_TRUE(flags.has_value()) << "the check hangs";
    EXPECT_EQ((*flags & kKxError) != 0, c.error);
    if (!c.error) continue;
    p->CheckResourceFiles(1000);
    EXPECT_NE(p->GetMessages().find("Resource file '" + path + "' is a link or a special file, not a regular file"),
              std::string::npos)
        << p->GetMessages();
  }
#endif
}

TEST(KxCheck, NamesDifferingOnlyInLetterCaseAreWarnedOfByName) {
  TempDir dir;
  auto p = kxtest::projectIn(dir.path());
  kxtest::describe(*p);
  kxtest::writeFile(dir / "tqfc/F1/P1/dup.frm", "LOCAL");
  kxtest::writeFile(dir / "tqfc/gshared/DUP.frm", "GLOBAL");
  ASSERT_FALSE(p->AddResource(kxtest::resource("dup.frm", "frm", 0, dir / "tqfc/F1/P1/dup.frm")) & kKxError);
  ASSERT_FALSE(p->AddResource(kxtest::resource("DUP.frm", "frm", 2, dir / "tqfc/gshared/DUP.frm")) & kKxError);
  p->ClearMessages();
  EXPECT_EQ(p->CheckResourceFiles(1000), kKxWarning);
  EXPECT_NE(p->GetMessages().find("Resource 'DUP.frm' differs from resource 'dup.frm' only in letter case and is "
                                  "not loaded"),
            std::string::npos)
      << p->GetMessages();
}
