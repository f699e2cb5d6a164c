// Tessel install, start-up and removal jobs: job text for the flag
// combinations, the generated start files, local Tessel folders.
#include <gtest/gtest.h>

#include "krm_test_util.h"
#include "krmsdk/krm_builtin.h"
#include "krmsdk/krm_encode.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_koro_texts.h"

using namespace krmtest;

namespace {

using V = std::vector<std::string>;

// A small stand-in for the built-in set.
const KrmBuiltInSet& standInSet() {
  static const KrmBuiltInSet set({
      {"tqf/src/tqf.def", "% defaults\n"},
      {"tqf/VER", "Tessel 11.0\n"},
      {"tqf/src/tqf.eeh", "% prolog\n"},
      {"tqf/src/koro.lus", "% imaging\n"},
      {"tqf/encoding/latin1.enc", "% latin1\n"},
      {"tqf/formlib/tqflogo.seg", "% logo\n"},
      {"tqf/formlib/extra.seg", "% not listed\n"},
      {"runlist.txt",
       "# path role\ntqf/VER data\ntqf/src/tqf.eeh  prolog\ntqf/src/tqf.def module\n"
       "tqf/encoding/latin1.enc encoding\ntqf/formlib/tqflogo.seg data\ntqf/src/koro.lus   imaging\n"
       "tqf/src/missing.def module\n"},
  });
  return set;
}

}  // namespace

class KrmKoroJobs : public StartedLibrary {
 protected:
  void SetUp() override {
    StartedLibrary::SetUp();
    krmUseBuiltInSetForTesting(&standInSet());
    vos_->krmVOSSetOutputPath(out_.c_str());
    vos_->krmVOSSetFlags(0x8000);
    ios_->krmIOSSetPrinterName("P1");
  }
  void TearDown() override {
    krmUseBuiltInSetForTesting(nullptr);
    StartedLibrary::TearDown();
  }
  std::string job() { return readFile(out_); }
  std::unique_ptr<krmIOS> ios_ = krmNewIOS();
  std::unique_ptr<krmVOS> vos_ = krmNewVOS();
  std::string out_ = dir_ / "job.ps";
};

TEST_F(KrmKoroJobs, BuiltInSetOrderAndRunList) {
  const KrmBuiltInSet& set = standInSet();
  V paths;
  for (const auto& f : set.files()) paths.push_back(f.path);
  EXPECT_EQ(paths, (V{"tqf/VER", "tqf/src/tqf.eeh", "tqf/src/tqf.def", "tqf/encoding/latin1.enc",
                      "tqf/formlib/tqflogo.seg", "tqf/src/koro.lus", "tqf/formlib/extra.seg"}));
  EXPECT_EQ(set.prolog()->path, "tqf/src/tqf.eeh");
  EXPECT_EQ(set.imagingModule()->path, "tqf/src/koro.lus");
  ASSERT_EQ(set.encodings().size(), 1u);
  EXPECT_EQ(set.find("tqf/formlib/extra.seg")->role, "data");
  EXPECT_EQ(set.runList(false), (V{"tqf/src/tqf.def"}));
  EXPECT_EQ(set.runList(true), (V{"tqf/src/tqf.def", "tqf/src/koro.lus"}));
  EXPECT_EQ(set.find("runlist.txt"), nullptr);
}

TEST_F(KrmKoroJobs, InstallBuiltIn) {
  ios_->krmIOSSetFlags(0x4);
  ios_->krmIOSSetKOROPath("/nonexistent/tessel");  // ignored with 0x4
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  std::string text = job();
  EXPECT_EQ(transferTargets(text), (V{"tqf/src/tqfdep", "tqf/src/tqfdep.run", "tqf/VER", "tqf/src/tqf.eeh",
                                       "tqf/src/tqf.def", "tqf/encoding/latin1.enc", "tqf/formlib/tqflogo.seg",
                                       "tqf/formlib/extra.seg", "tqf/devicetype"}));
  // The image is hexadecimal with fixed options; the job's own files use
  // the job's options.
  EXPECT_NE(text.find("\n\n12 (tqf/VER) () true true load_file\n54657373656C2031312E300A"), std::string::npos);
  EXPECT_NE(text.find("\n\n0 (tqf/devicetype) (P1) false true load_file\n" +
                      krmConvertToAscii85("/krmsdk\n", 8, 0, 512)),
            std::string::npos);
  // No power-on start: header, prolog, mode 0, trailer.
  std::string body = afterHeader(text);
  EXPECT_EQ(body.rfind(std::string(krmPrologText()), 0), 0u);
  EXPECT_TRUE(text.ends_with("\n(P1) false 0 auto_start\nfalse () startjob pop\n%EOF"));

  // With the imaging module, hexadecimal transfer and the error handler.
  ios_->krmIOSSetFlags(0x4 | 0x80000 | 0x20000 | 0x2);
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  text = job();
  EXPECT_EQ(transferTargets(text), (V{"tqf/src/tqfdep", "tqf/src/tqfdep.run", "tqf/VER", "tqf/src/tqf.eeh",
                                       "tqf/src/tqf.def", "tqf/encoding/latin1.enc", "tqf/formlib/tqflogo.seg",
                                       "tqf/formlib/extra.seg", "tqf/src/koro.lus", "tqf/errorh.ps",
                                       "tqf/devicetype"}));
  EXPECT_NE(text.find("\n\n8 (tqf/devicetype) (P1) false true load_file\n2F6B726D73646B0A"), std::string::npos);
}

TEST_F(KrmKoroJobs, InstallPowerOnStart) {
  ios_->krmIOSSetFlags(0x4 | 0x8 | 0x40000);
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  std::string body = afterHeader(job());
  EXPECT_EQ(body.rfind("\ntrue () startjob pop\ncurrentsystemparams /StartupMode known\n"
                       "  { << /StartupMode 1 >> setsystemparams } if\n" +
                           std::string(krmPrologText()),
                       0),
            0u);
  EXPECT_TRUE(body.ends_with("\n(P1) false 2 auto_start\nfalse () startjob pop\n%EOF"));
  ios_->krmIOSSetFlags(0x4 | 0x8 | 0x4000);
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  EXPECT_TRUE(job().ends_with("\n(P1) true 1 auto_start\nend_list\nfalse () startjob pop\n%EOF"));
  ios_->krmIOSSetFlags(0x4 | 0x8 | 0x40000 | 0x4000);
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  EXPECT_TRUE(job().ends_with("\n(P1) true 2 auto_start\nend_list\nfalse () startjob pop\n%EOF"));
}

TEST_F(KrmKoroJobs, GeneratedStartFiles) {
  std::string dep = krmTqfDepPS(true, nullptr);
  EXPECT_NE(dep.find("%%Title: krmTQFDEP\n"), std::string::npos);
  EXPECT_NE(dep.find("%%BeginSetup\n/TQFENTRY { [ (tqf/src/tqfdep.run) /run cvx 3 index cvx ] cvx def } bind def\n"
                     "/PORT TQFENTRY\n/IPORT TQFENTRY\n"),
            std::string::npos);
  EXPECT_NE(dep.find("/SETPARAMS TQFENTRY\n(tqf/errorh.ps) status {pop pop pop pop (tqf/errorh.ps) run} if\n"
                     "%%EndSetup"),
            std::string::npos);

  std::string run = krmDotRunPS(true, false, nullptr);
  EXPECT_NE(run.find("%%Title: KORO link file for DEP printer (tqfdep.run)\n"), std::string::npos);
  std::string expectedTail = "(tqf/src/tqf.eeh) run\t% run tqf prolog\n\nTQFdict begin\n[ (tqfc/formlib/)\t% ";
  EXPECT_NE(run.find(expectedTail), std::string::npos);
  EXPECT_NE(run.find("] SETPPATH\n\n(tqf/tqfspool) SPOOLNAME\t% TQF spoolfile full name\n\n"
                     "(tqf/src/tqf.def) run\t% default settings\n"
                     "end\t\t\t\t% mandatory (remove TQFdict from dict stack)\n"),
            std::string::npos);
  EXPECT_NE(krmDotRunPS(true, true, nullptr).find("(tqf/src/koro.lus) run\t% Lustrine imaging module\n"),
            std::string::npos);
  std::string paths = krmSearchPathText();
  EXPECT_NE(paths.find("  ()\t% current directory\n] SETMPATH\n\n"), std::string::npos);
  EXPECT_NE(paths.find("[ (tqfc/$$FOLDER./$$PROJECT./)\t% "), std::string::npos);
}

TEST_F(KrmKoroJobs, StartupAndUninstall) {
  ASSERT_EQ(krmStartupKORO(ios_.get(), vos_.get()), 1001);
  EXPECT_EQ(afterHeader(job()), "true () startjob pop\n(tqf/src/tqfdep) run\nfalse () startjob pop\n%EOF");
  ios_->krmIOSSetFlags(0x40000 | 0x4000);
  ASSERT_EQ(krmStartupKORO(ios_.get(), vos_.get()), 1001);
  std::string body = afterHeader(job());
  EXPECT_EQ(body.rfind("true () startjob pop\n(tqf/src/tqfdep.run) run\nfalse () startjob pop\nPORT\n", 0), 0u);
  EXPECT_NE(body.find("(KORO Lustrine) SH [1847 B_D1] MOVEH\n\tIF (LUSVER) ($$.) VSUB3 (LUSVER) eq\n"
                      "\t{ (Not enabled) SHr } ELSE { LUSVER SHr } ENDIF NL\n"),
            std::string::npos);
  EXPECT_TRUE(body.ends_with("\t(kxistamp.seg) CACHE .7 SCALL\n} ENDIF\nPAGEBRK\n%EOF"));

  ios_->krmIOSSetFlags(0x10 | 0x20);
  ASSERT_EQ(krmUninstallKORO(ios_.get(), vos_.get()), 1001);
  body = afterHeader(job());
  EXPECT_EQ(body.rfind("\ntrue () startjob pop\n" + std::string(krmPrologText()) + "\n/DATE (", 0), 0u);
  // Resources go before Tessel; auto-start goes off.
  EXPECT_TRUE(body.ends_with(") def\n\n\n(tqfc/*) (P1) false true list&remove\n\n(tqf/*) (P1) false true list&remove"
                             "\n(P1) false 0 auto_start\nfalse () startjob pop\n%EOF"));
  ios_->krmIOSSetFlags(0x20 | 0x4000);
  ASSERT_EQ(krmUninstallKORO(ios_.get(), vos_.get()), 1001);
  EXPECT_TRUE(job().ends_with(") def\n\n\n(tqfc/*) (P1) true true list&remove\nend_list\nfalse () startjob pop\n%EOF"));
}

// A local Tessel folder as tests build it: start-up file, VER, encodings,
// images and segments.
class KrmLocalTessel : public KrmKoroJobs {
 protected:
  void SetUp() override {
    KrmKoroJobs::SetUp();
    koro_ = dir_ / "KORO";
    writeFile(koro_ + "/VER", "Tessel 11.0 local\n");
    writeFile(koro_ + "/src/tqf.eeh", "% prolog\n");
    writeFile(koro_ + "/src/tqf.gep", "% gep\n");
    writeFile(koro_ + "/src/koro.vsm", "% services\n");
    writeFile(koro_ + "/src/tqf.def", "% defaults\n");
    writeFile(koro_ + "/encoding/b.enc", "% b\n");
    writeFile(koro_ + "/encoding/a.enc", "% a\n");
    writeFile(koro_ + "/imglib/KOROins.jpg", "JPEG");
    writeFile(koro_ + "/imglib/nlogo.tif", "TIFF");
    writeFile(koro_ + "/formlib/tqflogo.seg", "% seg\n");
    writeFile(koro_ + "/formlib/tqflogb.seg", "% segb\n");
    writeStartup("(" + osPath(koro_ + "/src/tqf.eeh") + ") run\n(" + osPath(koro_ + "/src/koro.vsm") + ") run\n(" +
                 koro_ + "/src/tqf.gep) run   % plain path\n(" + osPath(koro_ + "/src/tqf.def") + ") run\n");
    ios_->krmIOSSetKOROPath(koro_.c_str());
  }
  void writeStartup(const std::string& text) { writeFile(koro_ + "/src/tqfdos.run", text); }
  std::string koro_;
};

TEST_F(KrmLocalTessel, InstallSendsFolderFiles) {
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  std::string text = job();
  EXPECT_EQ(transferTargets(text),
            (V{"tqf/src/tqfdep", "tqf/VER", "tqf/src/tqfdep.run", "tqf/src/tqf.eeh", "tqf/src/koro.vsm",
               "tqf/src/tqf.gep", "tqf/src/tqf.def", "tqf/encoding/a.enc", "tqf/encoding/b.enc",
               "tqf/imglib/KOROins.jpg", "tqf/imglib/nlogo.tif", "tqf/formlib/tqflogo.seg", "tqf/formlib/tqflogb.seg",
               "tqf/devicetype"}));
  std::string run = krmDotRunPS(false, false, (koro_ + "/src/tqfdos.run").c_str());
  EXPECT_NE(run.find("(tqf/src/tqf.eeh) run\t% run tqf prolog\n\n(tqf/src/koro.vsm) run\t% run KORO Services Module\n\n"
                     "TQFdict begin\n"),
            std::string::npos);
  EXPECT_TRUE(run.ends_with("(tqf/src/tqf.gep) run\n(tqf/src/tqf.def) run\n"
                            "end\t\t\t\t% mandatory (remove TQFdict from dict stack)\n"));

  // Optional stamp segment and the TIFF stand-in for a missing JPEG.
  fs::remove(koro_ + "/imglib/KOROins.jpg");
  writeFile(koro_ + "/imglib/KOROins.tif", "TIFF");
  writeFile(koro_ + "/formlib/kxistamp.seg", "% stamp\n");
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  V targets = transferTargets(job());
  EXPECT_NE(std::find(targets.begin(), targets.end(), "tqf/imglib/KOROins.tif"), targets.end());
  EXPECT_NE(std::find(targets.begin(), targets.end(), "tqf/formlib/kxistamp.seg"), targets.end());
}

TEST_F(KrmLocalTessel, InstallRefusals) {
  // A listed file outside the folder.
  writeFile(dir_ / "elsewhere/x.def", "x");
  writeStartup("(" + osPath(koro_ + "/src/tqf.eeh") + ") run\n(" + dir_ / "elsewhere/x.def" + ") run\n");
  EXPECT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1018);
  EXPECT_EQ(std::string(krmGetLastArgument()), dir_ / "elsewhere/x.def");
  EXPECT_FALSE(fs::exists(out_));
  // A listed file that is missing.
  writeStartup("(" + koro_ + "/src/missing.def) run\n");
  EXPECT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1003);
  EXPECT_FALSE(fs::exists(out_));
  // A required image that is missing.
  writeStartup("(" + koro_ + "/src/tqf.def) run\n");
  fs::remove(koro_ + "/imglib/nlogo.tif");
  EXPECT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1003);
  EXPECT_EQ(std::string(krmGetLastArgument()), qmtest::native(koro_ + "/imglib/nlogo.tif"));
  // No run operands in the start-up file.
  writeStartup("% nothing here\n");
  EXPECT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1011);
  EXPECT_EQ(std::string(krmGetLastArgument()), qmtest::native(koro_ + "/src/tqfdos.run"));
  EXPECT_FALSE(fs::exists(out_));
}

TEST_F(KrmLocalTessel, VersionFileIsSentOrRefusedNeverDropped) {
  // 64 KiB is still a version file; one byte more, or nothing, is not.
  writeFile(koro_ + "/VER", std::string(64 * 1024, 'v'));
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  V targets = transferTargets(job());
  EXPECT_NE(std::find(targets.begin(), targets.end(), "tqf/VER"), targets.end());
  const std::string previous = readFile(out_);
  for (std::size_t size : {std::size_t{0}, std::size_t{64 * 1024 + 1}}) {
    writeFile(koro_ + "/VER", std::string(size, 'v'));
    EXPECT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1023) << size;
    EXPECT_EQ(std::string(krmGetLastArgument()), qmtest::native(koro_ + "/VER"));
    EXPECT_EQ(readFile(out_), previous);
  }
  // A missing one is not an error.
  fs::remove(koro_ + "/VER");
  EXPECT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
}

TEST_F(KrmLocalTessel, OutputNamingAFileTheInstallReadsIsRefused) {
  writeFile(koro_ + "/src/tqfdos", "%!\n/TQFENTRY { [ (x) /run cvx ] cvx def } def\n%%EndSetup\n");
  // The version file (also spelled another way), the start files, a file
  // the job sends: each stays as it was.
  for (const std::string& input : {koro_ + "/VER", koro_ + "/src/../VER", koro_ + "/src/tqfdos",
                                   koro_ + "/src/tqfdos.run", koro_ + "/encoding/a.enc"}) {
    const std::string before = readFile(input);
    vos_->krmVOSSetOutputPath(input.c_str());
    EXPECT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1017) << input;
    EXPECT_STREQ(krmGetLastArgument(), "krmVOS.outputPath");
    EXPECT_EQ(readFile(input), before) << input;
  }
  // The built-in set reads none of them.
  ios_->krmIOSSetFlags(0x4);
  EXPECT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
}

#ifndef _WIN32
TEST_F(KrmLocalTessel, UnixStartupFileStandsIn) {
  fs::remove(koro_ + "/src/tqfdos.run");
  writeFile(koro_ + "/src/tqfunix.run", "(" + koro_ + "/src/tqf.def) run\n");
  ASSERT_EQ(krmInstallKORO(ios_.get(), vos_.get()), 1001);
  V targets = transferTargets(job());
  EXPECT_EQ(targets[3], "tqf/src/tqf.def");
}
#endif

TEST_F(KrmLocalTessel, TqfdosIsAdapted) {
  writeFile(koro_ + "/src/tqfdos",
            "%!\n%%BeginSetup\n/TQFENTRY { [ (c:\\\\koro\\\\src\\\\tqfdos.run) /run cvx 3 index cvx ] cvx def } def\n"
            "/PORT TQFENTRY\n%%EndSetup\n");
  std::string dep = krmTqfDepPS(false, (koro_ + "/").c_str());
  EXPECT_EQ(dep, "%!\n%%BeginSetup\n/TQFENTRY { [ (tqf/src/tqfdep.run) /run cvx 3 index cvx ] cvx def } def\n"
                 "/PORT TQFENTRY\n(tqf/errorh.ps) dup status exch pop {pop pop pop run} if\n%%EndSetup\n");
  // Without the file: the generated text.
  fs::remove(koro_ + "/src/tqfdos");
  EXPECT_NE(krmTqfDepPS(false, (koro_ + "/").c_str()).find("%%Title: krmTQFDEP\n"), std::string::npos);
}

// The error handler, run by Ghostscript: the error and the operand stack
// end up on a printed page.
TEST(KrmErrorHandler, PrintsTheErrorOnAPage) {
  if (std::system("gs --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "Ghostscript missing";
  ScratchDir dir;
  writeFile(dir / "job.ps", std::string("%!\n") + krmErrorHandlerText() +
                                "1 2 (a string much longer than fifty characters, which must be cut) /four nosuch\n");
  std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=txtwrite -sOutputFile=" + dir / "page.txt" + " " +
                        dir / "job.ps" + " > " + dir / "stdout.txt" + " 2>&1";
  (void)std::system(command.c_str());
  std::string page = readFile(dir / "page.txt");
  EXPECT_NE(page.find("Error: undefined in nosuch"), std::string::npos) << page;
  EXPECT_NE(page.find("Operand stack:"), std::string::npos);
  EXPECT_NE(page.find("nametype"), std::string::npos);
  EXPECT_NE(page.find("a string much longer than fifty characters, which"), std::string::npos);
  // Ghostscript's own report did not run.
  EXPECT_EQ(readFile(dir / "stdout.txt").find("Execution stack"), std::string::npos);
}
