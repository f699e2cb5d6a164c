// Container creation killed in the middle (SIGKILL of a forked child): a
// container of the same name that was there before stays whole, and the
// next creation replaces the leftover part file.
#include <gtest/gtest.h>

#include "archive_test_util.h"
#include "tests/common/kill_child.h"
#include "tests/common/part_files.h"

using namespace archive_test;

namespace {

class ArchiveCrash : public ArchiveTest {
 protected:
  std::int64_t sizeOf(const fs::path& p) {
    std::error_code ec;
    auto n = fs::file_size(p, ec);
    return ec ? -1 : static_cast<std::int64_t>(n);
  }
  void killedCreationKeepsTheOldContainer(int format, const std::string& name) {
    QM_REQUIRE_FORK();
    auto small = makeSources({{"proj.kpf", 300}, {"a.ps", 2000}});
    ArchiveHandler handler;
    handler.SetArchiveFormat(format);
    const fs::path container = path(name);
    ASSERT_EQ("", handler.Create(container.string(), small, path("src").string()));
    const std::string good = readFile(container);

    auto big = makeSources({{"big1.bin", 40 << 20}, {"big2.bin", 40 << 20}});
    bool killed = qmtest::killChildWhen(
        [&] {
          ArchiveHandler child;
          child.SetArchiveFormat(format);
          child.Create(container.string(), big, path("src").string());
        },
        [&] { return qmtest::partSizeOf(container) > (1 << 20); });
    ASSERT_TRUE(killed) << "creation finished before it could be killed";
    EXPECT_EQ(good, readFile(container));
    ASSERT_EQ("", handler.Extract(container.string(), path("out").string()));
    EXPECT_EQ(readFile(path("src/a.ps")), readFile(path("out/a.ps")));

    // The next creation takes away what the killed one left.
    ASSERT_EQ(1u, qmtest::partFilesOf(container).size());
    ASSERT_EQ("", handler.Create(container.string(), small, path("src").string()));
    EXPECT_TRUE(qmtest::partFilesOf(container).empty());
  }
};

}  // namespace

TEST_F(ArchiveCrash, KilledZipCreation) { killedCreationKeepsTheOldContainer(kArchiveFormatZip, "pack.kpc"); }

TEST_F(ArchiveCrash, KilledTarCreation) { killedCreationKeepsTheOldContainer(kArchiveFormatTar, "pack.tar"); }

TEST_F(ArchiveCrash, KilledVolumeCreationKeepsTheOldVolumeSet) {
  QM_REQUIRE_FORK();
  // Three volumes of one record (20992 bytes of tar)...
  auto small = makeSources({{"proj.kpf", 300}, {"a.ps", 18000}});
  ArchiveHandler handler;
  handler.SetArchiveFormat(kArchiveFormatTar);
  handler.SetVolumeSize(1);
  handler.SetVolumeNameParts(path("vol").string(), "pack", "/", ".kpv");
  fs::create_directories(path("vol"));
  ASSERT_EQ("", handler.Create(path("vol/pack.kpv").string(), small, path("src").string()));
  const auto before = listTree(path("vol"));
  ASSERT_EQ(3u, before.size());
  std::vector<std::string> good;
  for (const auto& f : before) good.push_back(readFile(path("vol") / f));

  // ...and a set of three bigger volumes of the same names, cut off while
  // its second volume is written: the old volumes are untouched.
  auto big = makeSources({{"big.bin", 20 << 20}});
  bool killed = qmtest::killChildWhen(
      [&] {
        ArchiveHandler child;
        child.SetArchiveFormat(kArchiveFormatTar);
        child.SetVolumeSize(1000);
        child.SetVolumeNameParts(path("vol").string(), "pack", "/", ".kpv");
        child.Create(path("vol/pack.kpv").string(), big, path("src").string());
      },
      [&] { return !qmtest::partFilesOf(path("vol/pack_000002_000003.kpv")).empty(); });
  ASSERT_TRUE(killed);
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(good[i], readFile(path("vol") / before[i])) << before[i];
}
