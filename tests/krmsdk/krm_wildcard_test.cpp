// Wildcard matching, list lookup and the directory lister.
#include <gtest/gtest.h>

#include "base/sdk_list.h"
#include "krm_test_util.h"
#include "krmsdk/krm_command_file.h"
#include "krmsdk/krm_wildcard.h"

using namespace krmtest;

TEST(KrmWildcard, MatchName) {
  EXPECT_EQ(krmMatchName("*.FRM", "x.frm", 0), 1);
  EXPECT_EQ(krmMatchName("*.FRM", "x.frm", 1), 0);
  EXPECT_EQ(krmMatchName("[a-c]?", "bz", 0), 1);
  EXPECT_EQ(krmMatchName("[^a-c]?", "bz", 0), 0);
  EXPECT_EQ(krmMatchName("[^a-c]?", "dz", 0), 1);
  EXPECT_EQ(krmMatchName("a\\*", "a*", 0), 1);
  EXPECT_EQ(krmMatchName("a\\*", "ab", 0), 0);
  // The pattern may stand on either side; it must match the whole name.
  EXPECT_EQ(krmMatchName("x.frm", "*.FRM", 0), 1);
  EXPECT_EQ(krmMatchName("*.frm", "x.frm.bak", 0), 0);
  EXPECT_EQ(krmMatchName("a*b*c", "aXXbYYbZc", 0), 1);
  EXPECT_EQ(krmMatchName("a*b*c", "aXXbYYbZ", 0), 0);
  EXPECT_EQ(krmMatchName("*", "", 0), 1);
  EXPECT_EQ(krmMatchName("?", "", 0), 0);
  EXPECT_EQ(krmMatchName("[xyz]", "y", 0), 1);
  // Only ASCII letters fold; other bytes compare as they are.
  EXPECT_EQ(krmMatchName("ABC", "abc", 0), 1);
  EXPECT_EQ(krmMatchName("\xC4", "\xE4", 0), 0);
  EXPECT_EQ(krmMatchName(nullptr, "a", 0), 0);
  // A name with brackets is still equal to itself (duplicate checks).
  EXPECT_EQ(krmMatchName("a[1].frm", "A[1].FRM", 0), 1);
  EXPECT_EQ(krmMatchName("a[1].frm", "a1.frm", 0), 1);
}

TEST(KrmWildcard, FindInListAndEverythingPatterns) {
  SdkList list;
  EXPECT_EQ(krmFindInList(&list, "a", 0), -1);
  EXPECT_EQ(krmFindInList(nullptr, "a", 0), -1);
  list.add("tqfc/formlib/*");
  list.add("b.frm");
  EXPECT_EQ(krmFindInList(&list, "tqfc/formlib/x.frm", 0), 0);
  EXPECT_EQ(krmFindInList(&list, "B.FRM", 0), 1);
  EXPECT_EQ(krmFindInList(&list, "B.FRM", 1), -1);
  for (const char* p : {"", "*", "*.*", "/", "\\", "*/*"}) EXPECT_TRUE(krmMeansEverything(p)) << p;
  for (const char* p : {"fonts/*", "a", "tqf/*"}) EXPECT_FALSE(krmMeansEverything(p)) << p;
}

TEST(KrmWildcard, FileListSkipsDirectoriesAndExclusions) {
  ScratchDir dir;
  writeFile(dir / "b.enc", "b");
  writeFile(dir / "a.enc", "a");
  writeFile(dir / "x.afk", "x");
  writeFile(dir / "Y.AFK", "y");
  writeFile(dir / "sub/c.enc", "c");
  SdkList out, exclusions;
  out.add("stale");
  exclusions.add("*.afk");
  ASSERT_EQ(krmGetFileList(out, dir.path().c_str(), &exclusions), 1);
  // Case-sensitive exclusions: "*.afk" keeps "Y.AFK".
  EXPECT_EQ(out.toVector(), (std::vector<std::string>{"Y.AFK", "a.enc", "b.enc"}));
  EXPECT_EQ(krmGetFileList(out, (dir / "missing").c_str(), nullptr), 0);
  EXPECT_EQ(out.count(), 0);
}
