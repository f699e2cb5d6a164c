// Names from projects: which are safe below a folder, and placing files
// under a folder without passing through links.
#include "kpsdk/kx_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "kx_test_util.h"

namespace fs = std::filesystem;

TEST(KxNames, FolderNamesAreOneSafeLevel) {
  for (const char* ok : {"Demo", "Invoice 2", "F(1) %\xe9", "a.b", "..x", "[1]"})
    EXPECT_TRUE(kxIsSafeFolderName(ok)) << ok;
  for (const char* bad : {"", ".", "..", "...", ". .", " ", "a/b", "a\\b", "/", "C:", "C:x", "a:b", "a\tb", "a\nb",
                          "a\x7f", "x..", "x.", "x "})
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

// Windows opens a device for these or trims them into another name; a
// container made elsewhere is opened there, so every system refuses them.
TEST(KxNames, WindowsDeviceNamesAndTrimmedLevelsAreRefusedEverywhere) {
  for (const char* bad : {"CON", "con", "Prn", "AUX", "nul", "NUL.txt", "nul.tar.gz", "COM1", "com9.frm", "COM0",
                          "LPT1", "lpt5.seg", "COM\xc2\xb9", "lpt\xc2\xb3.x", "CONIN$", "conout$.log", "CON .txt",
                          "a/aux.frm", "a\\NUL", "x./y", "x /y", "x/y."})
    EXPECT_FALSE(kxIsSafeRelativeName(bad)) << bad;
  for (const char* ok : {"CONS", "console.frm", "nulls", "COM", "COM10", "LPT", "lpt1x", "xcon", "a.con", "COM\xc2\xb4",
                         "aux_1/x", "x.y/z"})
    EXPECT_TRUE(kxIsSafeRelativeName(ok)) << ok;
  EXPECT_FALSE(kxIsSafeFolderName("Com3"));
}

// The record of a project's shared files and the part files of transfers
// are the program's own on the printer; the shared scopes' folders sit
// beside the projects' there.
TEST(KxNames, NamesThePrinterKeepsAreKnown) {
  for (const char* reserved : {".krmuses", ".KRMUSES", "sub/.krmuses", "a\\.krmuses", "x.frm.krmtmp", "x.KrmTmp/y",
                               ".krmtmp"})
    EXPECT_TRUE(kxIsReservedPrinterName(reserved)) << reserved;
  for (const char* plain : {"krmuses", ".krmuses.frm", "a.krmuses.x/y", "x.krmtmp.frm", "uses", "fshared", "gshared"})
    EXPECT_FALSE(kxIsReservedPrinterName(plain)) << plain;
  EXPECT_TRUE(kxIsSharedLevel("FShared", kKxFolderSharedLevel));
  EXPECT_TRUE(kxIsSharedLevel("gshared", kKxGlobalSharedLevel));
  EXPECT_FALSE(kxIsSharedLevel("fshared2", kKxFolderSharedLevel));
}

// Each placeholder is replaced where the pattern holds it; a name that
// holds one is taken as it is.
TEST(KxNames, PlaceholdersAreSubstitutedOnceFromThePattern) {
  const struct {
    const char* pattern;
    const char* folder;
    const char* project;
    const char* expected;
  } cases[] = {
      {"/r/$$FOLDER./$$PROJECT./", "F", "P", "/r/F/P/"},
      {"/r/$$FOLDER./$$PROJECT./", "X$$PROJECT.", "P", "/r/X$$PROJECT./P/"},
      {"/r/$$FOLDER./$$PROJECT./", "F", "$$FOLDER.", "/r/F/$$FOLDER./"},
      {"/r/$$PROJECT./$$FOLDER./fshared", "$$PROJECT.", "$$FOLDER.", "/r/$$FOLDER./$$PROJECT./fshared"},
      {"/r/$$FOLDER.$$FOLDER.", "a", "b", "/r/aa"},
      {"/r/$$FOLDER/", "a", "b", "/r/$$FOLDER/"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kxSubstitutePlaceholders(c.pattern, c.folder, c.project), c.expected) << c.pattern << " " << c.folder;
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
