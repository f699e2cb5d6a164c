// Tar containers: header layout, round trips, peers, volumes, the three
// extraction modes, cancellation and damaged or hostile input.

#include <cstring>

#include "archive/tar.h"
#include "archive_test_util.h"
#include "tests/common/part_files.h"

using namespace archive_test;

namespace {

// Replaces a header field and repairs the checksum.
void patchHeader(std::string& tar, std::size_t headerAt, std::size_t offset, const std::string& value) {
  std::memcpy(&tar[headerAt + offset], value.data(), value.size());
  std::memset(&tar[headerAt + 148], ' ', 8);
  unsigned sum = 0;
  for (int i = 0; i < kTarBlock; ++i) sum += static_cast<unsigned char>(tar[headerAt + i]);
  char text[8];
  std::snprintf(text, sizeof text, "%06o", sum);
  std::memcpy(&tar[headerAt + 148], text, 7);
}

class TarTest : public ArchiveTest {
 protected:
  ArchiveHandler handler;
  std::vector<std::string> statuses;

  void SetUp() override {
    ArchiveTest::SetUp();
    handler.SetArchiveFormat(kArchiveFormatTar);
    handler.SetProgressHook([this](ArchiveHandler&, const char* status, long, std::int64_t, long, std::int64_t,
                                   const char*, std::int64_t, std::int64_t) {
      if (statuses.empty() || statuses.back() != status) statuses.push_back(status);
      return 0;
    });
  }

  std::string create(const std::vector<std::string>& names, const std::string& container = "pack.tar") {
    return handler.Create(path(container).string(), names, path("src").string());
  }
};

TEST_F(TarTest, HeaderIsWrittenInTheClassicLayout) {
  makeSources({{"a.txt", 5}});
  fs::permissions(path("src/a.txt"), fs::perms(0640));
  ASSERT_EQ("", create({"a.txt"}));
  std::string tar = readFile(path("pack.tar"));
  ASSERT_EQ(10240u, tar.size());
  EXPECT_EQ(std::string("a.txt\0", 6), tar.substr(0, 6));
#ifdef _WIN32
  // Windows keeps no group or other permissions: a writable file is 666.
  EXPECT_EQ(std::string("   666 \0", 8), tar.substr(100, 8));
#else
  EXPECT_EQ(std::string("   640 \0", 8), tar.substr(100, 8));
#endif
  EXPECT_EQ("          5 ", tar.substr(124, 12));
  char mtime[13];
  std::snprintf(mtime, sizeof mtime, "%11llo ", static_cast<unsigned long long>(fixedTime()));
  EXPECT_EQ(mtime, tar.substr(136, 12));
  EXPECT_EQ('0', tar[156]);
  EXPECT_EQ(std::string(8, '\0'), tar.substr(257, 8));  // no magic
  // Checksum: six octal digits, NUL, space; the sum with its field as spaces.
  unsigned sum = 0;
  for (int i = 0; i < 512; ++i) sum += static_cast<unsigned char>(i >= 148 && i < 156 ? ' ' : tar[i]);
  char checksum[8];
  std::snprintf(checksum, sizeof checksum, "%6o", sum);
  EXPECT_EQ(std::string(checksum, 6) + std::string("\0 ", 2), tar.substr(148, 8));
  EXPECT_EQ(readFile(path("src/a.txt")), tar.substr(512, 5));
  EXPECT_EQ(std::string(10240 - 517, '\0'), tar.substr(517));
}

TEST_F(TarTest, RoundTripKeepsFoldersBytesTimesAndModes) {
  auto names = makeSources({{"proj.kpf", 900}, {"formlib/a.ps", 70000}, {"x/y/z.bin", 10240}, {"empty", 0}});
  fs::permissions(path("src/x/y/z.bin"), fs::perms(0600));
  ASSERT_EQ("", create(names));
  EXPECT_EQ(4, handler.GetFileCount());
  EXPECT_EQ(81140, handler.GetTotalBytes());
  ASSERT_EQ("", handler.Extract(path("pack.tar").string(), path("out").string()));
  expectSame(names, path("out"), false);
#ifndef _WIN32
  EXPECT_EQ(fs::perms(0600), fs::status(path("out/x/y/z.bin")).permissions() & fs::perms::all);
#endif
  EXPECT_EQ("proj.kpf\nformlib/a.ps\nx/y/z.bin\nempty\n", handler.GetListing());
  EXPECT_EQ((std::vector<std::string>{"Validating archive: proj.kpf", "Validating archive: formlib/a.ps",
                                      "Validating archive: x/y/z.bin", "Validating archive: empty",
                                      "Extracting archive: " + path("pack.tar").string()}),
            std::vector<std::string>(statuses.end() - 5, statuses.end()));
}

TEST_F(TarTest, PeersReadOurContainers) {
  if (!haveTool("tar") || !haveTool("python3")) GTEST_SKIP() << "tar or python3 missing";
  auto names = makeSources({{"proj.kpf", 900}, {"lib/a.ps", 70000}});
  ASSERT_TRUE(hardLink(path("src/lib/a.ps"), path("src/lib/same.ps")));
  names.push_back("lib/same.ps");
  ASSERT_EQ("", create(names));
  EXPECT_EQ(0, run("test \"$(tar -tf " + quote(path("pack.tar")) +
                   ")\" = \"$(printf 'proj.kpf\\nlib/a.ps\\nlib/same.ps')\""));
  fs::create_directories(path("gnu"));
  ASSERT_EQ(0, run("tar -xf " + quote(path("pack.tar")) + " -C " + quote(path("gnu"))));
  expectSame(names, path("gnu"), false);
  std::string script =
      "import tarfile,sys\n"
      "t=tarfile.open(sys.argv[1])\n"
      "assert t.getnames()==['proj.kpf','lib/a.ps','lib/same.ps'], t.getnames()\n"
      "assert t.getmember('lib/same.ps').islnk()\n"
      "t.extractall(sys.argv[2])\n";
  writeFile(path("check.py"), script);
  ASSERT_EQ(0, run("python3 " + quote(path("check.py")) + " " + quote(path("pack.tar")) + " " + quote(path("py"))));
  expectSame(names, path("py"), false);
}

TEST_F(TarTest, WeReadGnuTarAndPythonArchives) {
  if (!haveTool("tar") || !haveTool("python3")) GTEST_SKIP() << "tar or python3 missing";
  std::string longName = std::string(60, 'd') + "/" + std::string(70, 'f') + ".ps";
  auto names = makeSources({{"proj.kpf", 300}, {"sub/dir/f.pfb", 40000}, {longName, 1234}});
  ASSERT_EQ(0, run("cd " + quote(path("src")) + " && tar -cf ../gnu.tar proj.kpf sub " + longName));
  EXPECT_EQ(std::string("ustar  \0", 8), readFile(path("gnu.tar")).substr(257, 8));
  ASSERT_EQ("", handler.Extract(path("gnu.tar").string(), path("out1").string()));
  expectSame(names, path("out1"), false);

  std::string script =
      "import tarfile,sys,os\n"
      "with tarfile.open(sys.argv[1],'w',format=tarfile.PAX_FORMAT) as t:\n"
      "  for n in sys.argv[3:]: t.add(os.path.join(sys.argv[2],n), n)\n";
  writeFile(path("make.py"), script);
  ASSERT_EQ(0, run("python3 " + quote(path("make.py")) + " " + quote(path("py.tar")) + " " + quote(path("src")) +
                   " proj.kpf sub/dir/f.pfb " + longName));
  ASSERT_EQ("", handler.Extract(path("py.tar").string(), path("out2").string()));
  expectSame(names, path("out2"), false);
}

TEST_F(TarTest, LinksDevicesFoldersAndNameLengths) {
  QM_POSIX_ONLY("device files and hard-link identity");
  auto names = makeSources({{"a.bin", 3000}, {std::string(99, 'n'), 10}, {std::string(100, 'm'), 10}});
  ASSERT_TRUE(hardLink(path("src/a.bin"), path("src/b.bin")));
  fs::create_directories(path("src/folder"));
  // A name of 100 characters fails the creation: no archive is left.
  std::string error = create({"a.bin", "folder", "b.bin", "/dev/null", std::string(100, 'm'), std::string(99, 'n')});
  EXPECT_EQ("ERROR (Tar): Internal - tag: 70, file: " + std::string(100, 'm') +
                ", reason: name of 100 characters or more",
            error);
  EXPECT_FALSE(fs::exists(path("pack.tar")));
  EXPECT_TRUE(qmtest::partFilesOf(path("pack.tar")).empty());
  ASSERT_EQ("", create({"a.bin", "folder", "b.bin", "/dev/null", std::string(99, 'n')}));
  handler.RunTar({"pdtar_main", "-tf", path("pack.tar").string()}, "");
  EXPECT_EQ("a.bin\nb.bin link to a.bin\ndev/null\n" + std::string(99, 'n') + "\n", handler.GetListing());
  std::string tar = readFile(path("pack.tar"));
  std::size_t device = 512 + 3072 + 512;
  EXPECT_EQ('3', tar[device + 156]);
  EXPECT_EQ(std::string("     1 \0", 8), tar.substr(device + 329, 8));
  EXPECT_EQ(std::string("     3 \0", 8), tar.substr(device + 337, 8));

  // The hard link comes back as a second name of the same data; devices
  // are not created.
  ASSERT_EQ("", handler.Extract(path("pack.tar").string(), path("out").string()));
  EXPECT_EQ((std::vector<std::string>{"a.bin", "b.bin", std::string(99, 'n')}), listTree(path("out")));
  EXPECT_EQ(readFile(path("src/a.bin")), readFile(path("out/b.bin")));
}

TEST_F(TarTest, VolumesOfTheRecordSizeCarryTheFinalCount) {
  makeSources({{"big.bin", 25000}});
  handler.SetVolumeSize(1);
  handler.SetVolumeNameParts(path("vol").string(), "pack", "\\", ".kpv");
  fs::create_directories(path("vol"));
  std::vector<std::pair<std::string, std::string>> hookCalls;
  handler.SetVolumeHook([&](ArchiveHandler&, const char* name, const char* folder) {
    hookCalls.emplace_back(name, folder);
    return 0;
  });
  ASSERT_EQ("", create({"big.bin"}, "ignored.kpc"));
  EXPECT_EQ(26624, handler.GetPredictedSize());
  EXPECT_EQ(3, handler.GetVolumeCount());
  EXPECT_EQ((std::vector<std::string>{"pack_000001_000003.kpv", "pack_000002_000003.kpv", "pack_000003_000003.kpv"}),
            listTree(path("vol")));
  std::string joined;
  for (const auto& name : listTree(path("vol"))) {
    EXPECT_EQ(10240u, fs::file_size(path("vol") / name));
    joined += readFile(path("vol") / name);
  }
  EXPECT_FALSE(fs::exists(path("ignored.kpc")));
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"pack_000002_000003.kpv", path("vol").string()},
                                                              {"pack_000003_000003.kpv", path("vol").string()}}),
            hookCalls);
  EXPECT_EQ(2, std::count(statuses.begin(), statuses.end(), kArchiveVolumeTransition));
  EXPECT_EQ(kArchiveVolumesComplete, statuses.back());
  EXPECT_EQ("pack_000003_000003.kpv", handler.GetVolumeFileName());
  EXPECT_EQ((path("vol") / "pack_000003_000003.kpv").string(), handler.GetVolumePath());

  // The joined volumes are one archive.
  writeFile(path("joined.tar"), joined);
  handler.SetVolumeSize(0);
  ASSERT_EQ("", handler.Extract(path("joined.tar").string(), path("out").string()));
  EXPECT_EQ(readFile(path("src/big.bin")), readFile(path("out/big.bin")));
}

TEST_F(TarTest, VolumeHookStopsWritingAndKeepsWrittenVolumes) {
  makeSources({{"big.bin", 25000}});
  handler.SetVolumeSize(1);
  handler.SetVolumeHook([](ArchiveHandler&, const char*, const char*) { return 1; });
  fs::create_directories(path("vol"));
  // Without name parts the volumes are named after the container.
  std::string error = create({"big.bin"}, "vol/set.kpc");
  EXPECT_EQ("ERROR (Tar): Internal - tag: 83, file: set_000002_000003.kpc, reason: CANCELLED", error);
  EXPECT_TRUE(handler.IsCancelled());
  EXPECT_EQ((std::vector<std::string>{"set_000001_000003.kpc"}), listTree(path("vol")));
  EXPECT_EQ(10240u, fs::file_size(path("vol/set_000001_000003.kpc")));
}

TEST_F(TarTest, NoVolumeSizeMeansNoCompletionCall) {
  makeSources({{"a", 100}});
  ASSERT_EQ("", create({"a"}));
  EXPECT_EQ(0, std::count(statuses.begin(), statuses.end(), kArchiveVolumesComplete));
  EXPECT_EQ(0, handler.GetVolumeCount());
}

TEST_F(TarTest, ProjectFileAndNamedModes) {
  writeFile(path("c.tar"), TarBuilder()
                               .add("readme.txt", "r")
                               .add("Mixed.Kpf", "mixed")
                               .add("sub/p.KPF", "upper")
                               .add("q.kpf", "lower")
                               .add("sub/item.ps", "item")
                               .finish());
  statuses.clear();
  ASSERT_EQ("", handler.ExtractProjectFile(path("c.tar").string(), path("out").string()));
  EXPECT_EQ((std::vector<std::string>{"sub/", "sub/p.KPF"}), listTree(path("out")));
  EXPECT_EQ("sub/p.KPF", handler.GetFoundProjectEntry());
  EXPECT_EQ((path("out") / "sub" / "p.KPF").string(), handler.GetFoundProjectFile());
  EXPECT_TRUE(statuses.empty());  // the project file is written without progress calls

  ASSERT_EQ("", handler.ExtractNamed(path("c.tar").string(), "sub/item.ps", path("named").string()));
  EXPECT_EQ("item", readFile(path("named/sub/item.ps")));
  EXPECT_EQ("ERROR (Minizip): No .kpf file found in archive " + path("c.tar").string(),
            handler.ExtractNamed(path("c.tar").string(), "item.ps", path("named2").string()));

  writeFile(path("none.tar"), TarBuilder().add("a.txt", "a").finish());
  EXPECT_EQ("ERROR (Minizip): No .kpf file found in archive " + path("none.tar").string(),
            handler.ExtractProjectFile(path("none.tar").string(), path("out3").string()));
}

TEST_F(TarTest, ZeroBlockEndsTheWalkAndOverwriteQuestionApplies) {
  TarBuilder builder;
  builder.add("one.txt", "1");
  builder.bytes.append(512, '\0');
  builder.add("two.txt", "2");
  writeFile(path("z.tar"), builder.finish());
  writeFile(path("out/one.txt"), "old");
  handler.SetOverwriteHook([](ArchiveHandler&, const char*) { return 'N'; });
  ASSERT_EQ("", handler.Extract(path("z.tar").string(), path("out").string()));
  EXPECT_EQ((std::vector<std::string>{"one.txt"}), listTree(path("out")));
  EXPECT_EQ("old", readFile(path("out/one.txt")));
  handler.SetOverwriteHook(nullptr);
  ASSERT_EQ("", handler.Extract(path("z.tar").string(), path("out").string()));
  EXPECT_EQ("1", readFile(path("out/one.txt")));
}

TEST_F(TarTest, HostileEntriesWriteNothingOutside) {
  fs::create_directories(path("outside"));
  fs::create_directories(path("box/in"));
  // Where no link can be planted, "planted" becomes an ordinary folder.
  const bool planted = makeSymlink(path("outside"), path("box/in/planted"));
  std::string abs = path("outside/abs.txt").string();
  writeFile(path("evil.tar"), TarBuilder()
                                  .add(abs, "1")
                                  .add("../up.txt", "2")
                                  .add("C:drive.txt", "3")
                                  .add("a/../../up2.txt", "4")
                                  .add("..\\win.txt", "5")
                                  .add("lnk", "", '2', "../../outside")
                                  .add("lnk/through.txt", "6")
                                  .add("planted/through2.txt", "7")
                                  .add("dir/", "", '5')
                                  .add("dir/good.txt", "g")
                                  .finish());
  std::string error = handler.Extract(path("evil.tar").string(), path("box/in").string());
  EXPECT_EQ("ERROR (Tar): Internal - tag: 59, file: " + abs + ", reason: entry name leaves the target folder",
            error);
  EXPECT_TRUE(listTree(path("outside")).empty());
  if (planted) {
    EXPECT_EQ((std::vector<std::string>{"in/", "in/dir/", "in/dir/good.txt", "in/lnk", "in/planted"}),
              listTree(path("box")));
  } else {
    EXPECT_EQ((std::vector<std::string>{"in/", "in/dir/", "in/dir/good.txt", "in/lnk", "in/planted/",
                                        "in/planted/through2.txt"}),
              listTree(path("box")));
  }
  EXPECT_FALSE(fs::is_symlink(path("box/in/lnk")));
}

TEST_F(TarTest, DamagedArchivesEndWithAnErrorText) {
  auto names = makeSources({{"proj.kpf", 900}, {"a.ps", 30000}});
  ASSERT_EQ("", create(names));
  std::string good = readFile(path("pack.tar"));
  // Cut inside the data, at a header, inside a block, and before the end.
  for (std::size_t cut : {std::size_t{1}, std::size_t{700}, std::size_t{1536}, std::size_t{1600},
                          std::size_t{32256}, std::size_t{1536 + 30208}}) {
    writeFile(path("cut.tar"), good.substr(0, cut));
    std::string error = handler.Extract(path("cut.tar").string(), path("out").string());
    EXPECT_EQ(0u, error.find("ERROR (Tar): Internal - tag: ")) << cut << " " << error;
    EXPECT_TRUE(error.find("tag: 54") != std::string::npos || error.find("tag: 55") != std::string::npos ||
                error.find("tag: 75") != std::string::npos)
        << cut << " " << error;
  }
  std::string broken = good;
  broken[10] = 'X';
  writeFile(path("sum.tar"), broken);
  EXPECT_NE(std::string::npos, handler.Extract(path("sum.tar").string(), path("out").string()).find("tag: 57"));

  std::string nonsense = good;
  patchHeader(nonsense, 0, 124, "12x45678901 ");
  writeFile(path("size.tar"), nonsense);
  EXPECT_NE(std::string::npos, handler.Extract(path("size.tar").string(), path("out").string()).find("tag: 58"));

  // A size of 64 GiB promised by a tiny file: no allocation, an error.
  std::string huge = good;
  patchHeader(huge, 0, 124, std::string("\x80\0\0\0\0\0\0\x10\0\0\0\0", 12));
  writeFile(path("huge.tar"), huge);
  EXPECT_NE(std::string::npos, handler.Extract(path("huge.tar").string(), path("out").string()).find("tag: 75"));

  // Every header byte damaged in turn: an error or a clean walk, never a
  // crash, and nothing outside the folder.
  for (std::size_t i = 0; i < 512; ++i) {
    std::string flipped = good;
    flipped[1536 + i] = static_cast<char>(flipped[1536 + i] ^ 0x41);
    writeFile(path("flip.tar"), flipped);
    handler.Extract(path("flip.tar").string(), path("flip").string());
  }
  EXPECT_EQ(readFile(path("src/proj.kpf")), readFile(path("flip/proj.kpf")));

  writeFile(path("noise.tar"), sampleData(20000, 7));
  EXPECT_NE(std::string::npos, handler.Extract(path("noise.tar").string(), path("out").string()).find("tag: 57"));
  // Project-file mode has no validation pass and still stops cleanly.
  writeFile(path("cut.tar"), good.substr(0, 1000));
  EXPECT_NE(std::string::npos,
            handler.ExtractProjectFile(path("cut.tar").string(), path("p").string()).find("tag: 75"));
  EXPECT_FALSE(fs::exists(path("p/proj.kpf")));
}

TEST_F(TarTest, CancelDuringCreationLeavesAClosedShorterArchive) {
  auto names = makeSources({{"a", 40000}, {"b", 40000}, {"c", 40000}});
  handler.SetProgressHook([](ArchiveHandler&, const char*, long, std::int64_t, long index, std::int64_t,
                             const char*, std::int64_t, std::int64_t done) {
    return index == 2 && done >= 20480 ? 1 : 0;
  });
  EXPECT_EQ("ERROR (Tar): Internal - tag: 85, file: b, reason: CANCELLED", create(names));
  EXPECT_LT(fs::file_size(path("pack.tar")), 3u * 40448u);
  if (haveTool("tar")) {
    EXPECT_EQ(0, run("test \"$(tar -tf " + quote(path("pack.tar")) + ")\" = \"$(printf 'a\\nb')\""));
  }
  // The cut entry holds what was copied, and says so in its header.
  handler.SetProgressHook(nullptr);
  EXPECT_EQ("", handler.Extract(path("pack.tar").string(), path("out").string()));
  EXPECT_EQ(readFile(path("src/a")), readFile(path("out/a")));
  std::string cut = readFile(path("out/b"));
  EXPECT_GE(cut.size(), 20480u);
  EXPECT_LT(cut.size(), 40000u);
  EXPECT_EQ(readFile(path("src/b")).substr(0, cut.size()), cut);

  // The same with the header already in an earlier, closed volume.
  handler.SetVolumeSize(1);
  handler.SetVolumeNameParts(path("one").string(), "v", "/", ".kpv");
  fs::create_directories(path("one"));
  handler.SetProgressHook([](ArchiveHandler&, const char* status, long, std::int64_t, long index, std::int64_t,
                             const char*, std::int64_t, std::int64_t done) {
    return index == 1 && done >= 20000 && std::string(status) != kArchiveVolumeTransition ? 1 : 0;
  });
  EXPECT_NE(std::string::npos, create(names).find("tag: 85"));
  std::string joined;
  for (const auto& name : listTree(path("one"))) joined += readFile(path("one") / name);
  writeFile(path("joined.tar"), joined);
  handler.SetVolumeSize(0);
  handler.SetProgressHook(nullptr);
  EXPECT_EQ("", handler.Extract(path("joined.tar").string(), path("out2").string()));
  EXPECT_EQ(readFile(path("src/a")).substr(0, 30208), readFile(path("out2/a")));

  // Cancel() names the volume being written.
  handler.SetVolumeSize(2);
  handler.SetVolumeNameParts(path("").string(), "v", "/", ".kpv");
  bool once = false;
  handler.SetProgressHook([&once](ArchiveHandler& h, const char*, long, std::int64_t, long index, std::int64_t,
                                  const char*, std::int64_t, std::int64_t) {
    if (index == 3 && !once) h.Cancel();
    once = once || index == 3;
    return 0;
  });
  // a and b fill four volumes of two records; the end blocks open a fifth.
  EXPECT_EQ("ERROR (Tar): Internal - tag: 86, file: v_000004_000007.kpv, reason: CANCELLED", create(names));
  EXPECT_TRUE(fs::exists(path("v_000005_000007.kpv")));
  EXPECT_FALSE(fs::exists(path("v_000006_000007.kpv")));
}

TEST_F(TarTest, CommandLineShape) {
  makeSources({{"a", 10}});
  EXPECT_EQ("ERROR (Tar): Internal - tag: 76, file: tar, reason: one of the options c, x or t is required",
            handler.RunTar({"pdtar_main", "-f", path("t.tar").string(), "-cx", "a"}, path("src").string()));
  EXPECT_EQ(0u, handler.GetListing().find("tar: valid options:\n"));
  EXPECT_NE(std::string::npos, handler.RunTar({"pdtar_main", "-f", "x.tar"}, "").find("tag: 76"));
  writeFile(path("names"), "a\n" + std::string(120, 'q') + "\n");
  EXPECT_NE(std::string::npos,
            handler.RunTar({"pdtar_main", "-f", "x.tar", "-c", "-T", path("names").string(), "a"}, "").find("tag: 77"));
  EXPECT_NE(std::string::npos,
            handler.RunTar({"pdtar_main", "-f", "x.tar", "-cT", path("nope").string()}, "").find("tag: 18"));
  std::string error = handler.RunTar({"pdtar_main", "-cvf", path("t.tar").string(), "-T", path("names").string()},
                                     path("src").string());
  EXPECT_NE(std::string::npos, error.find("tag: 78")) << error;
  if (haveTool("tar")) {
    EXPECT_EQ(0, run("test \"$(tar -tf " + quote(path("t.tar")) + ")\" = a"));
  }
  EXPECT_EQ("", handler.RunTar({"pdtar_main", "-tvf", path("t.tar").string(), "-b", "20"}, ""));
  EXPECT_EQ("a\n", handler.GetListing());
}

}  // namespace

TEST_F(TarTest, LongNamesFromOtherWritersStayInsideOrEndWithAnError) {
  // A name that fills the 100-byte field without a terminating zero, a
  // ustar prefix in front of it, and GNU long names: one too long for the
  // file system, one that leaves the folder.
  const std::string hundred(100, 'h');
  std::string tar = TarBuilder().add("placeholder", "100").finish();
  patchHeader(tar, 0, 0, hundred);
  writeFile(path("hundred.tar"), tar);
  ASSERT_EQ("", handler.Extract(path("hundred.tar").string(), path("box/in").string()));
  EXPECT_EQ("100", readFile(path("box/in") / hundred));

  const std::string prefix(150, 'p');
  const std::string script =
      "import tarfile,io,sys\n"
      "def add(t, name, data):\n"
      "  i = tarfile.TarInfo(name); i.size = len(data); t.addfile(i, io.BytesIO(data))\n"
      "t = tarfile.open(sys.argv[1], 'w', format=tarfile.USTAR_FORMAT)\n"
      "add(t, '" + prefix + "/" + hundred + "', b'prefixed')\n"
      "t.close()\n"
      "t = tarfile.open(sys.argv[2], 'w', format=tarfile.GNU_FORMAT)\n"
      "add(t, 'd/' + 'x' * 300, b'never')\n"
      "add(t, '../' * 40 + 'escaped.txt', b'out')\n"
      "add(t, 'ok/' + 'y' * 200, b'fine')\n"
      "t.close()\n";
  writeFile(path("mk.py"), script);
  if (!haveTool("python3")) GTEST_SKIP() << "python3 missing";
  ASSERT_EQ(0, run("python3 " + quote(path("mk.py")) + " " + quote(path("ustar.tar")) + " " + quote(path("gnu.tar"))));
  ASSERT_EQ("", handler.Extract(path("ustar.tar").string(), path("box/in").string()));
  EXPECT_EQ("prefixed", readFile(path("box/in") / prefix / hundred));

  std::string error = handler.Extract(path("gnu.tar").string(), path("box/in").string());
  EXPECT_EQ(0u, error.find("ERROR (Tar): Internal - tag: 9, file: ")) << error;
  EXPECT_NE(std::string::npos, error.find("/d/" + std::string(300, 'x') + ", reason: ")) << error;
  EXPECT_EQ("fine", readFile(path("box/in/ok") / std::string(200, 'y')));
  for (const std::string& name : listTree(path("box"))) EXPECT_EQ(0u, name.rfind("in", 0)) << name;
  EXPECT_FALSE(fs::exists(path("escaped.txt")));
}

// Found by fuzzing: a folder whose name holds ".kpf" was taken as the
// project file, and project-file mode reported success with no file.
TEST_F(TarTest, ProjectModePassesOverFoldersNamedLikeProjectFiles) {
  const std::string regress = std::string(QM_TEST_DATA) + "/regress/tar-project-folder-entry.tar";
  EXPECT_NE("", handler.ExtractProjectFile(regress, path("r").string()));

  writeFile(path("folder.tar"), TarBuilder().add("old.kpf/", "", '5').add("Proj.kpf", "project").finish());
  ASSERT_EQ("", handler.ExtractProjectFile(path("folder.tar").string(), path("p").string()));
  EXPECT_EQ("Proj.kpf", handler.GetFoundProjectEntry());
  EXPECT_EQ("project", readFile(path("p/Proj.kpf")));

  writeFile(path("only.tar"), TarBuilder().add("only.kpf/", "", '5').add("a.ps", "x").finish());
  EXPECT_EQ("ERROR (Minizip): No .kpf file found in archive " + path("only.tar").string(),
            handler.ExtractProjectFile(path("only.tar").string(), path("q").string()));
  EXPECT_EQ("", handler.GetFoundProjectEntry());
}

TEST_F(TarTest, FailedCreationLeavesThePreviousContainerAlone) {
  makeSources({{"a.bin", 3000}, {std::string(100, 'm'), 10}});
  writeFile(path("pack.kpc"), "the container that was there");
  std::string error = create({"a.bin", std::string(100, 'm')}, "pack.kpc");
  EXPECT_NE(std::string::npos, error.find("tag: 70")) << error;
  EXPECT_EQ("the container that was there", readFile(path("pack.kpc")));
  create({"a.bin", "missing.bin"}, "new.kpc");
  EXPECT_FALSE(fs::exists(path("new.kpc")));

  // Volumes: none of them is left, and no part file either.
  handler.SetVolumeSize(1);
  fs::create_directories(path("vol"));
  error = create({"a.bin", std::string(100, 'm')}, "vol/set.kpc");
  EXPECT_NE(std::string::npos, error.find("tag: 70")) << error;
  EXPECT_TRUE(listTree(path("vol")).empty());
}

TEST_F(TarTest, AContainerNeverReplacesAFileItPacks) {
  makeSources({{"a.bin", 3000}, {"p.kpf", 10}});
  const std::string original = readFile(path("src/p.kpf"));
  std::string error = handler.Create(path("src/p.kpf").string(), {"a.bin", "p.kpf"}, path("src").string());
  EXPECT_NE(std::string::npos, error.find("tag: 60")) << error;
  EXPECT_EQ(original, readFile(path("src/p.kpf")));
  // A volume named like a file to pack.
  handler.SetVolumeSize(1);
  handler.SetVolumeNameParts(path("src").string(), "p", "/", ".kpf");
  writeFile(path("src/p_000001_000001.kpf"), "a volume's name");
  error = handler.Create(path("ignored.kpc").string(), {"p_000001_000001.kpf"}, path("src").string());
  EXPECT_NE(std::string::npos, error.find("tag: 60")) << error;
  EXPECT_EQ("a volume's name", readFile(path("src/p_000001_000001.kpf")));
}

TEST_F(TarTest, HardLinksCountAgainstTheTotal) {
  // One 1 MiB file and twenty links to it: 21 MiB for whoever reads the
  // folder, from a container of about 1 MiB.
  TarBuilder tar;
  tar.add("big.bin", std::string(1 << 20, 'b'));
  for (int i = 0; i < 20; ++i) tar.add("l" + std::to_string(i), "", '1', "big.bin");
  writeFile(path("links.tar"), tar.finish());
  ArchiveExtractLimits fixed;
  fixed.maxTotalBytes = std::int64_t{6} << 20;
  // Four times the 1064960-byte container: the file and three links.
  ArchiveExtractLimits scaled;
  scaled.containerMultiple = 4;
  scaled.totalFloor = 0;
  const std::pair<ArchiveExtractLimits, std::string> cases[] = {{fixed, "l5"}, {scaled, "l3"}};
  for (const auto& [limits, refused] : cases) {
    handler.SetExtractLimits(limits);
    const fs::path out = path("out_" + refused);
    std::string error = handler.Extract(path("links.tar").string(), out.string());
    EXPECT_NE(std::string::npos, error.find("Internal - tag: 64, file: " + refused + ", ")) << error;
    EXPECT_FALSE(fs::exists(out / refused)) << refused;
  }
}
