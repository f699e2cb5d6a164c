// Containers on real files: creating zip and tar-in-volumes containers,
// installing them into scope directories, print-and-forget and its
// removal, peeking, single entries, damaged and hostile containers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "archive/archive_handler.h"
#include "kpsdk/kx_tree.h"
#include "kx_test_util.h"

using kxtest::TempDir;
using kxtest::writeFile;

namespace {

struct Source {
  std::string name;
  int scope;
  std::string text;
};

// A project with resources in all three scopes, saved in its local folder.
std::unique_ptr<KxProject> sourceProject(const TempDir& dir, const std::vector<Source>& files) {
  auto p = kxtest::projectIn(dir.path());
  kxtest::describe(*p, "Fold", "Proj");
  for (const Source& f : files) {
    auto r = kxResourceNew();
    r->SetName(f.name);
    r->SetType(f.name.ends_with(".ps") ? "ps" : "img");
    r->SetScope(f.scope);
    r->SetPath(p->ResolveInScope(f.scope, f.name));
    writeFile(r->GetPath(), f.text);
    EXPECT_EQ(p->AddResource(std::move(r)) & kKxError, 0) << p->GetMessages();
  }
  EXPECT_EQ(p->SaveProject() & kKxError, 0) << p->GetMessages();
  return p;
}

const std::vector<Source> kFiles = {
    {"local.tif", 0, "local image"},
    {"form.ps", 1, "%!PS folder form"},
    {"logo.tif", 2, "global logo"},
    {"big.bin", 0, std::string(30000, 'b')},
};

class KxContainers : public ::testing::Test {
 protected:
  void SetUp() override { source_ = sourceProject(src_, kFiles); }
  std::string in(const TempDir& root, const std::string& rel) { return root / rel; }

  TempDir src_, dst_;
  std::unique_ptr<KxProject> source_;
};

}  // namespace

TEST_F(KxContainers, ZipInstallPlacesFilesInTheirScopesAndAsksBeforeOverwriting) {
  const std::string kpc = src_ / "out/proj.kpc";
  ASSERT_EQ(source_->CreateContainer(kpc) & kKxError, 0) << source_->GetMessages();
  ASSERT_TRUE(kxIsZipFile(kpc));

  writeFile(dst_ / "tqfc/gshared/logo.tif", "already there");
  auto p = kxtest::projectIn(dst_.path());
  std::vector<std::string> asked;
  p->SetProjectOverwriteHook([&asked](const char* target) {
    asked.push_back(target);
    return 0;
  });
  ASSERT_EQ(p->OpenContainer(kpc) & kKxError, 0) << p->GetMessages();
  EXPECT_EQ(p->GetResourceCount(), 4);
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/Fold/Proj/local.tif"), "local image");
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/Fold/Proj/big.bin"), std::string(30000, 'b'));
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/Fold/fshared/form.ps"), "%!PS folder form");
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/gshared/logo.tif"), "already there");
  EXPECT_EQ(asked, (std::vector<std::string>{dst_ / "tqfc/gshared/logo.tif"}));
  EXPECT_EQ(p->GetKpfPath(), dst_ / "tqfc/Fold/Proj/Proj.kpf");
  EXPECT_TRUE(sdkFileExists(p->GetKpfPath().c_str()));
  // Only scope folders were written: no stray copies in the local folder.
  EXPECT_FALSE(sdkFileExists((dst_ / "tqfc/Fold/Proj/form.ps").c_str()));

  // Installing again with "overwrite all" replaces without asking twice.
  asked.clear();
  p->SetProjectOverwriteHook([&asked](const char* target) {
    asked.push_back(target);
    return 2;
  });
  ASSERT_EQ(p->OpenContainer(kpc) & kKxError, 0) << p->GetMessages();
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/gshared/logo.tif"), "global logo");
}

TEST_F(KxContainers, TarVolumesAreCreatedAndInstalledAsOneStream) {
  source_->SetArchiveVolumeSize(1);  // one 10240-byte record per volume
  EXPECT_EQ(source_->GetArchiveFormat(), 1);
  const std::string kpc = src_ / "out/vol.kpc";
  ASSERT_EQ(source_->CreateContainer(kpc) & kKxError, 0) << source_->GetMessages();
  const long count = source_->GetVolumeCount();
  ASSERT_GE(count, 4);
  const std::string first = src_ / sdkFormat("out/vol_000001_%06ld.kpv", count);
  ASSERT_TRUE(sdkFileExists(first.c_str()));
  EXPECT_EQ(sdkFileSize(first.c_str()), 10240);

  auto p = kxtest::projectIn(dst_.path());
  ASSERT_EQ(p->OpenContainer(first) & kKxError, 0) << p->GetMessages();
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/Fold/Proj/big.bin"), std::string(30000, 'b'));
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/gshared/logo.tif"), "global logo");
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/Fold/fshared/form.ps"), "%!PS folder form");

  std::string error;
  EXPECT_EQ(kpsdkPeekContainerProjectType(error, first), 0) << error;

  // Any volume of the set names the set.
  auto q = kxtest::projectIn(dst_.path());
  q->SetProjectOverwriteHook([](const char*) { return 1; });
  EXPECT_EQ(q->InspectContainer(src_ / sdkFormat("out/vol_000002_%06ld.kpv", count)) & kKxError, 0)
      << q->GetMessages();
  EXPECT_EQ(q->GetResourceCount(), 4);

  // A missing volume and a malformed name are reported with their texts.
  const std::string second = src_ / sdkFormat("out/vol_000002_%06ld.kpv", count);
  std::rename(second.c_str(), (second + ".away").c_str());
  EXPECT_EQ(p->OpenContainer(first), kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR: Could not find archive file '" + second + "'");
  EXPECT_EQ(p->GetMessageRecords(), "ERROR,102,1," + second + ",\"Could not find archive file '%s'\"");
  writeFile(src_ / "out/vol_x_2.kpv", "not a volume");
  EXPECT_EQ(p->OpenContainer(src_ / "out/vol_x_2.kpv"), kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR: Archive volume name '" + src_ / "out/vol_x_2.kpv" + "' is malformed");
  EXPECT_EQ(kpsdkPeekContainerProjectType(error, first), -1);
  EXPECT_EQ(error, "Could not find archive file '" + second + "'");
}

TEST_F(KxContainers, PrintAndForgetPutsEverythingLocalAndRemovalLeavesNothing) {
  const std::string kpc = src_ / "out/proj.kpc";
  ASSERT_EQ(source_->CreateContainer(kpc) & kKxError, 0) << source_->GetMessages();
  auto p = kxtest::projectIn(dst_.path());
  EXPECT_EQ(p->RemovePrintAndForget(), kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR: Removal only a valid operation for archives extracted as 'Print-and-Forget'");

  ASSERT_EQ(p->OpenContainerPrintAndForget(kpc) & kKxError, 0) << p->GetMessages();
  const std::string dir = kxtest::printAndForgetDir(*p, dst_.path());
  ASSERT_FALSE(dir.empty()) << p->GetKpfPath();
  for (int i = 0; i < p->GetResourceCount(); ++i) {
    const KxResource& r = *p->GetResource(i);
    EXPECT_EQ(r.GetScope(), 0);
    EXPECT_EQ(r.GetPath(), sdkJoinPath(dir, r.GetName()));
    EXPECT_TRUE(sdkFileExists(r.GetPath().c_str())) << r.GetPath();
  }
  EXPECT_EQ(p->GetKpfPath(), sdkJoinPath(dir, "Proj.kpf"));
  EXPECT_FALSE(sdkFileExists((dst_ / "tqfc").c_str()));  // no scope folder was touched

  EXPECT_EQ(p->RemovePrintAndForget(), 0) << p->GetMessages();
  EXPECT_FALSE(sdkFileExists(dir.c_str()));
  EXPECT_FALSE(sdkFileExists(sdkDirPart(sdkDirPart(dir)).c_str()));  // the private folder
  EXPECT_FALSE(sdkFileExists((dst_ / "kpcpfd").c_str()));
}

TEST_F(KxContainers, PrintAndForgetNeedsThePath) {
  writeFile(dst_ / "nopf.run", "[\n (/x/$$FOLDER./$$PROJECT./)\n] SETPPATH\n");
  auto p = kxProjectNew(dst_ / "nopf.run");
  EXPECT_EQ(p->OpenContainerPrintAndForget(src_ / "any.kpc"), kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR: Print-and-Forget path not specified in SETPPATH");
}

TEST_F(KxContainers, PeekingAtProjectFilesAndContainers) {
  std::string error;
  EXPECT_EQ(kpsdkPeekProjectType(error, source_->GetKpfPath()), 0);
  writeFile(src_ / "ps.kpf", "<KPF><PROJECT_TYPE>PS</PROJECT_TYPE>");
  EXPECT_EQ(kpsdkPeekProjectType(error, src_ / "ps.kpf"), 1);
  writeFile(src_ / "bad.kpf", "<PROJECT_TYPE>ps</PROJECT_TYPE>");
  EXPECT_EQ(kpsdkPeekProjectType(error, src_ / "bad.kpf"), -1);
  writeFile(src_ / "none.kpf", "<project_type>PS</project_type>");
  EXPECT_EQ(kpsdkPeekProjectType(error, src_ / "none.kpf"), 0);
  EXPECT_EQ(kpsdkPeekProjectType(error, src_ / "missing.kpf"), -1);
  EXPECT_EQ(error, "Could not open file '" + src_ / "missing.kpf" + "'");

  const std::string kpc = src_ / "out/proj.kpc";
  source_->CreateContainer(kpc);
  EXPECT_EQ(kpsdkPeekContainerProjectType(error, kpc), 0) << error;
  EXPECT_EQ(kpsdkPeekContainerProjectType(error, src_ / "ps.kpf"), -1);
  // Not a zip: read as tar, whose errors carry its own label.
  EXPECT_NE(error.find("ERROR (Tar): Internal - tag: "), std::string::npos) << error;
}

TEST_F(KxContainers, SingleEntriesAndExtractedFolders) {
  const std::string kpc = src_ / "out/proj.kpc";
  source_->CreateContainer(kpc);
  auto p = kxtest::projectIn(dst_.path());
  ASSERT_EQ(p->InspectContainer(kpc) & kKxError, 0) << p->GetMessages();
  EXPECT_FALSE(sdkFileExists((dst_ / "tqfc/Fold/Proj/local.tif").c_str()));
  int form = p->FindResource("form.ps") + 1;
  EXPECT_EQ(p->ExtractEntry(kpc, form), 0) << p->GetMessages();
  EXPECT_EQ(kxtest::readFile(dst_ / "tqfc/Fold/fshared/form.ps"), "%!PS folder form");
  EXPECT_EQ(p->ExtractEntry(kpc, 0), 0) << p->GetMessages();
  EXPECT_TRUE(sdkFileExists((dst_ / "tqfc/Fold/Proj/Proj.kpf").c_str()));
  EXPECT_EQ(p->ExtractEntry(kpc, 99), 0);

  // A folder holding an unpacked container.
  TempDir unpacked, target;
  sdkCopyFile(source_->GetKpfPath().c_str(), (unpacked / "Proj.kpf").c_str());
  for (const Source& f : kFiles) writeFile(unpacked / f.name, f.text);
  auto q = kxtest::projectIn(target.path());
  ASSERT_EQ(q->OpenExtracted(unpacked.path()) & kKxError, 0) << q->GetMessages();
  EXPECT_EQ(kxtest::readFile(target / "tqfc/Fold/fshared/form.ps"), "%!PS folder form");
  EXPECT_EQ(kxtest::readFile(target / "tqfc/gshared/logo.tif"), "global logo");
  EXPECT_TRUE(sdkFileExists((unpacked / "logo.tif").c_str()));  // copied, not moved

  sdkDeleteFile((unpacked / "logo.tif").c_str());
  EXPECT_EQ(q->OpenExtracted(unpacked.path()) & kKxError, kKxError);
  EXPECT_EQ(q->GetMessages(), "ERROR: Could not open file '" + unpacked / "logo.tif" + "'");
  EXPECT_EQ(q->OpenExtracted(unpacked / "nothing"), kKxError);
}

TEST_F(KxContainers, FoldersUnpackedWithTheirEntriesFoldersOpen) {
  // One name in two scopes: each file keeps its own bytes.
  TempDir src;
  auto source = sourceProject(src, kFiles);
  std::string kpf = kxtest::readFile(source->GetKpfPath());
  const std::size_t end = kpf.find("</RESOURCES>");
  ASSERT_NE(end, std::string::npos) << kpf;
  kpf.insert(end, "<RESOURCE Name='dup.ps' Type='ps' Scope='0'/>\n<RESOURCE Name='dup.ps' Type='ps' Scope='2'/>\n");
  writeFile(source->GetKpfPath(), kpf);
  writeFile(src / "tqfc/Fold/Proj/dup.ps", "%!PS local dup");
  writeFile(src / "tqfc/gshared/dup.ps", "%!PS global dup");
  const std::string kpfPath = source->GetKpfPath();
  ASSERT_EQ(source->OpenProject(kpfPath) & kKxError, 0) << source->GetMessages();
  ASSERT_EQ(source->GetResourceCount(), 6);
  for (int format : {0, 1}) {
    source->SetArchiveFormat(format);
    const std::string kpc = src / (format ? "out/proj-tar.kpc" : "out/proj-zip.kpc");
    ASSERT_EQ(source->CreateContainer(kpc) & kKxError, 0) << source->GetMessages();
    // As "container extract" unpacks it: every entry in its folder.
    TempDir unpacked, target, pf;
    ArchiveHandler handler;
    ASSERT_EQ(handler.Extract(kpc, unpacked.path()), "");
    ASSERT_TRUE(sdkFileExists((unpacked / "Fold/Proj/Proj.kpf").c_str()));

    auto q = kxtest::projectIn(target.path());
    ASSERT_EQ(q->OpenExtracted(unpacked.path()) & kKxError, 0) << q->GetMessages();
    EXPECT_EQ(kxtest::readFile(target / "tqfc/Fold/Proj/local.tif"), "local image");
    EXPECT_EQ(kxtest::readFile(target / "tqfc/Fold/fshared/form.ps"), "%!PS folder form");
    EXPECT_EQ(kxtest::readFile(target / "tqfc/gshared/logo.tif"), "global logo");
    EXPECT_EQ(kxtest::readFile(target / "tqfc/Fold/Proj/dup.ps"), "%!PS local dup") << kpc;
    EXPECT_EQ(kxtest::readFile(target / "tqfc/gshared/dup.ps"), "%!PS global dup") << kpc;
    EXPECT_TRUE(sdkFileExists((unpacked / "gshared/logo.tif").c_str()));  // copied, not moved

    // For print-and-forget every file is local: the local one holds the name.
    auto r = kxtest::projectIn(pf.path());
    ASSERT_EQ(r->OpenExtractedPrintAndForget(unpacked.path()) & kKxError, 0) << r->GetMessages();
    const std::string dir = kxtest::printAndForgetDir(*r, pf.path());
    EXPECT_EQ(kxtest::readFile(dir + "/dup.ps"), "%!PS local dup") << kpc;
    EXPECT_EQ(kxtest::readFile(dir + "/logo.tif"), "global logo");
    EXPECT_EQ(r->RemovePrintAndForget() & kKxError, 0) << r->GetMessages();
    EXPECT_FALSE(sdkFileExists((pf / "kpcpfd").c_str()));
  }
}

TEST_F(KxContainers, HostileAndBrokenContainers) {
#ifdef _WIN32
  GTEST_SKIP() << "builds its containers with python3, which the Windows test machine lacks; the archive tests' "
                  "hostile entries run there";
#endif
  // "../" entries beside a proper project: entries that would leave the
  // folder are refused, in zip and tar alike.
  const std::string script =
      "import zipfile,tarfile,io,sys\n"
      "z=zipfile.ZipFile(sys.argv[1],'w')\n"
      "z.write(sys.argv[3],'Proj.kpf')\n"
      "z.writestr('../../escaped.txt','out')\n"
      "z.close()\n"
      "t=tarfile.open(sys.argv[2],'w',format=tarfile.USTAR_FORMAT)\n"
      "t.add(sys.argv[3],'Proj.kpf')\n"
      "i=tarfile.TarInfo('../../escaped.txt'); i.size=3\n"
      "t.addfile(i,io.BytesIO(b'out'))\n"
      "t.close()\n";
  writeFile(src_ / "mk.py", script);
  ASSERT_EQ(std::system(("python3 " + src_ / "mk.py" + " " + src_ / "hostile.kpc" + " " + src_ / "hostile.tar" + " " +
                         source_->GetKpfPath())
                            .c_str()),
            0);
  auto p = kxtest::projectIn(dst_.path());
  for (const char* hostile : {"hostile.kpc", "hostile.tar"}) {
    EXPECT_EQ(p->OpenContainer(src_ / hostile) & kKxError, kKxError) << hostile;
    const bool tar = std::string(hostile).ends_with(".tar");
    EXPECT_NE(p->GetMessages().find(tar ? "ERROR (Tar): Internal - tag: 59" : "ERROR (Minizip): Internal - tag: 59"),
              std::string::npos)
        << p->GetMessages();
    EXPECT_NE(p->GetMessageRecords().find(tar ? "ERROR,111," : "ERROR,100,"), std::string::npos)
        << p->GetMessageRecords();
    const std::string outside = sdkDirPart(dst_.path());
    EXPECT_FALSE(sdkFileExists((outside + "/escaped.txt").c_str()));
    EXPECT_FALSE(sdkFileExists((dst_ / "tqfc/escaped.txt").c_str()));
    EXPECT_FALSE(sdkFileExists((dst_ / "tqfc/Fold/Proj/escaped.txt").c_str()));
    EXPECT_FALSE(sdkFileExists((dst_ / "escaped.txt").c_str()));
  }

  // A container without a project file.
  writeFile(src_ / "mk2.py", "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1],'w')\nz.writestr('a.tif','x')\n");
  ASSERT_EQ(std::system(("python3 " + src_ / "mk2.py" + " " + src_ / "nokpf.kpc").c_str()), 0);
  EXPECT_EQ(p->OpenContainer(src_ / "nokpf.kpc") & kKxError, kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR (Minizip): No .kpf file found in archive " + src_ / "nokpf.kpc");
  EXPECT_EQ(p->GetMessageRecords(), "ERROR,72,1," + src_ / "nokpf.kpc" +
                                        ",\"ERROR (Minizip): No .kpf file found in archive %s\"");
  EXPECT_EQ(p->OpenContainer(src_ / "none.kpc"), kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR: Could not open file '" + src_ / "none.kpc" + "'");
}

TEST_F(KxContainers, CancellingFromTheProgressHook) {
  source_->SetProjectProgressHook([this](const char*, long, std::int64_t, long current, std::int64_t, const char*,
                                         std::int64_t, std::int64_t) {
    if (current >= 2) source_->Cancel();
    return 0;
  });
  int flags = source_->CreateContainer(src_ / "out/c.kpc");
  EXPECT_EQ(flags & kKxCancelled, kKxCancelled) << source_->GetMessages();
  EXPECT_TRUE(source_->IsCancelled());
  EXPECT_NE(source_->GetMessages().find("reason: CANCELLED"), std::string::npos);
}

// Volumes that do not follow on from one another are refused, naming the
// first volume where the stream stops being one tar archive.
TEST_F(KxContainers, TarVolumesThatDoNotFollowOnAreRefused) {
  // Entries of uneven sizes, so that headers fall at other places in every
  // volume.
  auto filesOf = [](int extra) {
    std::vector<Source> files;
    for (int i = 0; i < 8; ++i)
      files.push_back({sdkFormat("part%d.tif", i), 0, std::string(5000 + 700 * i + extra, static_cast<char>('a' + i))});
    return files;
  };
  TempDir mine, other;
  auto setIn = [&](const TempDir& dir, int extra) {
    auto p = sourceProject(dir, filesOf(extra));
    p->SetArchiveVolumeSize(1);
    EXPECT_EQ(p->CreateContainer(dir / "out/vol.kpc") & kKxError, 0) << p->GetMessages();
    return p->GetVolumeCount();
  };
  const long count = setIn(mine, 0);
  ASSERT_EQ(setIn(other, 300), count);
  ASSERT_GE(count, 5);
  auto volume = [&](const TempDir& dir, long i) { return dir / sdkFormat("out/vol_%06ld_%06ld.kpv", i, count); };
  auto copy = [](const std::string& from, const std::string& to) { writeFile(to, kxtest::readFile(from)); };
  auto open = [&] {
    auto p = kxtest::projectIn(dst_.path());
    p->SetProjectOverwriteHook([](const char*) { return 2; });
    int flags = p->OpenContainer(volume(mine, 1));
    return std::make_pair(flags, p->GetMessages());
  };
  ASSERT_EQ(open().first & kKxError, 0) << open().second;

  const std::string v3 = kxtest::readFile(volume(mine, 3)), v4 = kxtest::readFile(volume(mine, 4));
  const std::string runsOn = "does not follow on from the ones before (an entry's data runs on past its end)";
  const struct {
    const char* what;
    std::function<void()> spoil;
    long named;
    std::string says;
  } cases[] = {
      {"volumes 3 and 4 swapped",
       [&] {
         writeFile(volume(mine, 3), v4);
         writeFile(volume(mine, 4), v3);
       },
       3, runsOn},
      {"volume 3 again as 4", [&] { writeFile(volume(mine, 4), v3); }, 4, runsOn},
      {"volume 4 of another set", [&] { copy(volume(other, 4), volume(mine, 4)); }, 4, runsOn},
      {"the last volume first", [&] { copy(volume(mine, count), volume(mine, 1)); }, 1,
       "does not start the archive (no entry header where the entry before ends)"},
  };
  const std::string v1 = kxtest::readFile(volume(mine, 1)), vLast = kxtest::readFile(volume(mine, count));
  for (const auto& c : cases) {
    c.spoil();
    auto [flags, messages] = open();
    EXPECT_EQ(flags, kKxError) << c.what;
    EXPECT_EQ(messages, "ERROR: Error reading archive volume '" + volume(mine, c.named) +
                            "' - reason 'tar: the volume " + c.says + "'")
        << c.what;
    writeFile(volume(mine, 1), v1);
    writeFile(volume(mine, 3), v3);
    writeFile(volume(mine, 4), v4);
    writeFile(volume(mine, count), vLast);
  }
  EXPECT_EQ(open().first & kKxError, 0) << "the set mended opens again";
}
