// Printable container: submission choice, plain copy, the sections each
// flag adds, inline resource forms, the interpreter from the built-in set
// or a local Tessel folder, trailers and the chunked copy of the data.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "krm_project_test_util.h"
#include "krmsdk/krm_builtin.h"
#include "krmsdk/krm_encode.h"
#include "krmsdk/krm_file_copy.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_koro_texts.h"
#include "krmsdk/krm_project.h"
#include "krmsdk/krm_stream.h"

using namespace krmtest;

namespace {

constexpr const char* kSave = "\nuserdict /KOROSAVE save put clear\n";
constexpr const char* kStartIfAbsent = "\n/TQF where {pop} {(Sys/Start) run} ifelse\n";
constexpr const char* kTrailer =
    "\n[/KeepVMF false] SETPARAMS\nTQFEND\n%%EOF\n\nclear TQF end end KOROSAVE restore\n%%EOF";
constexpr const char* kResidentTrailer = "\n[/KeepVMF false] SETPARAMS\nTQFEND\n%%EOF\n\nclear TQF end end\n%%EOF";

// Where each piece is found, each after the one before; npos once one is
// missing.
::testing::AssertionResult inOrder(const std::string& text, const std::vector<std::string>& pieces) {
  std::size_t at = 0;
  for (const std::string& p : pieces) {
    std::size_t found = text.find(p, at);
    if (found == std::string::npos)
      return ::testing::AssertionFailure() << "missing (in order): \"" << p.substr(0, 120) << "\"";
    at = found + p.size();
  }
  return ::testing::AssertionSuccess();
}

std::string bytes(std::size_t size, unsigned seed = 1) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + seed * 7 + i / 977) & 0xFF);
  return data;
}

// A small built-in set: prolog, two encodings, a plain and an encrypted
// module and the imaging module.
std::vector<KrmBuiltInFile> testSetFiles() {
  static const std::string runList =
      "tqf/src/tqf.gep module\ntqf/src/tqf.grx module\ntqf/src/koro.lus imaging\n";
  return {{"runlist.txt", runList},
          {"tqf/src/tqf.eeh", "%PROLOG\n"},
          {"tqf/encoding/latin.enc", "%LATIN"},
          {"tqf/encoding/fonts.lst", "%FONTS"},
          {"tqf/src/tqf.gep", "%GEP"},
          {"tqf/src/tqf.grx", "%GRX currentfile eexec 00"},
          {"tqf/src/koro.lus", "%LUS currentfile eexec 00"},
          {"tqf/VER", "11.0"}};
}

}  // namespace

class KrmContainer : public ProjectJobTest {
 protected:
  void SetUp() override {
    ProjectJobTest::SetUp();
    krmUseBuiltInSetForTesting(&set_);
  }
  void TearDown() override {
    krmUseBuiltInSetForTesting(nullptr);
    ProjectJobTest::TearDown();
  }
  int container() {
    notePreviousOutput();
    return krmCreatePrintableContainer(pps_.get(), vos_.get());
  }
  std::string submission() const { return scopeDir(0, "F", "P") + "job.ps"; }
  std::vector<TestResource> simple() {
    return {{"a.frm", "frm", 0, "FORM A"}, {"job.ps", "sub", 0, "%DATA\n", "SubmissionOrder='1'"}};
  }
  KrmBuiltInSet set_{testSetFiles()};
};

TEST_F(KrmContainer, PlainCopyWhenNothingIsAdded) {
  const std::string data = bytes(70000);
  writeFile(dir_ / "external.ps", data);
  makeProject(simple());
  pps_->krmPPSSetFlags(0x10);
  pps_->krmPPSSetSubmissionFile((dir_ / "external.ps").c_str());
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  EXPECT_EQ(output(), data);
  EXPECT_STREQ(krmGetLastArgument(), out_.c_str());

  pps_->krmPPSSetFlags(0);
  pps_->krmPPSSetSubmissionFile("");
  ASSERT_EQ(container(), 1001);
  EXPECT_EQ(output(), "%DATA\n");
}

TEST_F(KrmContainer, SubmissionFileChoice) {
  makeProject({{"a.frm", "frm", 0, "FORM"},
               {"d.dat", "dat", 0, "DAT"},
               {"first.ps", "sub", 0, "%FIRST", "SubmissionOrder='1'"},
               {"second.ps", "sub", 1, "%SECOND", "SubmissionOrder='2'"}});
  pps_->krmPPSSetFlags(0x8000);
  // Two submission files: the second one.
  ASSERT_EQ(container(), 1001);
  EXPECT_TRUE(output().ends_with("\nRSAVE\n%SECOND" + std::string(kTrailer)));
  EXPECT_NE(output().find("%%Title: " + qmtest::slashed(scopeDir(1, "F", "P") + "second.ps") + "\n"), std::string::npos);
  // A named resource of type "sub" or "frm".
  pps_->krmPPSSetSubmissionFile("a.frm");
  ASSERT_EQ(container(), 1001);
  EXPECT_TRUE(output().ends_with("\nRSAVE\nFORM" + std::string(kTrailer)));
  // Any other type, or no such resource, gives 1015.
  pps_->krmPPSSetSubmissionFile("d.dat");
  EXPECT_EQ(container(), 1015);
  EXPECT_STREQ(krmGetLastArgument(), "d.dat");
  EXPECT_TRUE(outputKept());
  pps_->krmPPSSetSubmissionFile("A.FRM");
  EXPECT_EQ(container(), 1015);
  // An external file that is missing.
  pps_->krmPPSSetFlags(0x10 | 0x8000);
  pps_->krmPPSSetSubmissionFile((dir_ / "none.ps").c_str());
  EXPECT_EQ(container(), 1015);
  EXPECT_EQ(krmGetLastArgument(), dir_ / "none.ps");
}

TEST_F(KrmContainer, ASubmissionFileNameAddsNoLineToTheHeader) {
  QM_POSIX_ONLY("file names with line ends");
  const std::string name = dir_ / "sub\n(injected) print\r%%EndComments\x1b.ps";
  writeFile(name, "%DATA\n");
  makeProject(simple());
  pps_->krmPPSSetFlags(0x10 | 0x8000);
  pps_->krmPPSSetSubmissionFile(name.c_str());
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  const std::string job = output();
  const std::string header = job.substr(0, job.find("%%EndComments\n"));
  EXPECT_NE(header.find("%%Title: " + dir_.path() + "/sub (injected) print %%EndComments .ps\n"), std::string::npos)
      << header;
  // "%!", title, creator, date and notice: five lines.
  EXPECT_EQ(std::count(header.begin(), header.end(), '\n'), 5) << header;
}

TEST_F(KrmContainer, ProjectWithoutSubmissionFile) {
  makeProject({{"a.frm", "frm", 0, "FORM"}});
  pps_->krmPPSSetFlags(0x20);
  EXPECT_EQ(container(), 1015);
  EXPECT_STREQ(krmGetLastArgument(), "");
  EXPECT_FALSE(outputExists());
}

TEST_F(KrmContainer, DeployingContainerWithPageRange) {
  makeProject({{"a.frm", "frm", 0, "FORM A"},
               {"g.seg", "seg", 2, "SEG"},
               {"job.ps", "sub", 0, "%DATA\n", "SubmissionOrder='1'"}});
  pps_->krmPPSSetFlags(0x40 | 0x1000 | 0x10000 | 0x8000);
  pps_->krmPPSSetPageRange(2, 3, 7);
  pps_->headerComments().set("%%For: tests\n");
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  const std::string job = output();
  EXPECT_TRUE(job.starts_with("%!\n%%Title: " + qmtest::slashed(submission()) + "\n"));
  EXPECT_TRUE(inOrder(job, {"%%For: tests\n%%KORO_DEPLOY_JOB_RESOURCES \"true\"\n%%EndComments\n\n", kSave,
                            "\n%%Start deploying resources.\n", std::string(krmPrologText()),
                            "\n\n0 (tqfc/F/P/a.frm) () false true load_file\n",
                            "\n\n-1 (tqfc/gshared/g.seg) [2 (F) (P)] () false true load_file",
                            "%% End deploying resources\nclear KOROSAVE restore\n", kStartIfAbsent, kSave,
                            "] /KeepVMF true ] SETPARAMS\n\nTQF\n",
                            "\n[/PageRange 2] SETPARAMS\n3 7 PAGERANGE\n\nRSAVE\n%DATA\n" + std::string(kTrailer)}));
  EXPECT_TRUE(job.ends_with(kTrailer));
  // Not self-contained: no interpreter, no search paths.
  EXPECT_EQ(job.find("%PROLOG"), std::string::npos);
  EXPECT_EQ(job.find("SETPPATH"), std::string::npos);

  // Nothing to deploy still prints.
  pps_->krmPPSAddResource("none");
  ASSERT_EQ(container(), 1001);
  EXPECT_TRUE(inOrder(output(), {"%% End deploying resources\nclear KOROSAVE restore\n", "\nRSAVE\n%DATA\n"}));
}

TEST_F(KrmContainer, ParametersCarryTheLocalDate) {
  makeProject(simple());
  pps_->krmPPSSetFlags(0x20);
  ASSERT_EQ(container(), 1001);
  static const std::regex parameters(
      "\\[ /DefinedDate \\[[0-9]{4} [0-9]{2} [0-9]{2} [0-9]{2} [0-9]{2} [0-9]{2} [01]\\] /KeepVMF true \\] "
      "SETPARAMS\n\nTQF\n%%Start including resources \\(if any\\)\n\n/FSHOW /FCACHE ld\n\\(a.frm\\)\nFORM A\nFBIND "
      "TQFRESDEF\n\n%% End including resources\n\n\nRSAVE\n");
  EXPECT_TRUE(std::regex_search(output(), parameters)) << output();
}

TEST_F(KrmContainer, SelfContainedWithTheBuiltInSet) {
  makeProject(simple());
  pps_->krmPPSSetFlags(0x2 | 0x4 | 0x8 | 0x8000);
  pps_->krmPPSSetStubPath(startupFile().c_str());
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  std::string job = output();
  EXPECT_TRUE(inOrder(job, {"%%EndComments\n\n" + std::string(kSave) + "%PROLOG\n", krmErrorHandlerText(),
                            "SETPARAMS\n\nTQF\n", "\n(fonts.lst) {\n%FONTS\n} TQFRESDEF\n",
                            "\n(latin.enc) {\n%LATIN\n} TQFRESDEF\n", krmTesselConfigText(),
                            "%GEP\n%GRX currentfile eexec 00\nend     % mandatory (remove TQFdict from dict stack)\n"
                            "\nRSAVE\n%DATA\n" + std::string(kTrailer)}));
  EXPECT_EQ(job.find(kStartIfAbsent), std::string::npos);
  EXPECT_EQ(job.find("%LUS"), std::string::npos);
  EXPECT_EQ(job.find("startjob"), std::string::npos);

  // Resident, with the imaging module: encapsulation is left after the
  // prolog and each encrypted module, and entered again before the data.
  pps_->krmPPSSetFlags(0x2 | 0x8 | 0x8000 | 0x40000 | 0x80000);
  ASSERT_EQ(container(), 1001);
  job = output();
  EXPECT_TRUE(inOrder(job, {"%%EndComments\n\n\ntrue () startjob pop\n%PROLOG\n\ntrue () startjob pop\n",
                            "%GEP\n%GRX currentfile eexec 00\ntrue () startjob pop\n%LUS currentfile eexec 00\ntrue "
                            "() startjob pop\nend     % mandatory",
                            "\nfalse () startjob pop\n\nRSAVE\n%DATA\n" + std::string(kResidentTrailer)}));
  EXPECT_EQ(job.find(kSave), std::string::npos);
  EXPECT_TRUE(job.ends_with(kResidentTrailer));

  // Inline resources alone can make a container resident too.
  pps_->krmPPSSetFlags(0x20 | 0x40000 | 0x8000);
  ASSERT_EQ(container(), 1001);
  EXPECT_TRUE(output().ends_with(kResidentTrailer));
  pps_->krmPPSSetFlags(0x40 | 0x40000 | 0x8000);
  ASSERT_EQ(container(), 1001);
  EXPECT_TRUE(output().ends_with(kTrailer));
}

TEST_F(KrmContainer, SelfContainedWithALocalTesselFolder) {
  const std::string src = koro_ + "src/";
  writeFile(startupFile(), startupText("(" + osPath(src + "tqf.eeh") + ") run\n(" + osPath(src + "koro.vsm") + ") run\n(" +
                                       osPath(src + "a.mod") + ") run\n(" + osPath(src + "b.mod") +
                                       ") run % (c.mod) run\n"));
  writeFile(src + "tqf.eeh", "%EEH");
  writeFile(src + "koro.vsm", "%VSM currentfile eexec");
  writeFile(src + "a.mod", "%A");
  writeFile(src + "b.mod", "%B currentfile eexec");
  writeFile(koro_ + "encoding/x.enc", "%X");
  writeFile(koro_ + "encoding/y.afk", "%Y");
  writeFile(koro_ + "encoding/own.enc", "%OWN");
  makeProject({{"own.enc", "enc", 0, "%PROJECT ENC"}, {"job.ps", "sub", 0, "%DATA\n", "SubmissionOrder='1'"}});
  pps_->krmPPSSetFlags(0x2 | 0x8000);
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  std::string job = output();
  EXPECT_TRUE(inOrder(job, {"%EEH%VSM currentfile eexec", "SETPARAMS\n\nTQF\n", "\n(x.enc) {\n%X\n} TQFRESDEF\n",
                            krmTesselConfigText() + "%A\n\n%B currentfile eexec\n\nend     % mandatory"}));
  EXPECT_EQ(job.find("%Y"), std::string::npos);
  EXPECT_EQ(job.find("%OWN"), std::string::npos);

  pps_->krmPPSAddFlags(0x40000);
  ASSERT_EQ(container(), 1001);
  EXPECT_TRUE(inOrder(output(), {"%EEH\ntrue () startjob pop\n%VSM currentfile eexec\ntrue () startjob pop\n",
                                 "%A\n\n%B currentfile eexec\ntrue () startjob pop\n\nend"}));

  // The prolog must be listed and every listed file readable.
  fs::remove(src + "b.mod");
  EXPECT_EQ(container(), 1012);
  EXPECT_EQ(krmGetLastArgument(), qmtest::native(src + "b.mod"));
  EXPECT_TRUE(outputKept());
  writeFile(startupFile(), startupText("(" + osPath(src + "a.mod") + ") run\n"));
  EXPECT_EQ(container(), 1003);
  EXPECT_STREQ(krmGetLastArgument(), "tqf.eeh");
  writeFile(startupFile(), startupText(""));
  EXPECT_EQ(container(), 1011);
  EXPECT_EQ(krmGetLastArgument(), qmtest::native(startupFile()));
}

TEST_F(KrmContainer, InlineResourceForms) {
  const std::string image = bytes(49152 + 10);
  const std::string binary = std::string("%!PS\n") + '\x01' + "\x80 data";
  makeProject({{"a.frm", "frm", 0, "FORM"},
               {"t.jdt", "jdt", 1, "JDT"},
               {"s.seg", "seg", 0, "SEG"},
               {"p.seg", "seg", 0, "%PDF-1.4", "Structure='PDF'"},
               {"i.tif", "img", 2, image},
               {"d.dat", "dat", 0, "DAT"},
               {"text.mis", "mis", 0, "plain text\r\n\t"},
               {"bin.mis", "mis", 0, binary},
               {"o.oth", "oth", 0, "OTHER"},
               {"job.ps", "sub", 0, "%DATA\n", "SubmissionOrder='1'"}});
  pps_->krmPPSSetFlags(0x20 | 0x400 | 0x8000);
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  const std::string a85Strings = krmConvertToAscii85(image.data(), image.size(), 49152, 0);
  ASSERT_TRUE(a85Strings.starts_with("<~") && a85Strings.find("~>\n<~") != std::string::npos);
  EXPECT_TRUE(inOrder(output(), {"\n/FSHOW /FCACHE ld\n(a.frm)\nFORM\nFBIND TQFRESDEF\n",
                                 "(t.jdt) {\nJDT\n} TQFRESDEF\n",
                                 "(s.seg) {\nSEG\n} TQFRESDEF\n",
                                 "(p.seg)\nMAKEVMFILE\n%PDF-1.4\n%%EOD_TQF TQFRESDEF\n",
                                 "(i.tif) [\n" + a85Strings + "\n] TQFRESDEF\n",
                                 "(d.dat) MAKEVMFILE\nDAT\n%%EOD_TQF TQFRESDEF\n",
                                 "(text.mis)\nMAKEVMFILE\nplain text\r\n\t\n%%EOD_TQF TQFRESDEF\n",
                                 "(bin.mis)\ncurrentfile /ASCII85Decode filter\nMAKEVMFILE\n" +
                                     krmConvertToAscii85(binary.data(), binary.size(), 0, 49152) + "\nTQFRESDEF\n",
                                 "\n%% End including resources\n\n"}));
  EXPECT_EQ(output().find("OTHER"), std::string::npos);

  pps_->krmPPSAddFlags(0x20000);
  ASSERT_EQ(container(), 1001);
  EXPECT_TRUE(inOrder(output(), {"(i.tif) [\n" + krmConvertToHex(image.data(), image.size(), 49152, 0) +
                                     "\n] TQFRESDEF\n",
                                 "(bin.mis)\ncurrentfile /ASCIIHexDecode filter\nMAKEVMFILE\n" +
                                     krmConvertToHex(binary.data(), binary.size(), 0, 49152) + "\n> TQFRESDEF\n"}));
}

TEST_F(KrmContainer, InlineDataOfManyStringsMatchesTheWholeEncoding) {
  // Binary "mis" data over several 49152-byte lines, behind a DOS EPS
  // header whose preview is cut away.
  const std::string ps = std::string(1, '\0') + bytes(3 * 49152 + 7, 3);
  const std::string tiff = "TIFFPREVIEW";
  std::string eps(30, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) eps[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put32(0, 0xC6D3D0C5);
  put32(4, 30);
  put32(8, static_cast<std::uint32_t>(ps.size()));
  put32(20, static_cast<std::uint32_t>(30 + ps.size()));
  put32(24, static_cast<std::uint32_t>(tiff.size()));
  eps += ps + tiff;
  const std::string image = bytes(2 * 49152, 5);
  makeProject({{"e.eps", "eps", 0, eps}, {"i.img", "img", 0, image}, {"job.ps", "sub", 0, "%D", "SubmissionOrder='1'"}});
  pps_->krmPPSSetFlags(0x20 | 0x8000);
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  EXPECT_TRUE(inOrder(output(), {"(e.eps)\ncurrentfile /ASCII85Decode filter\nMAKEVMFILE\n" +
                                     krmConvertToAscii85(ps.data(), ps.size(), 0, 49152) + "\nTQFRESDEF\n",
                                 "(i.img) [\n" + krmConvertToAscii85(image.data(), image.size(), 49152, 0) +
                                     "\n] TQFRESDEF\n"}));
  pps_->krmPPSAddFlags(0x20000);
  ASSERT_EQ(container(), 1001);
  EXPECT_TRUE(inOrder(output(), {"(e.eps)\ncurrentfile /ASCIIHexDecode filter\nMAKEVMFILE\n" +
                                     krmConvertToHex(ps.data(), ps.size(), 0, 49152) + "\n> TQFRESDEF\n",
                                 "(i.img) [\n" + krmConvertToHex(image.data(), image.size(), 49152, 0) +
                                     "\n] TQFRESDEF\n"}));
}

// A file read from the job text ends at the first end mark, so content that
// holds one would run its rest as PostScript: such content goes encoded.
TEST_F(KrmContainer, ContentHoldingTheEndMarkGoesEncoded) {
  const std::string dat = "record 1\n%%EOD_TQF\nerasepage showpage\n";
  const std::string mis = "a container text\n%%EOD_TQF TQFRESDEF\n";
  makeProject({{"d.dat", "dat", 0, dat},
               {"m.mis", "mis", 0, mis},
               {"job.ps", "sub", 0, "%DATA\n", "SubmissionOrder='1'"}});
  pps_->krmPPSSetFlags(0x20 | 0x8000);
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  EXPECT_TRUE(inOrder(output(), {"(d.dat)\ncurrentfile /ASCII85Decode filter\nMAKEVMFILE\n" +
                                     krmConvertToAscii85(dat.data(), dat.size(), 0, 49152) + "\nTQFRESDEF\n",
                                 "(m.mis)\ncurrentfile /ASCII85Decode filter\nMAKEVMFILE\n" +
                                     krmConvertToAscii85(mis.data(), mis.size(), 0, 49152) + "\nTQFRESDEF\n"}));
  EXPECT_EQ(output().find("erasepage"), std::string::npos);
}

TEST_F(KrmContainer, ResourceProblemsKeepThePreviousOutput) {
  makeProject({{"a.frm", "frm", 0, ""}, {"job.ps", "sub", 0, "%DATA\n", "SubmissionOrder='1'"}});
  pps_->krmPPSSetFlags(0x20 | 0x8000);
  // An empty file is a file: it goes as an empty in-memory file (a form
  // without content leaves no procedure to bind).
  ASSERT_EQ(container(), 1001) << krmGetLastMessage();
  EXPECT_NE(output().find("(a.frm) MAKEVMFILE\n\n%%EOD_TQF TQFRESDEF\n"), std::string::npos);
  // One byte over the embedding limit (a sparse file) is too large.
  fs::resize_file(scopeDir(0, "F", "P") + "a.frm", 134217728);
  EXPECT_EQ(container(), 1023);
  EXPECT_TRUE(outputKept());
  fs::remove(scopeDir(0, "F", "P") + "a.frm");
  EXPECT_EQ(container(), 1003);
  EXPECT_EQ(krmGetLastArgument(), scopeDir(0, "F", "P") + "a.frm");
  EXPECT_TRUE(outputKept());
}

TEST_F(KrmContainer, SubmissionIsCopiedInTenMebibyteChunks) {
  const std::size_t mib = 1024 * 1024;
  const std::string data = bytes(25 * mib, 9);
  makeProject({{"job.ps", "sub", 0, data, "SubmissionOrder='1'"}});
  pps_->krmPPSSetFlags(0x20);
  ASSERT_EQ(container(), 1001);
  const std::string job = output();
  ASSERT_TRUE(job.ends_with("\nRSAVE\n" + data + kTrailer));

  std::vector<std::pair<std::int64_t, std::size_t>> reads;
  KrmStream stream("test", dir_ / "copy.out");
  ASSERT_EQ(stream.open(), 1001);
  EXPECT_EQ(krmCopyFileInChunks(stream, submission().c_str(), kKrmSubmissionChunk,
                                [&](std::int64_t offset, std::size_t got) { reads.emplace_back(offset, got); }),
            1001);
  EXPECT_EQ(stream.close(), 1001);
  EXPECT_EQ(reads, (std::vector<std::pair<std::int64_t, std::size_t>>{
                       {0, 10 * mib}, {10 * mib, 10 * mib}, {20 * mib, 5 * mib}}));
  EXPECT_EQ(readFile(dir_ / "copy.out"), data);
}

#ifndef _WIN32
// Where the system can't copy between the two files (here into a pipe), the
// bytes go through a bounded read-and-write loop, from the given offset.
TEST(KrmFileCopy, FallsBackToReadingAndWriting) {
  ScratchDir dir;
  const std::string data = bytes(5000, 4);
  writeFile(dir / "source", data);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> source(std::fopen((dir / "source").c_str(), "rb"), std::fclose);
  ASSERT_TRUE(source);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  KrmCopyResult r = krmCopyFileRange(fileno(source.get()), 1000, fds[1], 10000);
  close(fds[1]);
  EXPECT_EQ(r.copied, 4000u);
  EXPECT_FALSE(r.readFailed || r.writeFailed);
  std::string got(8000, '\0');
  ssize_t n = read(fds[0], got.data(), got.size());
  close(fds[0]);
  ASSERT_EQ(n, 4000);
  got.resize(4000);
  EXPECT_EQ(got, data.substr(1000));

  // A destination that can't be written.
  r = krmCopyFileRange(fileno(source.get()), 0, -1, 100);
  EXPECT_TRUE(r.writeFailed);
  EXPECT_EQ(r.copied, 0u);
}
#endif
