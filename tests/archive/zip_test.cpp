// Zip containers: round trips, peers, modes, questions, cancellation and
// damaged or hostile input.
#include <zip.h>

#include <atomic>
#include <thread>

#include "archive/container_listing.h"
#include "archive_test_util.h"
#include "tests/common/part_files.h"

using namespace archive_test;

namespace {

class ZipTest : public ArchiveTest {
 protected:
  // Creates pack.kpc from the sources (read relative to src/).
  std::string create(ArchiveHandler& handler, const std::vector<std::string>& names,
                     const std::string& container = "pack.kpc") {
    return handler.Create(path(container).string(), names, path("src").string());
  }
};

TEST_F(ZipTest, RoundTripKeepsBytesTimesAndFolders) {
  auto names = makeSources({{"proj.kpf", 700}, {"formlib/a.ps", 100000}, {"deep/er/b.bin", 3}, {"empty", 0}});
  ArchiveHandler handler;
  ASSERT_EQ("", create(handler, names));
  EXPECT_EQ("Creating archive: " + path("pack.kpc").string(), handler.GetStatusText());
  EXPECT_EQ(4, handler.GetFileCount());
  EXPECT_EQ(100703, handler.GetTotalBytes());
  EXPECT_EQ(100703, handler.GetBytesDone());

  ASSERT_EQ("", handler.Extract(path("pack.kpc").string(), path("out").string()));
  expectSame(names, path("out"), false);
  EXPECT_EQ((std::vector<std::string>{"deep/", "deep/er/", "deep/er/b.bin", "empty", "formlib/", "formlib/a.ps",
                                      "proj.kpf"}),
            listTree(path("out")));
  EXPECT_EQ("Extracting archive: " + path("pack.kpc").string(), handler.GetStatusText());
}

TEST_F(ZipTest, ContainerNamesAreCompletedWithKpc) {
  auto names = makeSources({{"a.txt", 10}});
  ArchiveHandler handler;
  // No "." at all: ".kpc" added; a "." anywhere, even in a folder: unchanged.
  ASSERT_EQ("", create(handler, names, "plain"));
  EXPECT_TRUE(fs::exists(path("plain.kpc")));
  fs::create_directories(path("d.x"));
  ASSERT_EQ("", create(handler, names, "d.x/noext"));
  EXPECT_TRUE(fs::exists(path("d.x/noext")));

  // Opening tries the name, then the name with ".kpc"; the status names the
  // file that was opened.
  ASSERT_EQ("", handler.Extract(path("plain").string(), path("out").string()));
  EXPECT_EQ("Extracting archive: " + path("plain.kpc").string(), handler.GetStatusText());

  std::string missing = path("nothing").string();
  EXPECT_EQ("ERROR (Minizip): Cannot open " + missing + " or " + missing + ".kpc",
            handler.Extract(missing, path("out").string()));
  EXPECT_EQ(kArchiveMsgCannotOpen, handler.GetErrorTemplate());
}

TEST_F(ZipTest, CreateReplacesAndReportsUnreadableFiles) {
  auto names = makeSources({{"a.txt", 10}});
  ArchiveHandler handler;
  writeFile(path("pack.kpc"), std::string(5000, 'x'));
  ASSERT_EQ("", create(handler, names));
  if (haveTool("unzip")) {
    EXPECT_EQ(0, run("unzip -tq " + quote(path("pack.kpc")) + " >/dev/null"));
  }

  EXPECT_EQ("ERROR (Minizip): Could not read missing.txt in archive", create(handler, {"a.txt", "missing.txt"}));
  EXPECT_EQ(kArchiveMsgReadInZip, handler.GetErrorTemplate());
  std::string noFolder = path("no/such/dir/x.kpc").string();
  EXPECT_EQ("ERROR (Minizip): Cannot create archive " + noFolder, handler.Create(noFolder, {"a.txt"}));
}

TEST_F(ZipTest, PeersReadOurContainers) {
  if (!haveTool("unzip") || !haveTool("python3")) GTEST_SKIP() << "unzip or python3 missing";
  auto names = makeSources({{"proj.kpf", 700}, {"lib/a.ps", 50000}});
  ArchiveHandler handler;
  ASSERT_EQ("", create(handler, names));
  EXPECT_EQ(0, run("unzip -tq " + quote(path("pack.kpc")) + " >/dev/null"));
  std::string script =
      "import zipfile,sys\n"
      "z=zipfile.ZipFile(sys.argv[1])\n"
      "assert z.testzip() is None\n"
      "assert z.namelist()==['proj.kpf','lib/a.ps'], z.namelist()\n"
      "assert z.read('lib/a.ps')==open(sys.argv[2],'rb').read()\n"
      "assert z.getinfo('lib/a.ps').compress_type==zipfile.ZIP_DEFLATED\n"
      "assert z.getinfo('lib/a.ps').date_time==(2021,3,4,5,6,8), z.getinfo('lib/a.ps').date_time\n";
  writeFile(path("check.py"), script);
  EXPECT_EQ(0, run("python3 " + quote(path("check.py")) + " " + quote(path("pack.kpc")) + " " +
                   quote(path("src/lib/a.ps"))));
}

TEST_F(ZipTest, WeReadInfoZipAndPythonContainersWithTheirFolders) {
  if (!haveTool("zip") || !haveTool("python3")) GTEST_SKIP() << "zip or python3 missing";
  auto names = makeSources({{"proj.kpf", 300}, {"fonts/sub/f.pfb", 40000}, {"top.txt", 12}});
  // Info-ZIP stores the folder entries too.
  ASSERT_EQ(0, run("cd " + quote(path("src")) + " && zip -qr ../infozip.zip ."));
  ArchiveHandler handler;
  ASSERT_EQ("", handler.Extract(path("infozip.zip").string(), path("out1").string()));
  expectSame(names, path("out1"), false);

  std::string script =
      "import zipfile,sys,os\n"
      "with zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED) as z:\n"
      "  for n in sys.argv[3:]: z.write(os.path.join(sys.argv[2],n), n)\n";
  writeFile(path("make.py"), script);
  ASSERT_EQ(0, run("python3 " + quote(path("make.py")) + " " + quote(path("py.zip")) + " " + quote(path("src")) +
                   " proj.kpf fonts/sub/f.pfb top.txt"));
  ASSERT_EQ("", handler.Extract(path("py.zip").string(), path("out2").string()));
  expectSame(names, path("out2"), false);
  EXPECT_EQ((std::vector<std::string>{"fonts/", "fonts/sub/", "fonts/sub/f.pfb", "proj.kpf", "top.txt"}),
            listTree(path("out2")));
}

TEST_F(ZipTest, ProjectFileModeExtractsTheFirstKpfEntry) {
  fs::path zip = path("c.kpc");
  makeRawZip(zip, {{"a/readme.txt", "r"},
                   {"dir.kpf/", ""},
                   {"dir/PROJ.KPF", "upper"},
                   {"x.kpf.bak", "middle"},
                   {"other/PROJ.KPF", "second"},
                   {"z.ps", "z"}});
  ArchiveHandler handler;
  ASSERT_EQ("", handler.ExtractProjectFile(zip.string(), path("out").string()));
  // One entry, the first file holding ".kpf" in any case, under its bare
  // name: a later one of the same bare name never lands on it.
  EXPECT_EQ((std::vector<std::string>{"PROJ.KPF"}), listTree(path("out")));
  EXPECT_EQ("upper", readFile(path("out/PROJ.KPF")));
  EXPECT_EQ("dir/PROJ.KPF", handler.GetFoundProjectEntry());
  EXPECT_EQ((path("out") / "PROJ.KPF").string(), handler.GetFoundProjectFile());

  makeRawZip(path("none.kpc"), {{"a.txt", "a"}});
  EXPECT_EQ("ERROR (Minizip): No .kpf file found in archive " + path("none.kpc").string(),
            handler.ExtractProjectFile(path("none.kpc").string(), path("out").string()));
  EXPECT_EQ("", handler.GetFoundProjectEntry());
}

TEST_F(ZipTest, NamedModeMatchesTheBareNameExactly) {
  fs::path zip = path("c.kpc");
  makeRawZip(zip, {{"one/Item.ps", "first"}, {"two/item.ps", "second"}, {"three/item.ps", "third"}});
  ArchiveHandler handler;
  ASSERT_EQ("", handler.ExtractNamed(zip.string(), "item.ps", path("out").string()));
  EXPECT_EQ("second", readFile(path("out/item.ps")));
  EXPECT_EQ((std::vector<std::string>{"item.ps"}), listTree(path("out")));
  EXPECT_EQ("ERROR (Minizip): No .kpf file found in archive " + zip.string(),
            handler.ExtractNamed(zip.string(), "two/item.ps", path("out").string()));
}

TEST_F(ZipTest, OverwriteQuestionAnswers) {
  fs::path zip = path("c.kpc");
  makeRawZip(zip, {{"a/x.txt", "new1"}, {"b/x.txt", "new2"}, {"y.txt", "new3"}, {"z.txt", "new4"}});
  writeFile(path("out/a/x.txt"), "old1");
  writeFile(path("out/y.txt"), "old3");
  writeFile(path("out/z.txt"), "old4");

  ArchiveHandler handler;
  std::vector<std::string> asked;
  std::string answers;
  handler.SetOverwriteHook([&](ArchiveHandler&, const char* file) {
    asked.push_back(fs::path(file).filename().string());
    char answer = answers.empty() ? 'Y' : answers[0];
    if (!answers.empty()) answers.erase(0, 1);
    return answer;
  });
  // Only existing files meet the question; "N" keeps the file.
  answers = "NNY";
  ASSERT_EQ("", handler.Extract(zip.string(), path("out").string()));
  EXPECT_EQ((std::vector<std::string>{"x.txt", "y.txt", "z.txt"}), asked);
  EXPECT_EQ("old1", readFile(path("out/a/x.txt")));
  EXPECT_EQ("new2", readFile(path("out/b/x.txt")));
  EXPECT_EQ("old3", readFile(path("out/y.txt")));
  EXPECT_EQ("new4", readFile(path("out/z.txt")));

  // "A" answers for the rest of this operation only.
  asked.clear();
  answers = "AN";
  ASSERT_EQ("", handler.Extract(zip.string(), path("out").string()));
  EXPECT_EQ((std::vector<std::string>{"x.txt"}), asked);
  EXPECT_EQ("new3", readFile(path("out/y.txt")));
  asked.clear();
  answers = "NNNN";
  ASSERT_EQ("", handler.Extract(zip.string(), path("out").string()));
  EXPECT_EQ(4u, asked.size());
}

TEST_F(ZipTest, CancelDuringCreationLeavesAClosedShorterArchive) {
  auto names = makeSources({{"a", 40000}, {"b", 40000}, {"c", 40000}, {"d", 40000}});
  ArchiveHandler handler;
  std::vector<long> started;
  handler.SetProgressHook([&](ArchiveHandler&, const char*, long, std::int64_t, long index, std::int64_t,
                              const char*, std::int64_t, std::int64_t done) {
    if (done == 0) started.push_back(index);
    return index == 3 ? 1 : 0;  // stop at the third file
  });
  std::string error = create(handler, names);
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 84, file: c, reason: CANCELLED", error);
  EXPECT_EQ(kArchiveMsgInternal, handler.GetErrorTemplate());
  EXPECT_EQ((std::vector<long>{1, 2, 3}), started);
  if (haveTool("unzip")) {
    EXPECT_EQ(0, run("unzip -tq " + quote(path("pack.kpc")) + " >/dev/null"));
    EXPECT_EQ(0, run("test \"$(unzip -Z1 " + quote(path("pack.kpc")) + ")\" = \"$(printf 'a\\nb')\""));
  }

  // Cancel() from inside a hook, in the middle of a file.
  handler.SetProgressHook([&](ArchiveHandler& h, const char*, long, std::int64_t, long index, std::int64_t,
                              const char*, std::int64_t, std::int64_t done) {
    if (index == 2 && done > 0) h.Cancel();
    return 0;
  });
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 86, file: , reason: CANCELLED", create(handler, names));
  EXPECT_TRUE(handler.IsCancelled());
  if (haveTool("unzip")) {
    EXPECT_EQ(0, run("unzip -tq " + quote(path("pack.kpc")) + " >/dev/null"));
  }
}

TEST_F(ZipTest, HostileNamesStayInsideTheFolder) {
  fs::path zip = path("evil.zip");
  std::string outside = path("outside").string();
  fs::create_directories(path("outside"));
  makeRawZip(zip, {{"../evil1.txt", "1"},
                   {outside + "/evil2.txt", "2"},
                   {"C:evil3.txt", "3"},
                   {"sub/..", "4"},
                   {"..\\..\\evil5.txt", "5"},
                   {"lnk", outside},
                   {"lnk/evil6.txt", "6"},
                   {"good.txt", "g"}},
             {false, false, false, false, false, true});
  ArchiveHandler handler;
  std::string error = handler.Extract(zip.string(), path("box/in").string());
  EXPECT_FALSE(error.empty());
  // Nothing outside the folder: names that climb out, are absolute or name
  // a drive are refused; the link entry is a plain file, so nothing goes
  // through it; the rest is extracted.
  EXPECT_EQ((std::vector<std::string>{"in/", "in/good.txt", "in/lnk"}), listTree(path("box")));
  EXPECT_TRUE(listTree(path("outside")).empty());
  EXPECT_FALSE(fs::is_symlink(path("box/in/lnk")));

  // A link already in the folder is replaced, never written through.
  writeFile(path("outside/victim.txt"), "keep");
  fs::create_directories(path("box2"));
  if (!makeSymlink(path("outside/victim.txt"), path("box2/good.txt")))
    GTEST_SKIP() << "the rest plants a symbolic link, which this system cannot create";
  handler.Extract(zip.string(), path("box2").string());
  EXPECT_EQ("keep", readFile(path("outside/victim.txt")));
  EXPECT_FALSE(fs::is_symlink(path("box2/good.txt")));
  EXPECT_EQ("g", readFile(path("box2/good.txt")));
}

TEST_F(ZipTest, DamagedContainersEndWithAnErrorText) {
  auto names = makeSources({{"proj.kpf", 2000}, {"a.ps", 60000}});
  ArchiveHandler handler;
  ASSERT_EQ("", create(handler, names));
  std::string good = readFile(path("pack.kpc"));

  // Truncated anywhere: an error, never a crash.
  for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{100}, good.size() / 2, good.size() - 30}) {
    writeFile(path("cut.kpc"), good.substr(0, cut));
    EXPECT_NE("", handler.Extract(path("cut.kpc").string(), path("out").string())) << cut;
  }
  // Damaged compressed data: the check fails and no damaged file is kept.
  std::string bad = good;
  std::size_t dataAt = good.find("a.ps") + 4 + 200;
  for (std::size_t i = dataAt; i < dataAt + 64; ++i) bad[i] = static_cast<char>(bad[i] ^ 0x5a);
  writeFile(path("bad.kpc"), bad);
  fs::remove_all(path("out"));
  std::string error = handler.Extract(path("bad.kpc").string(), path("out").string());
  EXPECT_EQ(kArchiveMsgDamaged, handler.GetErrorTemplate()) << error;
  EXPECT_EQ(0u, error.find("ERROR (Minizip): Archive " + path("bad.kpc").string() + " is damaged at entry a.ps ("))
      << error;
  EXPECT_FALSE(fs::exists(path("out/a.ps")));

  // Every byte flipped in turn over the headers and directory.
  for (std::size_t i = 0; i < good.size(); i += (i < 200 || i > good.size() - 300) ? 7 : 997) {
    std::string flipped = good;
    flipped[i] = static_cast<char>(flipped[i] ^ 0xff);
    writeFile(path("flip.kpc"), flipped);
    handler.Extract(path("flip.kpc").string(), path("flip").string());
  }
}

TEST_F(ZipTest, HandlersKeepTheirOwnState) {
  auto names = makeSources({{"one.kpf", 100}, {"big.bin", 3000000}});
  makeRawZip(path("two.kpc"), {{"two.kpf", "2"}});
  ArchiveHandler first(reinterpret_cast<void*>(0x1));
  ArchiveHandler second(reinterpret_cast<void*>(0x2));
  EXPECT_EQ(reinterpret_cast<void*>(0x1), first.GetOwner());
  ASSERT_EQ("", create(first, names));
  ASSERT_EQ("", first.ExtractProjectFile(path("pack.kpc").string(), path("o1").string()));
  ASSERT_EQ("", second.ExtractProjectFile(path("two.kpc").string(), path("o2").string()));
  EXPECT_EQ("one.kpf", first.GetFoundProjectEntry());
  EXPECT_EQ("two.kpf", second.GetFoundProjectEntry());

  // Side by side on two threads, one of them cancelled.
  std::atomic<int> calls{0};
  second.SetProgressHook([&](ArchiveHandler& h, const char*, long, std::int64_t, long, std::int64_t,
                             const char*, std::int64_t, std::int64_t) {
    if (++calls == 3) h.Cancel();
    return 0;
  });
  std::string e1, e2;
  std::thread t1([&] { e1 = first.Extract(path("pack.kpc").string(), path("t1").string()); });
  std::thread t2([&] { e2 = second.Extract(path("pack.kpc").string(), path("t2").string()); });
  t1.join();
  t2.join();
  EXPECT_EQ("", e1);
  EXPECT_EQ("", first.GetErrorText());
  EXPECT_NE(std::string::npos, e2.find("tag: 86"));
  expectSame(names, path("t1"), true);
}

}  // namespace

namespace {

// Raw deflate of data (no zlib header), as a zip entry stores it.
std::string rawDeflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct RawEntry {
  std::string name;
  std::string stored;        // bytes as they stand in the archive
  std::uint64_t claimedSize;  // uncompressed size written into the headers
  unsigned long crc;
  int method;
};

// A zip whose headers claim what the entries say, whatever the data is.
void makeLyingZip(const fs::path& zipPath, const std::vector<RawEntry>& entries) {
  zipFile zf = zipOpen64(zipPath.string().c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(nullptr, zf);
  for (const RawEntry& e : entries) {
    zip_fileinfo zi{};
    ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip2_64(zf, e.name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, e.method,
                                              Z_BEST_COMPRESSION, 1, 1));
    zipWriteInFileInZip(zf, e.stored.data(), static_cast<unsigned>(e.stored.size()));
    zipCloseFileInZipRaw64(zf, e.claimedSize, e.crc);
  }
  zipClose(zf, nullptr);
}

unsigned long crcOf(const std::string& data) {
  return crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
}

RawEntry honest(const std::string& name, const std::string& data) {
  return {name, rawDeflate(data), data.size(), crcOf(data), Z_DEFLATED};
}

}  // namespace

TEST_F(ZipTest, ZipBombsStopAtTheLimitsWithNothingLeft) {
  const std::string zeros(4 << 20, '\0');
  ArchiveHandler handler;
  ArchiveExtractLimits small;
  small.maxRatio = 100;
  small.ratioFloor = 1 << 20;
  small.maxTotalBytes = 6 << 20;

  // 4 MiB of zeros deflate to a few KiB: refused before a byte is written,
  // the entries before it stay.
  makeLyingZip(path("bomb.kpc"), {honest("first.txt", "fine"), honest("zeros.bin", zeros), honest("after.txt", "x")});
  handler.SetExtractLimits(small);
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 63, file: zeros.bin, reason: entry inflates more than 100 times its "
            "compressed size",
            handler.Extract(path("bomb.kpc").string(), path("out").string()));
  EXPECT_EQ((std::vector<std::string>{"first.txt"}), listTree(path("out")));

  // Incompressible entries pass the ratio but not the total.
  const std::string noise = sampleData(3 << 20, 9);
  makeLyingZip(path("total.kpc"), {honest("a.bin", noise), honest("b.bin", noise), honest("c.bin", noise)});
  fs::remove_all(path("out"));
  handler.SetExtractLimits(small);
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 64, file: c.bin, reason: extraction would pass the limit of 6291456 "
            "bytes",
            handler.Extract(path("total.kpc").string(), path("out").string()));
  EXPECT_EQ((std::vector<std::string>{"a.bin", "b.bin"}), listTree(path("out")));
  // The count runs on over the operations of one opening, until the limits
  // are set again.
  EXPECT_NE("", handler.ExtractNamed(path("total.kpc").string(), "a.bin", path("again").string()));
  EXPECT_FALSE(fs::exists(path("again/a.bin")));
  handler.SetExtractLimits(small);
  // The named mode is bounded the same way (and reports, as for any failed
  // entry, that the entry was not found).
  EXPECT_EQ("ERROR (Minizip): No .kpf file found in archive " + path("bomb.kpc").string(),
            handler.ExtractNamed(path("bomb.kpc").string(), "zeros.bin", path("n").string()));
  EXPECT_FALSE(fs::exists(path("n/zeros.bin")));

  // The default bounds, against a header that claims 4 GiB for 4 KiB of
  // data: nothing is inflated at all.
  ArchiveHandler defaults;
  EXPECT_EQ(250, defaults.GetExtractLimits().maxRatio);
  EXPECT_EQ(std::int64_t{1} << 20, defaults.GetExtractLimits().ratioFloor);
  EXPECT_EQ(kArchiveTotalFromContainer, defaults.GetExtractLimits().maxTotalBytes);
  makeLyingZip(path("huge.kpc"), {{"huge.bin", rawDeflate(zeros), 0xFFFFFFFEu, 0, Z_DEFLATED}});
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 63, file: huge.bin, reason: entry inflates more than 250 times its "
            "compressed size",
            defaults.Extract(path("huge.kpc").string(), path("d").string()));
  EXPECT_TRUE(listTree(path("d")).empty());
  // Entries far below the old 64 MiB floor are checked too: the 4 MiB of
  // zeros are refused under the defaults.
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 63, file: zeros.bin, reason: entry inflates more than 250 times its "
            "compressed size",
            defaults.Extract(path("bomb.kpc").string(), path("d").string()));
  // The total from the container's size: once the size of a container of
  // 3 MiB of random bytes (which do not shrink) and 4 MiB of one letter
  // lets the random bytes through, not the letters.
  ArchiveExtractLimits scaled;
  scaled.maxRatio = 0;
  scaled.containerMultiple = 1;
  scaled.totalFloor = 0;
  std::mt19937 rng(5);
  std::string random(3 << 20, '\0');
  for (char& c : random) c = static_cast<char>(rng() & 0xff);
  makeLyingZip(path("grow.kpc"), {honest("a.bin", random), honest("z.bin", std::string(4 << 20, 'z'))});
  defaults.SetExtractLimits(scaled);
  std::string error = defaults.Extract(path("grow.kpc").string(), path("g").string());
  EXPECT_EQ(0u, error.find("ERROR (Minizip): Internal - tag: 64, file: z.bin, ")) << error;
  EXPECT_EQ((std::vector<std::string>{"a.bin"}), listTree(path("g")));
}

TEST_F(ZipTest, Zip64SizesAreTheTrueOnes) {
  // A 5 GB claim, in the Zip64 field, for ten stored bytes.
  const std::string ten(10, 'x');
  makeLyingZip(path("big.kpc"), {{"big.bin", ten, 5000000000u, crcOf(ten), 0}});
  std::vector<ContainerEntry> entries;
  ASSERT_EQ("", ListContainerEntries(path("big.kpc").string(), entries));
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ(5000000000u, entries[0].size);
  // A cap between 4 GiB and the true size stops it before a byte is written.
  ArchiveHandler handler;
  ArchiveExtractLimits limits;
  limits.maxRatio = 0;
  limits.maxTotalBytes = 4500000000;
  handler.SetExtractLimits(limits);
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 64, file: big.bin, reason: extraction would pass the limit of "
            "4500000000 bytes",
            handler.Extract(path("big.kpc").string(), path("out").string()));
  EXPECT_TRUE(listTree(path("out")).empty());
  // So does the free space, where the disk holds less than 5 GB.
  if (fs::space(root_).available < 5000000000) {
    limits.maxTotalBytes = 0;
    handler.SetExtractLimits(limits);
    std::string error = handler.Extract(path("big.kpc").string(), path("out").string());
    EXPECT_NE(std::string::npos, error.find("tag: 65, file: big.bin, reason: entry of 5000000000 bytes")) << error;
  }

  // Peers that put small sizes into the Zip64 field.
  if (!haveTool("zip") || !haveTool("python3")) GTEST_SKIP() << "zip or python3 missing";
  makeSources({{"a.ps", 3000}});
  ASSERT_EQ(0, run("cd " + quote(path("src")) + " && zip -q -fz ../fz.kpc a.ps"));
  writeFile(path("make.py"),
            "import zipfile,sys\n"
            "with zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED) as z:\n"
            "  with z.open('a.ps','w',force_zip64=True) as f: f.write(open(sys.argv[2],'rb').read())\n");
  ASSERT_EQ(0, run("python3 " + quote(path("make.py")) + " " + quote(path("py.kpc")) + " " + quote(path("src/a.ps"))));
  for (const char* peer : {"fz", "py"}) {
    const std::string container = path(std::string(peer) + ".kpc").string();
    ASSERT_EQ("", ListContainerEntries(container, entries)) << peer;
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(3000u, entries[0].size) << peer;
    const fs::path out = path(std::string("peer_") + peer);
    EXPECT_EQ("", ArchiveHandler().Extract(container, out.string())) << peer;
    EXPECT_EQ(readFile(path("src/a.ps")), readFile(out / "a.ps")) << peer;
  }
}

TEST_F(ZipTest, EntriesThatLieAboutTheirSizeLeaveNothing) {
  const std::string data = sampleData(300000, 4);
  // Claims fewer bytes than the data holds: inflating stops at the claim and
  // the check fails.
  makeLyingZip(path("short.kpc"), {{"short.bin", rawDeflate(data), 1000, crcOf(data), Z_DEFLATED}});
  // Claims more than the data holds: the data ends early.
  makeLyingZip(path("long.kpc"), {{"long.bin", rawDeflate(data), 5000000, crcOf(data), Z_DEFLATED}});
  // The right size with a wrong checksum.
  makeLyingZip(path("crc.kpc"), {{"crc.bin", rawDeflate(data), data.size(), crcOf(data) ^ 1, Z_DEFLATED}});
  // Compressed data cut in the middle.
  makeLyingZip(path("cut.kpc"),
               {{"cut.bin", rawDeflate(data).substr(0, 1000), data.size(), crcOf(data), Z_DEFLATED}});
  ArchiveHandler handler;
  for (const char* name : {"short", "crc", "cut"}) {
    std::string error = handler.Extract(path(std::string(name) + ".kpc").string(), path("out").string());
    // The message names the entry, not only the library's error number.
    EXPECT_NE(std::string::npos, error.find(" is damaged at entry " + std::string(name) + ".bin (")) << error;
    EXPECT_TRUE(listTree(path("out")).empty()) << name;
  }
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 75, file: long.bin, reason: entry data shorter than its stored size",
            handler.Extract(path("long.kpc").string(), path("out").string()));
  EXPECT_TRUE(listTree(path("out")).empty());
}

TEST_F(ZipTest, LongEntryNamesEndWithAnError) {
  const std::string hundred(100, 'h');
  const std::string tooLong(300, 'x');  // longer than a file name may be
  makeRawZip(path("long.kpc"), {{"dir/" + hundred, "100"}, {std::string(4000, 'd') + "/a.txt", "deep"},
                                {tooLong, "never"}, {"after.txt", "after"}});
  ArchiveHandler handler;
  std::string error = handler.Extract(path("long.kpc").string(), path("box/in").string());
  EXPECT_EQ("ERROR (Minizip): Could not open file " + (path("box/in") / tooLong).string(), error);
  EXPECT_EQ((std::vector<std::string>{"in/", "in/after.txt", "in/dir/", "in/dir/" + hundred}), listTree(path("box")));
  EXPECT_EQ("100", readFile(path("box/in/dir") / hundred));
}

TEST_F(ZipTest, EntriesOfOneNameInTwoFoldersBothExtractAsPeersDo) {
  fs::path zip = path("peer.kpc");
  makeRawZip(zip, {{"a/x.frm", "from a"}, {"b/x.frm", "from b"}, {"b/", ""}, {"x.frm", "top"}});
  ArchiveHandler handler;
  ASSERT_EQ("", handler.Extract(zip.string(), path("out").string()));
  EXPECT_EQ("from a", readFile(path("out/a/x.frm")));
  EXPECT_EQ("from b", readFile(path("out/b/x.frm")));
  EXPECT_EQ("top", readFile(path("out/x.frm")));
  std::vector<std::string> written;
  for (const ArchiveExtracted& e : handler.GetExtractedEntries())
    written.push_back(e.entryName + "=" + fs::path(e.path).lexically_relative(path("out")).generic_string());
  EXPECT_EQ((std::vector<std::string>{"a/x.frm=a/x.frm", "b/x.frm=b/x.frm", "x.frm=x.frm"}), written);
  if (haveTool("unzip")) {
    ASSERT_EQ(0, run("unzip -q " + quote(zip) + " -d " + quote(path("byunzip"))));
    EXPECT_EQ(listTree(path("byunzip")), listTree(path("out")));
  }
}

TEST_F(ZipTest, NonAsciiNamesAreMarkedUtf8) {
  if (!haveTool("python3")) GTEST_SKIP() << "python3 missing";
  const std::string utf8 = "caf\xc3\xa9/na\xc3\xafve \xe2\x82\xac.ps";
  const std::string latin1 = "r\xe9sum\xe9.ps";  // not UTF-8: stored unmarked
  auto names = makeSources({{utf8, 100}, {"plain.ps", 10}, {latin1, 10}});
  ArchiveHandler handler;
  ASSERT_EQ("", create(handler, names));
  std::string script =
      "import zipfile,sys\n"
      "z=zipfile.ZipFile(sys.argv[1])\n"
      "i=z.infolist()\n"
      "assert i[0].filename=='caf\\u00e9/na\\u00efve \\u20ac.ps', i[0].filename\n"
      "assert i[0].flag_bits & 0x800, hex(i[0].flag_bits)\n"
      "assert not i[1].flag_bits & 0x800 and not i[2].flag_bits & 0x800\n"
      "assert z.testzip() is None\n";
  writeFile(path("check.py"), script);
  EXPECT_EQ(0, run("python3 " + quote(path("check.py")) + " " + quote(path("pack.kpc"))));
  if (haveTool("unzip")) {
    EXPECT_EQ(0, run("unzip -Z1 " + quote(path("pack.kpc")) + " | grep -qx 'caf\xc3\xa9/na\xc3\xafve \xe2\x82\xac.ps'"));
    ASSERT_EQ(0, run("unzip -q " + quote(path("pack.kpc")) + " -d " + quote(path("byunzip"))));
    EXPECT_EQ(readFile(path("src") / utf8), readFile(path("byunzip") / utf8));
  }
  // Our own reader gives back the same bytes.
  ASSERT_EQ("", handler.Extract(path("pack.kpc").string(), path("out").string()));
  expectSame(names, path("out"), false);
}

TEST_F(ZipTest, FailedCreationLeavesThePreviousContainerAlone) {
  auto names = makeSources({{"a.txt", 10}, {"b.txt", 20}});
  writeFile(path("pack.kpc"), "the container that was there");
  ArchiveHandler handler;
  EXPECT_EQ("ERROR (Minizip): Could not read missing.txt in archive", create(handler, {"a.txt", "missing.txt"}));
  EXPECT_EQ("the container that was there", readFile(path("pack.kpc")));
  EXPECT_EQ((std::vector<std::string>{"pack.kpc", "src/", "src/a.txt", "src/b.txt"}), listTree(path("")));
  // No container at all when there was none.
  create(handler, {"missing.txt", "b.txt"}, "new.kpc");
  EXPECT_FALSE(fs::exists(path("new.kpc")));
  EXPECT_TRUE(qmtest::partFilesOf(path("new.kpc")).empty());
}

TEST_F(ZipTest, AContainerNeverReplacesAFileItPacks) {
  auto names = makeSources({{"a.txt", 10}, {"p.kpf", 20}});
  ArchiveHandler handler;
  const std::string original = readFile(path("src/p.kpf"));
  std::string error = handler.Create(path("src/p.kpf").string(), {"a.txt", "p.kpf"}, path("src").string());
  EXPECT_EQ("ERROR (Minizip): Internal - tag: 60, file: " + path("src/p.kpf").string() +
                ", reason: the archive would replace p.kpf, which it packs",
            error);
  EXPECT_EQ(original, readFile(path("src/p.kpf")));
  // Also through another spelling of the same file, and for named members.
  error = handler.Create((path("src/../src/p.kpf")).string(),
                         std::vector<ArchiveMember>{{"x/p.kpf", path("src/p.kpf").string()}});
  EXPECT_NE(std::string::npos, error.find("tag: 60")) << error;
  EXPECT_EQ(original, readFile(path("src/p.kpf")));
  EXPECT_EQ((std::vector<std::string>{"a.txt", "p.kpf"}), listTree(path("src")));
}

TEST_F(ZipTest, MembersAreNamedByTheCaller) {
  makeSources({{"tmp/x1", 10}, {"elsewhere/x2", 20}});
  ArchiveHandler handler;
  ASSERT_EQ("", handler.Create(path("pack.kpc").string(),
                               std::vector<ArchiveMember>{{"F/P/P.kpf", path("src/tmp/x1").string()},
                                                          {"gshared/logo.tif", path("src/elsewhere/x2").string()}}));
  ASSERT_EQ("", handler.Extract(path("pack.kpc").string(), path("out").string()));
  EXPECT_EQ(readFile(path("src/tmp/x1")), readFile(path("out/F/P/P.kpf")));
  EXPECT_EQ(readFile(path("src/elsewhere/x2")), readFile(path("out/gshared/logo.tif")));
}
