#include "base/sdk_fs.h"

#include "base/sdk_fs_unique.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/common/test_platform.h"

namespace fs = std::filesystem;

namespace {
// A fresh temporary directory, removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    SdkString name;
    EXPECT_EQ(sdkMakeTempDir(name), 1);
    path_ = name.str();
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
}  // namespace

TEST(SdkFs, PathPartsAcceptBothSeparatorsAndDrives) {
  EXPECT_EQ(sdkDirPart("C:\\a\\b.txt"), "C:\\a");
  EXPECT_EQ(sdkDirPart("C:\\b.txt"), "C:\\");
  EXPECT_EQ(sdkDirPart("b.txt"), "");
  EXPECT_EQ(sdkDirPart("C:\\a\\"), "C:\\a");
  EXPECT_EQ(sdkDirPart("/a/b.txt"), "/a");
  EXPECT_EQ(sdkDirPart("/b.txt"), "/");
  EXPECT_EQ(sdkDirPart("a/b\\c.txt"), "a/b");
  EXPECT_EQ(sdkFileNamePart("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(sdkFileNamePart("C:b.txt"), "b.txt");
  EXPECT_EQ(sdkFileNamePart("/a/b"), "b");
  EXPECT_EQ(sdkFileNamePart("dir/"), "");
  SdkString out("stale");
  sdkDirPart(out, "b.txt");
  EXPECT_STREQ(out.text(), "");
  EXPECT_EQ(sdkIsSeparator('\\'), 1);
  EXPECT_EQ(sdkIsSeparator(':'), 0);
}

TEST(SdkFs, SmallHelpers) {
  std::string s = "AbZ[@";
  sdkLowerAscii(s);
  EXPECT_EQ(s, "abz[@");
  sdkLowerAscii(static_cast<char*>(nullptr));
  EXPECT_EQ(sdkPower(10, 0), 1);
  EXPECT_EQ(sdkPower(2, 10), 1024);
  EXPECT_EQ(sdkJoinPath("a/", "b"), "a/b");
  EXPECT_EQ(sdkJoinPath("", "b"), "b");
}

TEST(SdkFs, MakeDirsCreatesEveryLevelOfTheDirectoryPart) {
  TempDir t;
  EXPECT_EQ(sdkMakeDirs((t / "x/y/z.job").c_str()), 1);
  EXPECT_TRUE(fs::is_directory(t / "x/y"));
  EXPECT_FALSE(fs::exists(t / "x/y/z.job"));
  EXPECT_EQ(sdkMakeDirs((t / "p/q/").c_str()), 1);
  EXPECT_TRUE(fs::is_directory(t / "p/q"));
  EXPECT_EQ(sdkMakeDirs((t / "lone").c_str()), 1);
  EXPECT_FALSE(fs::exists(t / "lone"));
  EXPECT_EQ(sdkMakeDirs((t / "m\\n\\o.txt").c_str()), 1) << "backslashes separate too";
  EXPECT_TRUE(fs::is_directory(t / "m/n"));
  sdkWriteTextFile((t / "file").c_str(), "x");
  EXPECT_EQ(sdkMakeDirs((t / "file/sub/a.txt").c_str()), 0) << "a file in the way";
}

TEST(SdkFs, WholeFileAndWindowReads) {
  TempDir t;
  std::string empty = t / "empty", data = t / "data";
  ASSERT_EQ(sdkWriteTextFile(empty.c_str(), ""), 1);
  auto e = sdkReadWholeFile(empty.c_str());
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->empty());
  ASSERT_EQ(sdkWriteTextFile(data.c_str(), "0123456789"), 1);
  ASSERT_EQ(sdkAppendTextFile(data.c_str(), "ab"), 1);
  EXPECT_EQ(sdkFileSize(data.c_str()), 12);
  int shortRead = -1;
  auto w = sdkReadFileWindow(data.c_str(), 4, 4, shortRead);
  ASSERT_TRUE(w);
  EXPECT_EQ(*w, "4567");
  EXPECT_EQ(shortRead, 0);
  w = sdkReadFileWindow(data.c_str(), 10, 4, shortRead);
  EXPECT_EQ(*w, "ab");
  EXPECT_EQ(shortRead, 1);
  w = sdkReadFileWindow(data.c_str(), 100, 4, shortRead);
  ASSERT_TRUE(w);
  EXPECT_EQ(*w, "");
  EXPECT_EQ(shortRead, 1);
  EXPECT_FALSE(sdkReadWholeFile((t / "missing").c_str()));
  EXPECT_FALSE(sdkReadFileWindow((t / "missing").c_str(), 0, 1, shortRead));
  EXPECT_EQ(sdkFileSize((t / "missing").c_str()), 0);
}

TEST(SdkFs, CopyMoveDeleteAndFind) {
  TempDir t;
  std::string a = t / "a.frm", b = t / "b.frm", c = t / "sub/c.frm";
  sdkWriteTextFile(a.c_str(), "alpha");
  sdkWriteTextFile(b.c_str(), "old");
  EXPECT_EQ(sdkCopyFile(a.c_str(), b.c_str()), 1);
  EXPECT_EQ(*sdkReadWholeFile(b.c_str()), "alpha");
  EXPECT_EQ(sdkCopyFile((t / "none").c_str(), b.c_str()), 0);
  sdkMakeDirs(c.c_str());
  EXPECT_EQ(sdkMoveFile(b.c_str(), c.c_str()), 1);
  EXPECT_EQ(sdkFileExists(b.c_str()), 0);
  EXPECT_EQ(sdkFileExists(c.c_str()), 1);
  EXPECT_EQ(sdkFileExists((t / "sub").c_str()), 1) << "directories exist too";
  SdkString found;
  EXPECT_EQ(sdkFindFirst(found, (t / "*.frm").c_str()), 1);
  EXPECT_STREQ(found.text(), "a.frm");
  EXPECT_EQ(sdkFindFirst(found, (t / "*.xyz").c_str()), 0);
  SdkString cs(c);
  EXPECT_EQ(sdkDeleteFile(cs.text()), 1);
  EXPECT_EQ(sdkRemoveDir((t / "sub").c_str()), 1);
  EXPECT_EQ(sdkCanEnterDir(t.path().c_str()), 1);
  EXPECT_EQ(sdkCanEnterDir(a.c_str()), 0);
}

TEST(SdkFs, CommitReplacesTheFileAndSameFileSeesThroughSpellings) {
  TempDir dir;
  sdkWriteTextFile((dir / "user.kpf").c_str(), "old");
  sdkWriteTextFile((dir / "user.kpf.tmp").c_str(), "new");
  ASSERT_EQ(sdkCommitFile((dir / "user.kpf.tmp").c_str(), (dir / "user.kpf").c_str()), 1);
  EXPECT_EQ(sdkReadWholeFile((dir / "user.kpf").c_str()).value_or(""), "new");
  EXPECT_FALSE(fs::exists(dir / "user.kpf.tmp"));
  // A missing temporary file changes nothing.
  EXPECT_EQ(sdkCommitFile((dir / "gone.tmp").c_str(), (dir / "user.kpf").c_str()), 0);
  EXPECT_EQ(sdkReadWholeFile((dir / "user.kpf").c_str()).value_or(""), "new");

#ifndef _WIN32  // Windows folds "sub/.." away before it looks for "sub"
  EXPECT_EQ(sdkSameFile((dir / "user.kpf").c_str(), (dir / "./sub/../user.kpf").c_str()), 0);  // no "sub"
#endif
  fs::create_directories(dir / "sub");
  EXPECT_EQ(sdkSameFile((dir / "user.kpf").c_str(), (dir / "./sub/../user.kpf").c_str()), 1);
  fs::create_hard_link(dir / "user.kpf", dir / "link.kpf");
  EXPECT_EQ(sdkSameFile((dir / "user.kpf").c_str(), (dir / "link.kpf").c_str()), 1);
  sdkWriteTextFile((dir / "other.kpf").c_str(), "new");
  EXPECT_EQ(sdkSameFile((dir / "user.kpf").c_str(), (dir / "other.kpf").c_str()), 0);
  EXPECT_EQ(sdkSameFile((dir / "user.kpf").c_str(), (dir / "missing").c_str()), 0);
}

TEST(SdkFs, TempNameIsUniqueUsesThePrefixAndHoldsTheName) {
  TempDir dir;
  SdkString a, b, folder;
  {
    qmtest::ScopedEnvVar temp(qmtest::kTempVariable, dir.path().c_str());
    ASSERT_EQ(sdkTempName(a, "krmjob"), 1);
    ASSERT_EQ(sdkTempName(b, "krm"), 1);
    ASSERT_EQ(sdkMakeTempDir(folder), 1);
  }
  EXPECT_EQ(sdkDirPart(a.str()), dir.path());
  EXPECT_EQ(sdkFileNamePart(a.str()).substr(0, 3), "krm");
  // Only three prefix characters: the rest is the random part (which may
  // itself begin with a "j", so one letter proves nothing).
  EXPECT_NE(sdkFileNamePart(a.str()).substr(0, 6), "krmjob") << "only three prefix characters";
  EXPECT_FALSE(a.equalsString(b));
  // The name is taken by an empty file of the caller's, not handed out free
  // for anyone to create first.
  EXPECT_TRUE(fs::is_regular_file(a.str()));
  EXPECT_EQ(sdkFileSize(a.text()), 0);
  EXPECT_EQ(sdkFileNamePart(folder.str()).substr(0, 3), "kp_");
  EXPECT_TRUE(fs::is_directory(folder.str()));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

TEST(SdkFs, SweepTakesOnlyAbandonedFilesAndNeverALinksTarget) {
  TempDir dir;
  const std::string stem = dir / "out.";
  const std::string sentinel = dir / "sentinel";
  sdkWriteTextFile(sentinel.c_str(), "keep");
  SdkNewFile live = sdkCreateUniqueFile(stem, ".part", SdkFileAccess::Shared);
  ASSERT_TRUE(live);
  SdkNewFile closed = sdkCreateUniqueFile(stem, ".part", SdkFileAccess::Shared);
  ASSERT_TRUE(closed);
  std::fclose(closed.file);
  const std::string held = dir / "out.HELDxx.part";
  sdkWriteTextFile(held.c_str(), "");
  SdkFileHold hold(held.c_str());
  ASSERT_TRUE(hold.held());
  const std::string other = dir / "out.toolong.part";
  sdkWriteTextFile(other.c_str(), "");
#ifndef _WIN32
  const std::string link = dir / "out.LINKxx.part";
  fs::create_symlink(sentinel, link);
#endif

  EXPECT_EQ(sdkRemoveAbandonedUnique(stem, ".part", std::chrono::seconds(0)), 1);
  EXPECT_FALSE(fs::exists(closed.path));
  EXPECT_TRUE(fs::exists(live.path)) << "open in this process";
  EXPECT_TRUE(fs::exists(held));
  EXPECT_TRUE(fs::exists(other)) << "not a name of the sweep";
  EXPECT_EQ(sdkReadWholeFile(sentinel.c_str()).value_or(""), "keep");
  std::fclose(live.file);
  hold.release();
  // Nothing changed in the last hour is old enough for an hour's age.
  EXPECT_EQ(sdkRemoveAbandonedUnique(stem, ".part", std::chrono::hours(1)), 0);
  EXPECT_EQ(sdkRemoveAbandonedUnique(stem, ".part", std::chrono::seconds(0)), 2);
  EXPECT_EQ(sdkReadWholeFile(sentinel.c_str()).value_or(""), "keep");
}

TEST(SdkFs, LockIsReentrantAndExcludesOtherThreads) {
  SdkLock lock;
  lock.initialise();
  lock.enter();
  lock.enter();
  int shared = 0;
  std::thread other([&] {
    SdkLockGuard g(lock);
    shared = 2;
  });
  sdkSleep(20);
  shared = 1;
  EXPECT_EQ(shared, 1);
  lock.leave();
  lock.leave();
  other.join();
  EXPECT_EQ(shared, 2);
  lock.deleteLock();
}
