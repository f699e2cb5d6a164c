// Names from projects: which are safe below a folder, and placing files
// under a folder without passing through links.
#include "kpsdk/kx_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "kx_test_util.h"

namespace fs = std::filesystem;

TEST(KxNames, FolderNamesAreOneSafeLevel) {
  for (const char* ok : {"Demo", "Invoice 2", "F(1) %\xe9", "a.b", "..x", "x..", "[1]"})
    EXPECT_TRUE(kxIsSafeFolderName(ok)) << ok;
  for (const char* bad : {"", ".", "..", "...", ". .", " ", "a/b", "a\\b", "/", "C:", "C:x", "a:b", "a\tb", "a\nb",
                          "a\x7f"})
    EXPECT_FALSE(kxIsSafeFolderName(bad)) << bad;
  EXPECT_FALSE(kxIsSafeFolderName(std::string("..\0x", 4))) << "a NUL would cut the name to \"..\"";
}

TEST(KxNames, RelativeNamesStayBelowTheirFolder) {
  for (const char* ok : {"invoice.frm", "sub/x.frm", "sub\\x.frm", "a b/c d.frm", "..x/y"})
    EXPECT_TRUE(kxIsSafeRelativeName(ok)) << ok;
  for (const char* bad : {"", "../x", "a/../../x", "..\\x", "a\\..\\x", "/etc/passwd", "\\x", "C:\\x", "C:x",
                          "x/", "a//b", "./x", "a/./b", ".. /x", "x:stream", "line\nx"})
    EXPECT_FALSE(kxIsSafeRelativeName(bad)) << bad;
  EXPECT_EQ(kxJoinContained("/base", "a/b"), sdkJoinPath("/base", "a/b"));
  EXPECT_EQ(kxJoinContained("/base", "../b"), "");
  EXPECT_EQ(kxPrintableName("a\nb\x01"), "a?b?");
}

TEST(KxNames, PreparingATargetCreatesItsFoldersAndRefusesLinks) {
  kxtest::TempDir dir;
  std::vector<std::string> created;
  const std::string target = kxJoinContained(dir.path(), "a/b/c.frm");
  ASSERT_EQ(kxPrepareTarget(target, "a/b/c.frm", created), 1);
  EXPECT_TRUE(fs::is_directory(dir / "a/b"));
  // The folders as the target spelled them.
  EXPECT_EQ(created, (std::vector<std::string>{kxJoinContained(dir.path(), "a"), kxJoinContained(dir.path(), "a/b")}));

  fs::create_directories(dir / "outside");
  created.clear();
#ifndef _WIN32  // making links needs a privilege on Windows, and Wine has none
  // A link on the way, or in place of the file, is not followed.
  fs::create_directory_symlink(dir / "outside", dir / "lnk");
  EXPECT_EQ(kxPrepareTarget(kxJoinContained(dir.path(), "lnk/x.frm"), "lnk/x.frm", created), 0);
  fs::create_symlink(dir / "outside/f", dir / "f.frm");
  EXPECT_EQ(kxPrepareTarget(kxJoinContained(dir.path(), "f.frm"), "f.frm", created), 0);
#endif
  // A file where a folder is needed, and a name that climbs.
  kxtest::writeFile(dir / "file", "x");
  EXPECT_EQ(kxPrepareTarget(kxJoinContained(dir.path(), "file/x.frm"), "file/x.frm", created), 0);
  EXPECT_EQ(kxPrepareTarget(dir / "../x.frm", "../x.frm", created), 0);
  EXPECT_TRUE(created.empty());
  EXPECT_TRUE(fs::is_empty(dir / "outside"));

  // Recorded creation of a folder chain: only the levels that were missing.
  created.clear();
  ASSERT_EQ(kxMakeDirsRecorded(dir / "a/n1/n2", created), 1);
  EXPECT_EQ(created, (std::vector<std::string>{dir / "a/n1", dir / "a/n1/n2"}));
}

TEST(KxPaths, NetworkPathsKeepTheirLeadingSlashes) {
  std::string p = "//server/share//tqfc/";
  KxProject::NormalisePath(p);
  EXPECT_EQ(p, "//server/share/tqfc");
  p = "///srv/x";
  KxProject::NormalisePath(p);
  EXPECT_EQ(p, "//srv/x");
  EXPECT_EQ(KxProject::ToForwardSlashDirectory("//server/share"), "//server/share/");
}
