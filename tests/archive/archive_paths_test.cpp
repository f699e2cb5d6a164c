// Entry names stored at creation and the refusal of unsafe names.
#include <gtest/gtest.h>

#include "archive/archive_paths.h"

namespace {

TEST(ArchivePaths, EntryNamesAreRelativeWithSlashes) {
  EXPECT_EQ("a/b/c.ps", archiveEntryName("a/b/c.ps"));
  EXPECT_EQ("a/b/c.ps", archiveEntryName("a\\b\\c.ps"));
  EXPECT_EQ("tmp/x/p.kpf", archiveEntryName("/tmp/x/p.kpf"));
  EXPECT_EQ("dir/p.kpf", archiveEntryName("C:\\dir\\p.kpf"));
  EXPECT_EQ("b/c", archiveEntryName("./a/../b/./c"));
  EXPECT_EQ("x", archiveEntryName("../../x"));
  EXPECT_EQ("", archiveEntryName("/"));
}

TEST(ArchivePaths, UnsafeStoredNamesAreRefused) {
  std::vector<std::string> levels;
  for (const char* bad : {"", "/etc/passwd", "\\share\\x", "C:x", "c:/x", "..", "a/../../b", "a\\..\\b", "./.."}) {
    EXPECT_FALSE(archiveSplitEntryName(bad, levels)) << bad;
  }
  ASSERT_TRUE(archiveSplitEntryName("./a//b\\c/", levels));
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), levels);
  ASSERT_TRUE(archiveSplitEntryName("a..b/..c", levels));
  EXPECT_EQ((std::vector<std::string>{"a..b", "..c"}), levels);
  EXPECT_EQ("x.ps", archiveBaseName("C:\\dir/x.ps"));
  EXPECT_EQ("", archiveBaseName("dir/"));
}

}  // namespace
