// Lock files: names, serialisation of live writers, and no blocking by a
// holder that died.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "krm_test_util.h"
#include "tests/common/test_platform.h"
#include "krmsdk/krm_lock.h"
#include "krmsdk/krm_stream.h"

using namespace krmtest;

TEST(KrmLock, NameRule) {
  EXPECT_EQ(krmLockName("C:\\a.b\\c", 5), "Cabc.krm.sem");
  EXPECT_EQ(krmLockName("/tmp/x/job.ps", 5), "tmpxjobps.krm.sem");
  // At most 256 characters, keeping the end.
  std::string longName(400, 'a');
  longName += "Z";
  std::string name = krmLockName(longName, 5);
  EXPECT_EQ(name.size(), 256u);
  EXPECT_EQ(name.substr(name.size() - 9), "Z.krm.sem");
  // Directory plus name fit in 512.
  EXPECT_EQ(krmLockName(longName, 400).size(), 112u);
  EXPECT_EQ(krmLockName(longName, 600).size(), 256u);
}

TEST(KrmLock, SerialisesWritersInOneProcess) {
  ScratchDir dir;
  const std::string target = dir / "out.ps";
  KrmLockHandle first = krmLockFile(target.c_str());
  ASSERT_TRUE(first.valid());
  EXPECT_TRUE(fs::exists(first.path));
  KrmLockHandle second = krmLockFile(target.c_str());
  EXPECT_FALSE(second.valid());
  // A different target has its own lock.
  KrmLockHandle other = krmLockFile((dir / "other.ps").c_str());
  EXPECT_TRUE(other.valid());
  krmUnlockFile(other);
  krmUnlockFile(first);
  EXPECT_FALSE(fs::exists(first.path));
  second = krmLockFile(target.c_str());
  EXPECT_TRUE(second.valid());
  krmUnlockFile(second);
}

TEST(KrmLock, LinkAtTheLockNameFailsTheLockAndIsNotFollowed) {
  QM_POSIX_ONLY("symbolic links");
  ScratchDir dir;
  const std::string sentinel = dir / "sentinel";
  writeFile(sentinel, "keep");
  // A link to an existing file and a dangling one (which opening with
  // O_CREAT would have made into a file).
  for (const std::string& pointee : {sentinel, dir / "absent"}) {
    const std::string target = dir / "out.ps";
    const std::string lockPath = krmLockPath(target);
    fs::create_symlink(pointee, lockPath);
    KrmLockHandle lock = krmLockFile(target.c_str());
    EXPECT_FALSE(lock.valid()) << pointee;
    krmUnlockFile(lock);
    EXPECT_TRUE(fs::is_symlink(lockPath));
    fs::remove(lockPath);
  }
  EXPECT_EQ(readFile(sentinel), "keep");
  EXPECT_FALSE(fs::exists(dir / "absent"));
}

// Many threads appending under the lock never interleave.
TEST(KrmLock, ThreadsTakeTurns) {
  ScratchDir dir;
  const std::string target = dir / "counter";
  writeFile(target, "0");
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        KrmLockHandle h;
        while (!(h = krmLockFile(target.c_str())).valid()) {
        }
        int value = std::stoi(readFile(target));
        writeFile(target, std::to_string(value + 1));
        krmUnlockFile(h);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(readFile(target), "200");
  EXPECT_EQ(failures.load(), 0);
}

#ifndef _WIN32
// A live holder in another process keeps us out; after kill -9 its lock
// file is still there but does not block the next job.
TEST(KrmLock, KilledHolderDoesNotBlock) {
  ScratchDir dir;
  const std::string target = dir / "job.ps";
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    KrmLockHandle h = krmLockFile(target.c_str());
    char c = h.valid() ? 'y' : 'n';
    (void)!write(pipeFds[1], &c, 1);
    for (;;) pause();
  }
  char c = 0;
  ASSERT_EQ(read(pipeFds[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  const std::string lockPath = krmLockPath(target);
  EXPECT_TRUE(fs::exists(lockPath));
  EXPECT_FALSE(krmLockFile(target.c_str()).valid());
  // A job for that path fails to take its lock while the holder lives.
  ASSERT_EQ(krmInitialize(), 1001);
  {
    KrmStream stream("krmTest", target);
    EXPECT_EQ(stream.open(), 1004);
    EXPECT_EQ(stream.close(), 1004);
  }

  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(pipeFds[0]);
  close(pipeFds[1]);
  EXPECT_TRUE(fs::exists(lockPath));  // left behind by the dead holder

  auto fos = krmNewFOS();
  auto vos = krmNewVOS();
  vos->krmVOSSetOutputPath(target.c_str());
  EXPECT_EQ(krmListPrinterFiles(fos.get(), vos.get()), 1001);
  EXPECT_TRUE(fs::exists(target));
  EXPECT_FALSE(fs::exists(lockPath));
  krmFinished();
}
#endif
