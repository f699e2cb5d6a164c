// The file-system utilities on Windows itself: paths with drive letters and
// backslashes as the program composes them, mixed separators as users type
// them, binary file contents, and the platform's temporary names.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "base/sdk_fs.h"

namespace fs = std::filesystem;

namespace {

// A fresh temporary folder ("C:\...\kp_XXXX"), removed at the end.
class WinDir : public ::testing::Test {
 protected:
  void SetUp() override {
    SdkString name;
    ASSERT_EQ(sdkMakeTempDir(name), 1);
    root_ = name.str();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string at(const std::string& rel) const { return root_ + "\\" + rel; }
  std::string root_;
};

bool hasDrive(const std::string& path) {
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\';
}

}  // namespace

TEST_F(WinDir, TemporaryNamesAreDrivePathsInTheTempFolder) {
  EXPECT_TRUE(hasDrive(root_)) << root_;
  EXPECT_EQ(sdkFileNamePart(root_).rfind("kp_", 0), 0u) << root_;
  EXPECT_EQ(sdkDirPart(root_), sdkTempDirectory());
  SdkString name;
  ASSERT_EQ(sdkTempName(name, "krmjob"), 1);
  // Prefix (three characters), then six letters or digits; no ".tmp", and
  // the file itself made and kept for the caller.
  std::string file = sdkFileNamePart(name.str());
  EXPECT_EQ(file.substr(0, 3), "krm");
  EXPECT_EQ(file.size(), 9u);
  for (char c : file.substr(3)) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << file;
  EXPECT_EQ(sdkFileExists(name.text()), 1);
  EXPECT_EQ(sdkFileExists((name.str() + ".tmp").c_str()), 0);
  sdkDeleteFile(name.text());
}

TEST_F(WinDir, MakeDirsWithBackslashesForwardSlashesAndTrailingSeparators) {
  EXPECT_EQ(sdkMakeDirs(at("x\\y\\z.job").c_str()), 1);
  EXPECT_EQ(sdkIsDirectory(at("x\\y").c_str()), 1);
  EXPECT_EQ(sdkFileExists(at("x\\y\\z.job").c_str()), 0);
  EXPECT_EQ(sdkMakeDirs(at("p\\q\\").c_str()), 1);
  EXPECT_EQ(sdkIsDirectory(at("p\\q").c_str()), 1);
  // Forward slashes after a drive, and doubled separators, as users type.
  std::string forward = root_;
  for (char& c : forward)
    if (c == '\\') c = '/';
  EXPECT_EQ(sdkMakeDirs((forward + "//m//n/o.txt").c_str()), 1);
  EXPECT_EQ(sdkIsDirectory(at("m\\n").c_str()), 1);
  // A bare drive is never created, only passed.
  EXPECT_EQ(sdkMakeDirs((root_.substr(0, 2) + "\\file.txt").c_str()), 1);
  // A file in the way.
  ASSERT_EQ(sdkWriteTextFile(at("file").c_str(), "x"), 1);
  EXPECT_EQ(sdkMakeDirs(at("file\\sub\\a.txt").c_str()), 0);
}

TEST_F(WinDir, PathPartsOfDrivePaths) {
  EXPECT_EQ(sdkDirPart(at("a\\b.txt")), at("a"));
  EXPECT_EQ(sdkDirPart(root_.substr(0, 3) + "b.txt"), root_.substr(0, 3)) << "a drive root keeps its backslash";
  EXPECT_EQ(sdkFileNamePart(at("a\\b.txt")), "b.txt");
  EXPECT_EQ(sdkJoinPath(root_, "c.txt"), at("c.txt"));
  EXPECT_EQ(sdkJoinPath(root_ + "\\", "c.txt"), at("c.txt"));
}

TEST_F(WinDir, FindCopyMoveDeleteWithBackslashPaths) {
  ASSERT_EQ(sdkWriteTextFile(at("a.frm").c_str(), "alpha"), 1);
  ASSERT_EQ(sdkWriteTextFile(at("b.frm").c_str(), "old"), 1);
  SdkString found;
  ASSERT_EQ(sdkFindFirst(found, at("*.frm").c_str()), 1);
  EXPECT_TRUE(found.str() == "a.frm" || found.str() == "b.frm") << found.str();
  EXPECT_EQ(sdkFindFirst(found, at("*.xyz").c_str()), 0);
  EXPECT_EQ(sdkCopyFile(at("a.frm").c_str(), at("b.frm").c_str()), 1);
  EXPECT_EQ(*sdkReadWholeFile(at("b.frm").c_str()), "alpha");
  ASSERT_EQ(sdkMakeDirs(at("sub\\").c_str()), 1);
  ASSERT_EQ(sdkWriteTextFile(at("sub\\c.frm").c_str(), "in the way"), 1);
  EXPECT_EQ(sdkMoveFile(at("b.frm").c_str(), at("sub\\c.frm").c_str()), 1) << "replaces the destination";
  EXPECT_EQ(*sdkReadWholeFile(at("sub\\c.frm").c_str()), "alpha");
  EXPECT_EQ(sdkFileExists(at("b.frm").c_str()), 0);
  EXPECT_EQ(sdkDeleteFile(at("sub\\c.frm").c_str()), 1);
  EXPECT_EQ(sdkRemoveDir(at("sub").c_str()), 1);
  EXPECT_EQ(sdkFileExists(at("sub").c_str()), 0);
}

TEST_F(WinDir, CurrentDirectoryWithADrive) {
  SdkString before;
  ASSERT_EQ(sdkGetCwd(before), 1);
  EXPECT_TRUE(hasDrive(before.str()) || before.str().rfind("\\\\", 0) == 0) << before.str();
  EXPECT_EQ(sdkCanEnterDir(root_.c_str()), 1);
  EXPECT_EQ(sdkCanEnterDir(at("missing").c_str()), 0);
  ASSERT_EQ(sdkSetCwd(root_.c_str()), 1);
  SdkString now;
  sdkGetCwd(now);
  EXPECT_EQ(now.str(), root_);
  // Relative names now resolve in that folder.
  ASSERT_EQ(sdkWriteTextFile("rel.txt", "r"), 1);
  EXPECT_EQ(sdkFileExists(at("rel.txt").c_str()), 1);
  ASSERT_EQ(sdkSetCwd(before.text()), 1);
}

TEST_F(WinDir, FilesAreReadAndWrittenAsBytes) {
  // No line-end translation and no stop at a Ctrl-Z, as the text mode of
  // the C runtime would do.
  const std::string bytes = std::string("a\r\nb\nc\x1a" "d\r", 9);
  ASSERT_EQ(sdkWriteTextFile(at("bin").c_str(), bytes), 1);
  EXPECT_EQ(sdkFileSize(at("bin").c_str()), 9);
  EXPECT_EQ(*sdkReadWholeFile(at("bin").c_str()), bytes);
  ASSERT_EQ(sdkAppendTextFile(at("bin").c_str(), "\n"), 1);
  int shortRead = 0;
  EXPECT_EQ(*sdkReadFileWindow(at("bin").c_str(), 6, 10, shortRead), std::string("\x1a" "d\r\n", 4));
  EXPECT_EQ(shortRead, 1);
}

#endif
