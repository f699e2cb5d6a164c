// Loose file, font, list and removal jobs executed by the simulated
// printer.
#ifdef QM_HAVE_PRINTER_SIM

#include <gtest/gtest.h>

#include "krm_sim_test_util.h"
#include "krmsdk/krm_font.h"

using namespace krmtest;

namespace {

using V = std::vector<std::string>;

std::string binaryData(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  unsigned v = seed;
  for (std::size_t i = 0; i < n; ++i) {
    v = v * 1103515245u + 12345u;
    s[i] = static_cast<char>(v >> 16);
  }
  for (std::size_t i = 100; i < 140 && i < n; ++i) s[i] = '\0';  // "z" groups
  return s;
}

std::string pfbSegment(int type, const std::string& body) {
  std::string s = {'\x80', static_cast<char>(type)};
  std::uint32_t n = static_cast<std::uint32_t>(body.size());
  for (int i = 0; i < 4; ++i) s += static_cast<char>((n >> (8 * i)) & 0xFF);
  return s + body;
}

// A PFB file from the machine's font packages, renamed so that only the
// printer disk can provide it.
std::string renamedPfb(const std::string& path, const std::string& from, const std::string& to) {
  std::string original = readFile(path);
  std::string out;
  std::size_t at = 0;
  while (at + 6 <= original.size() && static_cast<unsigned char>(original[at]) == 0x80 && original[at + 1] != 3) {
    int type = original[at + 1];
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= std::uint32_t(static_cast<unsigned char>(original[at + 2 + i])) << (8 * i);
    std::string body = original.substr(at + 6, n);
    if (type == 1) {
      for (std::size_t p; (p = body.find(from)) != std::string::npos;) body.replace(p, from.size(), to);
    }
    out += pfbSegment(type, body);
    at += 6 + n;
  }
  return out + "\x80\x03";
}

}  // namespace

class KrmSimFiles : public SimulatedPrinter {};

TEST_F(KrmSimFiles, LoaderStoresFilesByteForByte) {
  std::string a = binaryData(5000, 1), b = binaryData(1, 2), c = binaryData(70001, 3);
  writeFile(dir_ / "a.frm", a);
  writeFile(dir_ / "b.jpg", b);
  writeFile(dir_ / "c.dat", c);
  auto fos = krmNewFOS();
  fos->krmFOSAddLoadFile((dir_ / "a.frm").c_str(), "tqfc/formlib/a.frm");
  fos->krmFOSAddLoadFile((dir_ / "b.jpg").c_str(), "tqfc/imglib/b (copy).jpg");
  fos->krmFOSSetPrinterName("Hall (B)");
  fos->krmFOSSetFlags(0x4000);
  ASSERT_EQ(krmCreateFileLoader(fos.get(), output("ascii85")), 1001);
  PrinterSimResult r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText << r.log;
  EXPECT_EQ(printer().readFile("tqfc/formlib/a.frm"), a);
  EXPECT_EQ(printer().readFile("tqfc/imglib/b (copy).jpg"), b);
  EXPECT_EQ(r.pages.size(), 1u);  // the status page

  // Hexadecimal, without overwrite: the existing file stays.
  fos = krmNewFOS();
  fos->krmFOSAddLoadFile((dir_ / "c.dat").c_str(), "tqfc/mislib/c.dat");
  fos->krmFOSAddLoadFile((dir_ / "b.jpg").c_str(), "tqfc/formlib/a.frm");
  fos->krmFOSSetFlags(0x20000);
  ASSERT_EQ(krmCreateFileLoader(fos.get(), output("hex")), 1001);
  r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(printer().readFile("tqfc/mislib/c.dat"), c);
  EXPECT_EQ(printer().readFile("tqfc/formlib/a.frm"), a);
  EXPECT_TRUE(r.pages.empty());
  fos->krmFOSAddFlags(0x8000);
  ASSERT_EQ(krmCreateFileLoader(fos.get(), output("hex-over")), 1001);
  ASSERT_TRUE(runJob().ok());
  EXPECT_EQ(printer().readFile("tqfc/formlib/a.frm"), b);
}

TEST_F(KrmSimFiles, ListAndRemoveByPattern) {
  for (const char* name : {"tqfc/formlib/a.frm", "tqfc/formlib/b(1).frm", "tqfc/imglib/x.jpg", "tqf/VER", "fonts/F"})
    ASSERT_TRUE(printer().writeFile(name, "x"));
  auto fos = krmNewFOS();
  fos->krmFOSSetFilePattern("tqfc/formlib/b(1)*");
  fos->krmFOSSetPrinterName("Printer (2)");
  ASSERT_EQ(krmListPrinterFiles(fos.get(), output("list")), 1001);
  PrinterSimResult r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(r.pages.size(), 1u);
  EXPECT_EQ(diskNames().size(), 5u);

  fos = krmNewFOS();
  fos->krmFOSAddRemoveFile("tqfc/formlib/*");
  fos->krmFOSAddRemoveFile("fonts/F");
  ASSERT_EQ(krmCreateFileRemover(fos.get(), output("remove")), 1001);
  r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(diskNames(), (V{"tqf/VER", "tqfc/imglib/x.jpg"}));
  EXPECT_TRUE(r.pages.empty());

  // Everything: Tessel and resources go, auto-start goes off.
  ASSERT_TRUE(printer().writeFile("fonts/G", "x"));
  fos = krmNewFOS();
  fos->krmFOSAddRemoveFile("*.*");
  fos->krmFOSSetFlags(0x4000);
  ASSERT_EQ(krmCreateFileRemover(fos.get(), output("remove-all")), 1001);
  r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(diskNames(), (V{"fonts/G"}));
  EXPECT_EQ(r.pages.size(), 1u);
}

TEST_F(KrmSimFiles, ProjectRemoverDigits) {
  // A project with its own files and shared files recorded for it.
  auto load = [](const char* target, const char* scope) {
    return std::string("\n\n0 (") + target + ") [" + scope + " (F1) (P1)] () false true load_file\nz~>\n";
  };
  SdkString header;
  std::string setup = "%!\n%%EndComments\n\n" + std::string(readFile(std::string(QM_SOURCE_DIR) + "/krmsdk/ps/krmprolog.ps")) +
                      load("tqfc/F1/P1/a.frm", "0") + load("tqfc/F1/fshared/s.frm", "1") +
                      load("tqfc/gshared/g.frm", "2") + load("tqfc/F1/P2/b.frm", "0") + "\n%EOF";
  for (int digit : {3, 0}) {
    PrinterSimResult r = runText("setup", setup);
    ASSERT_TRUE(r.ok()) << r.errorText;
    ASSERT_TRUE(onDisk("tqfc/F1/P1/a.frm"));
    ASSERT_TRUE(onDisk("tqfc/gshared/g.frm"));
    auto pps = krmNewPPS();
    pps->krmPPSSetProjectNames("F1", "P1");
    pps->krmPPSSetFlags(digit == 3 ? 0x800 | 0x1000 : 0);
    ASSERT_EQ(krmCreateProjectRemover(pps.get(), output("remove-project")), 1001);
    r = runJob();
    ASSERT_TRUE(r.ok()) << r.errorText;
    EXPECT_FALSE(onDisk("tqfc/F1/P1/a.frm")) << digit;
    EXPECT_TRUE(onDisk("tqfc/F1/P2/b.frm")) << digit;
    EXPECT_EQ(onDisk("tqfc/F1/fshared/s.frm"), digit == 3) << digit;
    EXPECT_EQ(onDisk("tqfc/gshared/g.frm"), digit == 3) << digit;
  }
  auto pps = krmNewPPS();
  pps->krmPPSSetProjectNames("F1", "P2");
  ASSERT_EQ(krmListPrinterProjectResources(pps.get(), output("list-project")), 1001);
  PrinterSimResult r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(r.pages.size(), 1u);
  EXPECT_TRUE(onDisk("tqfc/F1/P2/b.frm"));
}

TEST_F(KrmSimFiles, FontsLoadAndPrintByName) {
  const std::string pfb = "/usr/share/fonts/X11/Type1/NimbusMonoPS-Regular.pfb";
  const std::string c059 = "/usr/share/fonts/X11/Type1/C059-Roman.pfb";
  const std::string pfa = "/usr/share/groff/1.22.4/font/devps/freeeuro.pfa";
  if (!fs::exists(pfb) || !fs::exists(c059) || !fs::exists(pfa)) GTEST_SKIP() << "font packages missing";
  writeFile(dir_ / "renamed.pfb", renamedPfb(c059, "/FontName /C059-Roman", "/FontName /QmDiskRoman"));
  auto fos = krmNewFOS();
  fos->krmFOSAddFontFile(pfb.c_str());
  fos->krmFOSAddFontFile((dir_ / "renamed.pfb").c_str());
  fos->krmFOSAddFontFile(pfa.c_str());
  ASSERT_EQ(krmCreatePSFontLoader(fos.get(), output("fonts")), 1001);
  PrinterSimResult r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;

  std::string content = readFile(pfb), unwrapped;
  ASSERT_EQ(krmUnwrapPFB(content.data(), content.size(), unwrapped), KrmPfbStatus::kUnwrapped);
  EXPECT_EQ(printer().readFile("fonts/NimbusMonoPS-Regular"), unwrapped);
  auto euroName = krmGetFontName(readFile(pfa));
  ASSERT_TRUE(euroName);
  EXPECT_EQ(printer().readFile(*euroName), readFile(pfa));
  ASSERT_TRUE(onDisk("fonts/QmDiskRoman"));

  // A follow-up job prints with the fonts by name.
  std::string euro = euroName->substr(6);
  r = runText("use", "%!\n/QmDiskRoman findfont 30 scalefont setfont 72 700 moveto (Printed from disk) show\n"
                     "currentfont /FontName get =\n"
                     "/" + euro + " findfont 30 scalefont setfont 72 600 moveto (\\200) show\n"
                     "currentfont /FontName get =\n"
                     "/NimbusMonoPS-Regular findfont 20 scalefont setfont 72 500 moveto (mono) show\nshowpage\n");
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_EQ(r.output, "QmDiskRoman\n" + euro + "\n");
  EXPECT_EQ(r.pages.size(), 1u);
}

#endif
