// Loose file, font and removal jobs: job text, flags and failures.
#include <gtest/gtest.h>

#include "krm_test_util.h"
#include "krmsdk/krm_encode.h"
#include "krmsdk/krm_font.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_printer_names.h"
#include "tests/common/part_files.h"

using namespace krmtest;

namespace {

std::string pfbSegment(int type, const std::string& body) {
  std::string s = {'\x80', static_cast<char>(type)};
  std::uint32_t n = static_cast<std::uint32_t>(body.size());
  for (int i = 0; i < 4; ++i) s += static_cast<char>((n >> (8 * i)) & 0xFF);
  return s + body;
}

}  // namespace

class KrmFileJobs : public StartedLibrary {
 protected:
  void SetUp() override {
    StartedLibrary::SetUp();
    vos_->krmVOSSetOutputPath(out_.c_str());
    vos_->krmVOSSetFlags(0x8000);
  }
  std::string body() { return afterHeader(readFile(out_)); }
  // The job after the prolog and date line.
  std::string commands() {
    std::string b = body();
    std::size_t at = b.find(") def\n", krmPrologText().size());
    return at == std::string::npos ? b : b.substr(at + 6);
  }
  std::unique_ptr<krmFOS> fos_ = krmNewFOS();
  std::unique_ptr<krmVOS> vos_ = krmNewVOS();
  std::string out_ = dir_ / "job.ps";
};

TEST_F(KrmFileJobs, FileLoaderText) {
  writeFile(dir_ / "a.frm", "FORM A");
  writeFile(dir_ / "b.jpg", std::string(600, '\x01'));
  fos_->krmFOSAddLoadFile((dir_ / "a.frm").c_str(), "tqfc/formlib/a.frm");
  fos_->krmFOSAddLoadFile((dir_ / "b.jpg").c_str(), "tqfc/imglib/b (1).jpg");
  fos_->krmFOSSetPrinterName("P1");
  ASSERT_EQ(krmCreateFileLoader(fos_.get(), vos_.get()), 1001);
  EXPECT_NE(readFile(out_).find("%%Title: krmCreateFileLoader\n"), std::string::npos);
  EXPECT_EQ(commands(), "\n\n0 (tqfc/formlib/a.frm) (P1) false false load_file\n" +
                            krmConvertToAscii85("FORM A", 6, 0, 512) +
                            "\n\n0 (tqfc/imglib/b \\(1\\).jpg) (P1) false false load_file\n" +
                            krmConvertToAscii85(std::string(600, '\x01').data(), 600, 0, 512) + "\n%EOF");

  fos_->krmFOSSetFlags(0x4000 | 0x8000 | 0x20000);
  ASSERT_EQ(krmCreateFileLoader(fos_.get(), vos_.get()), 1001);
  std::string c = commands();
  EXPECT_EQ(c.rfind("\n\n6 (tqfc/formlib/a.frm) (P1) true true load_file\n464F524D2041\n\n600 ", 0), 0u);
  EXPECT_TRUE(c.ends_with("\nend_list\n%EOF"));
}

TEST_F(KrmFileJobs, FileLoaderRefusals) {
  writeFile(dir_ / "a.frm", "A");
  writeFile(dir_ / "b.frm", "B");
  writeFile(dir_ / "empty.frm", "");
  // Uneven lists.
  fos_->loadFilesList().add(dir_ / "a.frm");
  fos_->loadFilesList().add(dir_ / "b.frm");
  fos_->printerFilesList().add("tqfc/formlib/a.frm");
  EXPECT_EQ(krmCreateFileLoader(fos_.get(), vos_.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmFOS.loadFilesList or krmFOS.printerFilesList");
  EXPECT_FALSE(fs::exists(out_));
  auto none = krmNewFOS();
  EXPECT_EQ(krmCreateFileLoader(none.get(), vos_.get()), 1017);
  EXPECT_EQ(krmCreateFileLoader(nullptr, vos_.get()), 1017);

  // An empty file is sent as an empty ASCII85 text, also when hexadecimal
  // is asked for (a count of 0 would announce ASCII85 data anyway).
  auto fos = krmNewFOS();
  fos->krmFOSAddLoadFile((dir_ / "a.frm").c_str(), "x");
  fos->krmFOSAddLoadFile((dir_ / "empty.frm").c_str(), "y");
  for (int hex : {0, 0x20000}) {
    fos->krmFOSSetFlags(hex);
    EXPECT_EQ(krmCreateFileLoader(fos.get(), vos_.get()), 1001);
    EXPECT_NE(commands().find("\n\n0 (y) () false false load_file\n~>\n"), std::string::npos) << commands();
  }
  // One byte over the embedding limit (a sparse file): 1023 as well. A
  // failed job leaves the previous job at the output.
  const std::string previous = readFile(out_);
  writeFile(dir_ / "huge.bin", "");
  fs::resize_file(dir_ / "huge.bin", 134217728);
  fos = krmNewFOS();
  fos->krmFOSAddLoadFile((dir_ / "huge.bin").c_str(), "x");
  EXPECT_EQ(krmCreateFileLoader(fos.get(), vos_.get()), 1023);
  EXPECT_EQ(readFile(out_), previous);
  fs::resize_file(dir_ / "huge.bin", 134217727);
  auto fonts = krmNewFOS();
  fonts->krmFOSAddFontFile((dir_ / "huge.bin").c_str());
  fs::resize_file(dir_ / "huge.bin", 134217728);
  EXPECT_EQ(krmCreatePSFontLoader(fonts.get(), vos_.get()), 1023);
  EXPECT_EQ(readFile(out_), previous);
  // A file that went missing after it was listed.
  fos = krmNewFOS();
  writeFile(dir_ / "gone.frm", "G");
  fos->krmFOSAddLoadFile((dir_ / "gone.frm").c_str(), "x");
  fs::remove(dir_ / "gone.frm");
  EXPECT_EQ(krmCreateFileLoader(fos.get(), vos_.get()), 1003);
  EXPECT_EQ(std::string(krmGetLastMessage()), "[krmCreateFileLoader] Cannot locate source file. [" +
                                                  dir_ / "gone.frm" + "]");
  EXPECT_EQ(readFile(out_), previous);
}

TEST_F(KrmFileJobs, FontNames) {
  EXPECT_EQ(krmGetFontName("%!PS-AdobeFont-1.0: Courier\n/FontName /Courier def\n"), "fonts/Courier");
  EXPECT_EQ(krmGetFontName("/FontName/Tight def"), "fonts/Tight");
  EXPECT_EQ(krmGetFontName("\t/FontName   /Spaced def\r"), "fonts/Spaced");
  EXPECT_EQ(krmGetFontName("% /FontName /Commented def\n/FontName /Real def\n"), "fonts/Real");
  EXPECT_FALSE(krmGetFontName("/FontName\n/Courier def\n"));
  EXPECT_FALSE(krmGetFontName("/FontName % no name\n"));
  EXPECT_FALSE(krmGetFontName("/FamilyName (Courier)\n"));
  EXPECT_FALSE(krmGetFontName(""));
}

TEST_F(KrmFileJobs, PfbUnwrapping) {
  std::string ascii = "%!PS-AdobeFont-1.0: Courier\n/FontName /Courier def\ncurrentfile eexec\n";
  std::string binary = std::string("\x00\x01\xFF\x80\x02", 5);
  std::string pfb = pfbSegment(1, ascii) + pfbSegment(2, binary) + pfbSegment(1, "cleartomark\n") + "\x80\x03";
  std::string out;
  ASSERT_EQ(krmUnwrapPFB(pfb.data(), pfb.size(), out), KrmPfbStatus::kUnwrapped);
  EXPECT_EQ(out, ascii + binary + "cleartomark\n");
  // Without the end segment the end of the file ends it.
  std::string open = pfbSegment(1, "abc");
  ASSERT_EQ(krmUnwrapPFB(open.data(), open.size(), out), KrmPfbStatus::kUnwrapped);
  EXPECT_EQ(out, "abc");
  EXPECT_EQ(krmUnwrapPFB(ascii.data(), ascii.size(), out), KrmPfbStatus::kNotPfb);
  // Hostile: a length past the end, an unknown type, a cut header.
  std::string longer = pfbSegment(1, "abc");
  longer[2] = '\x7F';
  EXPECT_EQ(krmUnwrapPFB(longer.data(), longer.size(), out), KrmPfbStatus::kMalformed);
  std::string huge = pfbSegment(1, "abc");
  huge[5] = '\xFF';
  EXPECT_EQ(krmUnwrapPFB(huge.data(), huge.size(), out), KrmPfbStatus::kMalformed);
  std::string badType = pfbSegment(1, "abc") + pfbSegment(7, "x");
  EXPECT_EQ(krmUnwrapPFB(badType.data(), badType.size(), out), KrmPfbStatus::kMalformed);
  std::string cut = pfbSegment(1, "abc") + std::string("\x80\x02\x01", 3);
  EXPECT_EQ(krmUnwrapPFB(cut.data(), cut.size(), out), KrmPfbStatus::kMalformed);
  std::string noMarker = pfbSegment(1, "abc") + "x";
  EXPECT_EQ(krmUnwrapPFB(noMarker.data(), noMarker.size(), out), KrmPfbStatus::kMalformed);
}

TEST_F(KrmFileJobs, FontLoader) {
  std::string ascii = "%!PS-AdobeFont-1.0: Courier\n/FontName /Courier def\n";
  std::string binary = std::string("\x00\x01\xFF", 3);
  writeFile(dir_ / "cour.pfb", pfbSegment(1, ascii) + pfbSegment(2, binary) + "\x80\x03");
  writeFile(dir_ / "sym.pfa", "%!FontType1\n/FontName /Sym\\x def\n");
  fos_->krmFOSAddFontFile((dir_ / "cour.pfb").c_str());
  fos_->krmFOSAddFontFile((dir_ / "sym.pfa").c_str());
  fos_->krmFOSSetPrinterName("P1");
  fos_->krmFOSSetFlags(0x4000 | 0x8000 | 0x20000);
  ASSERT_EQ(krmCreatePSFontLoader(fos_.get(), vos_.get()), 1001);
  std::string unwrapped = ascii + binary;
  std::string pfa = readFile(dir_ / "sym.pfa");
  // Fonts never overwrite; the segment headers are gone.
  EXPECT_EQ(commands(), "\n\n" + std::to_string(unwrapped.size()) + " (fonts/Courier) (P1) true false load_file\n" +
                            krmConvertToHex(unwrapped.data(), unwrapped.size(), 0, 512) + "\n\n" +
                            std::to_string(pfa.size()) + " (fonts/Sym\\\\x) (P1) true false load_file\n" +
                            krmConvertToHex(pfa.data(), pfa.size(), 0, 512) + "\nend_list\n%EOF");
  EXPECT_NE(readFile(out_).find("%%Title: krmCreatePSFontLoader\n"), std::string::npos);
}

TEST_F(KrmFileJobs, FontLoaderRefusals) {
  EXPECT_EQ(krmCreatePSFontLoader(fos_.get(), vos_.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmFOS.loadFontsList");

  std::string bad = pfbSegment(1, "/FontName /X def\n");
  bad[3] = '\x10';  // body length far past the end
  writeFile(dir_ / "bad.pfb", bad);
  writeFile(dir_ / "noname.pfa", "%!FontType1\n/FamilyName (X) def\n");
  writeFile(dir_ / "empty.pfa", "");
  writeFile(dir_ / "ok.pfa", "/FontName /Ok def\n");
  // Names that are not one PostScript name are not stored under a guess.
  writeFile(dir_ / "slash.pfa", "/FontName / def\n");
  writeFile(dir_ / "string.pfa", "/FontName (Str Font) def\n");
  writeFile(dir_ / "mixed.pfa", "/FontName /A(B)C def\n");
  for (auto [file, code] : std::vector<std::pair<std::string, int>>{{"bad.pfb", 1019},
                                                                    {"noname.pfa", 1019},
                                                                    {"slash.pfa", 1019},
                                                                    {"string.pfa", 1019},
                                                                    {"mixed.pfa", 1019},
                                                                    {"empty.pfa", 1023}}) {
    auto fos = krmNewFOS();
    fos->krmFOSAddFontFile((dir_ / "ok.pfa").c_str());
    ASSERT_EQ(fos->krmFOSAddFontFile((dir_ / file).c_str()), 1);
    EXPECT_EQ(krmCreatePSFontLoader(fos.get(), vos_.get()), code) << file;
    EXPECT_EQ(std::string(krmGetLastArgument()), dir_ / file);
    EXPECT_FALSE(fs::exists(out_)) << file;
  }
  // Font names the printer would not store under fonts/ stop the job, with
  // the name.
  for (const std::string& name : {std::string(".."), std::string("E\x1bsc"), std::string("V\x0bT"),
                                  std::string("Del\x7f"), std::string(1024, 'F')}) {
    writeFile(dir_ / "refused.pfa", "/FontName /" + name + " def\n");
    auto fos = krmNewFOS();
    fos->krmFOSAddFontFile((dir_ / "ok.pfa").c_str());
    fos->krmFOSAddFontFile((dir_ / "refused.pfa").c_str());
    EXPECT_EQ(krmCreatePSFontLoader(fos.get(), vos_.get()), 1019) << name.size();
    EXPECT_EQ(std::string(krmGetLastArgument()), krmShownName("fonts/" + name));
    EXPECT_FALSE(fs::exists(out_));
  }
  auto fos = krmNewFOS();
  writeFile(dir_ / "gone.pfa", "/FontName /G def\n");
  fos->krmFOSAddFontFile((dir_ / "gone.pfa").c_str());
  fs::remove(dir_ / "gone.pfa");
  EXPECT_EQ(krmCreatePSFontLoader(fos.get(), vos_.get()), 1003);
}

TEST_F(KrmFileJobs, TheJobNeverReplacesAFileItReads) {
  writeFile(dir_ / "a.frm", "A");
  writeFile(dir_ / "f.pfa", "/FontName /F def\n");
  auto files = krmNewFOS();
  files->krmFOSAddLoadFile((dir_ / "a.frm").c_str(), "tqfc/formlib/a.frm");
  vos_->krmVOSSetOutputPath((dir_ / "a.frm").c_str());
  EXPECT_EQ(krmCreateFileLoader(files.get(), vos_.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmVOS.outputPath");
  EXPECT_EQ(readFile(dir_ / "a.frm"), "A");
  auto fonts = krmNewFOS();
  fonts->krmFOSAddFontFile((dir_ / "f.pfa").c_str());
  vos_->krmVOSSetOutputPath((dir_ / "sub/../f.pfa").c_str());
  fs::create_directories(dir_ / "sub");
  EXPECT_EQ(krmCreatePSFontLoader(fonts.get(), vos_.get()), 1017);
  EXPECT_EQ(readFile(dir_ / "f.pfa"), "/FontName /F def\n");
  EXPECT_TRUE(qmtest::partFilesOf(dir_ / "f.pfa").empty());
}

TEST_F(KrmFileJobs, FileRemover) {
  EXPECT_EQ(krmCreateFileRemover(fos_.get(), vos_.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmFOS.removeFilesList");

  fos_->krmFOSAddRemoveFile("a.frm");
  fos_->krmFOSSetFlags(0x4000);
  fos_->krmFOSSetPrinterName("P1");
  ASSERT_EQ(krmCreateFileRemover(fos_.get(), vos_.get()), 1001);
  std::string job = readFile(out_);
  EXPECT_EQ(afterHeader(job).rfind(std::string(krmPrologText()), 0), 0u);
  EXPECT_EQ(commands(), "(a.frm) (P1) true true list&remove\n\nend_list\n%EOF");

  // "*" among other entries: only the full removal.
  auto fos = krmNewFOS();
  EXPECT_EQ(fos->krmFOSAddRemoveFile("a.frm"), 1);
  EXPECT_EQ(fos->krmFOSAddRemoveFile("*"), 1);
  EXPECT_EQ(fos->krmFOSAddRemoveFile("b.frm"), 1);
  fos->krmFOSSetPrinterName("P1");
  ASSERT_EQ(krmCreateFileRemover(fos.get(), vos_.get()), 1001);
  job = readFile(out_);
  EXPECT_EQ(job.find("a.frm"), std::string::npos);
  EXPECT_EQ(job.find("b.frm"), std::string::npos);
  std::string b = afterHeader(job);
  EXPECT_EQ(b.rfind("\ntrue () startjob pop\n" + std::string(krmPrologText()), 0), 0u);
  EXPECT_EQ(commands(),
            "(tqf/*) (P1) false true list&remove\n(tqfc/*) (P1) false true list&remove\n"
            "\n(P1) false 0 auto_start\nfalse () startjob pop\n%EOF");

  // Names no file on the printer can have stop the job before it is
  // written; entries that mean everything are no names.
  for (const char* refused : {"../../x", "%os%/x", "tqfc/a\nb"}) {
    fs::remove(out_);
    auto some = krmNewFOS();
    some->krmFOSAddRemoveFile("a.frm");
    some->krmFOSAddRemoveFile(refused);
    EXPECT_EQ(krmCreateFileRemover(some.get(), vos_.get()), 1017) << refused;
    EXPECT_EQ(std::string(krmGetLastArgument()), krmShownName(refused));
    EXPECT_FALSE(fs::exists(out_));
  }
  auto all = krmNewFOS();
  all->krmFOSAddRemoveFile("/");
  EXPECT_EQ(krmCreateFileRemover(all.get(), vos_.get()), 1001);
}

TEST_F(KrmFileJobs, ProjectJobs) {
  auto pps = krmNewPPS();
  EXPECT_EQ(krmCreateProjectRemover(pps.get(), vos_.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmPPS.folderName");
  pps->krmPPSSetProjectNames("F1", "");
  EXPECT_EQ(krmListPrinterProjectResources(pps.get(), vos_.get()), 1017);
  EXPECT_STREQ(krmGetLastArgument(), "krmPPS.projectName");

  pps->krmPPSSetProjectNames("F1", "Pro(j)");
  pps->krmPPSSetPrinterName("P1");
  ASSERT_EQ(krmCreateProjectRemover(pps.get(), vos_.get()), 1001);
  EXPECT_EQ(commands(), "\n\n[(F1) (Pro\\(j\\)) 0] (P1) false true list&remove\n\n%EOF");
  pps->krmPPSSetFlags(0x800 | 0x1000 | 0x4000);
  ASSERT_EQ(krmCreateProjectRemover(pps.get(), vos_.get()), 1001);
  EXPECT_EQ(commands(), "\n\n[(F1) (Pro\\(j\\)) 3] (P1) true true list&remove\n\nend_list\n%EOF");
  pps->krmPPSSetFlags(0x800);
  ASSERT_EQ(krmCreateProjectRemover(pps.get(), vos_.get()), 1001);
  EXPECT_NE(commands().find(") 1] (P1)"), std::string::npos);
  pps->krmPPSSetFlags(0x1000);
  ASSERT_EQ(krmCreateProjectRemover(pps.get(), vos_.get()), 1001);
  EXPECT_NE(commands().find(") 2] (P1)"), std::string::npos);

  ASSERT_EQ(krmListPrinterProjectResources(pps.get(), vos_.get()), 1001);
  EXPECT_NE(readFile(out_).find("%%Title: krmListPrinterProjectResources\n"), std::string::npos);
  EXPECT_EQ(commands(), "\n[(F1) (Pro\\(j\\)) 0] (P1) true false list&remove\nend_list\n%EOF");
  pps->krmPPSSetFlags(kKrmFlagAnswerListing | kKrmFlagNoListPage);
  ASSERT_EQ(krmListPrinterProjectResources(pps.get(), vos_.get()), 1001);
  EXPECT_TRUE(commands().ends_with("%%EndResource\n[(F1) (Pro\\(j\\)) 0] answer_list\n\n%EOF")) << commands();
}
