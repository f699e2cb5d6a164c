// Hostile and broken containers opened the way users open them: installed
// (OpenContainer) and unpacked for print-and-forget. Each one ends with its
// error text in the project log, leaves nothing outside the folders the
// project owns, and leaves no extraction folder behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "kx_test_util.h"
#include "tests/common/containers.h"

using kxtest::TempDir;
using kxtest::writeFile;
using qmtest::TempDirVariable;
using qmtest::treeBelow;

namespace {

namespace fs = std::filesystem;

const char* kKpf =
    "<?xml version='1.0'?>\n<KPF Version='2.0'>\n<INFORMATION>\n <COPYRIGHT>c</COPYRIGHT>\n"
    " <FOLDER_NAME>Fold</FOLDER_NAME>\n <PROJECT_NAME>Proj</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
    " <PROJECT_TITLE>T</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>D</PROJECT_DESCRIPTION>\n <AUTHOR>A</AUTHOR>\n"
    " <KEYWORDS>K</KEYWORDS>\n <GENERATOR>G</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n"
    "<RESOURCES>\n <RESOURCE Name='a.tif' Type='img' Scope='0'/>\n</RESOURCES>\n</KPF>\n";

// Builds every container of the suite into src/ with Python's tarfile and
// zipfile; the damaged ones are patched afterwards.
const char* kMaker = R"PY(
import io, os, sys, tarfile, zipfile
src, world, kpf = sys.argv[1], sys.argv[2], sys.argv[3]
def entry(t, name, data=b'', kind=tarfile.REGTYPE, link=''):
    i = tarfile.TarInfo(name); i.type = kind; i.linkname = link; i.size = len(data); i.mtime = 1600000000
    t.addfile(i, io.BytesIO(data) if data else None)
def tar(name, extra, fmt=tarfile.GNU_FORMAT):
    with tarfile.open(os.path.join(src, name), 'w', format=fmt) as t:
        t.add(kpf, 'Proj.kpf')
        entry(t, 'a.tif', b'TIFF' * 300)
        for e in extra: entry(t, *e)
tar('abs.tar', [(world + '/outside-abs.txt', b'abs')])
tar('dotdot.tar', [('../../../../escaped.txt', b'up')])
tar('drive.tar', [('C:drive.txt', b'drive')])
tar('symlink.tar', [('lnk', b'', tarfile.SYMTYPE, '../../../..'), ('lnk/through.txt', b'through')])
tar('longname.tar', [('d/' + 'n' * 300, b'long')])
tar('hundred.tar', [('h' * 100, b'hundred')], tarfile.USTAR_FORMAT)
def patched(name, base, at, value):
    data = bytearray(open(os.path.join(src, base), 'rb').read())
    data[at:at + len(value)] = value
    head = at - at % 512
    data[head + 148:head + 156] = b' ' * 8
    data[head + 148:head + 156] = b'%06o\0 ' % sum(data[head:head + 512])
    open(os.path.join(src, name), 'wb').write(bytes(data))
plain = tarfile.open(os.path.join(src, 'hundred.tar'))
tif = [m for m in plain.getmembers() if m.name == 'a.tif'][0]
patched('huge.tar', 'hundred.tar', tif.offset + 124, b'77777777777 ')
data = bytearray(open(os.path.join(src, 'hundred.tar'), 'rb').read())
open(os.path.join(src, 'truncated.tar'), 'wb').write(bytes(data[:tif.offset_data + 500]))
data[tif.offset + 10] ^= 0x20
open(os.path.join(src, 'checksum.tar'), 'wb').write(bytes(data))
with zipfile.ZipFile(os.path.join(src, 'bomb.kpc'), 'w', zipfile.ZIP_DEFLATED) as z:
    z.write(kpf, 'Proj.kpf'); z.writestr('a.tif', b'TIFF')
    with z.open('bomb.bin', 'w', force_zip64=True) as w:
        zero = bytes(1 << 20)
        for _ in range(80): w.write(zero)
with zipfile.ZipFile(os.path.join(src, 'good.kpc'), 'w', zipfile.ZIP_DEFLATED) as z:
    z.write(kpf, 'Proj.kpf'); z.writestr('a.tif', os.urandom(20000))
good = open(os.path.join(src, 'good.kpc'), 'rb').read()
at = good.find(b'a.tif') + 5 + 3000
open(os.path.join(src, 'crc.kpc'), 'wb').write(good[:at] + bytes(b ^ 0x55 for b in good[at:at + 64]) + good[at + 64:])
open(os.path.join(src, 'truncated.kpc'), 'wb').write(good[:len(good) // 2])
)PY";

}  // namespace

class KxHostileContainers : public ::testing::Test {
 protected:
  void SetUp() override {
    // world/ holds src/ (the containers), stage/ (the printer-side tree of
    // the stub file) and tmp/ (the temporary folder); nothing else may
    // appear in it.
#ifdef _WIN32
    GTEST_SKIP() << "builds its containers with python3, which the Windows test machine lacks; the archive "
                    "tests' hostile entries run there";
#endif
    fs::create_directories(world_ / "src");
    fs::create_directories(world_ / "stage");
    fs::create_directories(world_ / "tmp");
    writeFile(world_ / "src/Proj.kpf", kKpf);
    writeFile(world_ / "src/mk.py", kMaker);
    ASSERT_EQ(0, std::system(("python3 '" + world_ / "src/mk.py" + "' '" + world_ / "src" + "' '" + world_.path() +
                              "' '" + world_ / "src/Proj.kpf" + "'")
                                 .c_str()));
  }
  // Opens the container both ways; returns the install's log. Print-and-
  // forget unpacks only the project's own entries: a hostile entry that the
  // project does not name is never read there (pfUsesIt false).
  std::string open(const std::string& name, bool expectError, bool pfUsesIt = true) {
    TempDirVariable tmp(world_ / "tmp");
    auto p = kxtest::projectIn(world_ / "stage");
    int flags = p->OpenContainer(world_ / ("src/" + name));
    EXPECT_EQ(flags & kKxError, expectError ? kKxError : 0) << name << ": " << p->GetMessages();
    const std::string log = p->GetMessages();
    auto q = kxtest::projectIn(world_ / "stage");
    flags = q->OpenContainerPrintAndForget(world_ / ("src/" + name));
    EXPECT_EQ(flags & kKxError, expectError && pfUsesIt ? kKxError : 0)
        << name << " (print and forget): " << q->GetMessages();
    q->RemovePrintAndForget();
    expectNothingAstray(name);
    return log;
  }
  void expectNothingAstray(const std::string& name) {
    for (const std::string& top : treeBelow(world_.path())) {
      if (top.find('/') != std::string::npos) continue;
      EXPECT_TRUE(top == "src" || top == "stage" || top == "tmp") << name << " left " << top;
    }
    EXPECT_TRUE(treeBelow(world_ / "tmp").empty()) << name << " left an extraction folder";
    for (const std::string& f : treeBelow(world_ / "stage")) {
      EXPECT_TRUE(f.rfind("tqfc", 0) == 0 || f.rfind("kpcpfd", 0) == 0 || f == "stub.run") << name << ": " << f;
      EXPECT_EQ(f.find("through"), std::string::npos) << name << ": " << f;
    }
    EXPECT_TRUE(treeBelow(world_ / "stage/kpcpfd/Fold/Proj").empty()) << name << ": print-and-forget files remain";
  }

  TempDir world_;
};

TEST_F(KxHostileContainers, EntriesLeavingTheFolderAreRefused) {
  for (const char* name : {"abs.tar", "dotdot.tar", "drive.tar"}) {
    std::string log = open(name, true, false);
    EXPECT_NE(log.find("ERROR (Tar): Internal - tag: 59"), std::string::npos) << name << ": " << log;
  }
  std::string log = open("symlink.tar", true, false);
  EXPECT_NE(log.find("ERROR (Tar): Internal - tag: "), std::string::npos) << log;
  EXPECT_FALSE(fs::is_symlink(world_ / "stage/tqfc/Fold/Proj/lnk"));
}

TEST_F(KxHostileContainers, DamagedTarContainersEndWithTheirErrorText) {
  EXPECT_NE(open("huge.tar", true).find("tag: 75, file: a.tif"), std::string::npos);
  EXPECT_NE(open("truncated.tar", true).find("tag: 75, file: a.tif"), std::string::npos);
  EXPECT_NE(open("checksum.tar", true).find("tag: 57"), std::string::npos);
  std::string log = open("longname.tar", true, false);
  EXPECT_EQ(log.find("ERROR (Tar): Internal - tag: 9, file: "), 0u) << log;
  EXPECT_NE(log.find("/d/nnnnnnnnnn"), std::string::npos) << log;
  // A name of exactly 100 characters is an ordinary entry.
  open("hundred.tar", false);
  EXPECT_TRUE(fs::exists(world_ / ("stage/tqfc/Fold/Proj/" + std::string(100, 'h'))));
}

TEST_F(KxHostileContainers, DamagedZipContainersAndBombs) {
  std::string log = open("bomb.kpc", true, false);
  EXPECT_NE(log.find("ERROR (Minizip): Internal - tag: 63, file: bomb.bin, reason: entry inflates more than 250 "
                     "times its compressed size"),
            std::string::npos)
      << log;
  EXPECT_FALSE(fs::exists(world_ / "stage/tqfc/Fold/Proj/bomb.bin"));
  log = open("crc.kpc", true);
  EXPECT_EQ(log.find("ERROR (Minizip): Archive "), 0u) << log;
  EXPECT_NE(log.find(" is damaged at entry "), std::string::npos) << log;
  EXPECT_NE(open("truncated.kpc", true).find("ERROR (Minizip): "), std::string::npos);
  open("good.kpc", false);
}
