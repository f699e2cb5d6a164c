#include "delivery/printer_path.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/delivery/test_env.h"
#ifdef QM_HAVE_KRMSDK
#include "krmsdk/krm_font.h"
#endif

namespace {

struct PathCase {
  const char* local;
  int type;
  bool markers;
  const char* printer;
  bool recognised;
};

TEST(PrinterPath, ConvertsByTypeMarkerOrExtension) {
  const PathCase cases[] = {
      {"C:\\res\\fontlib\\sub\\a.pfb", -1, true, "tqfc/fontlib/sub/a.pfb", true},
      {"C:\\res\\fontlib\\sub\\a.pfb", -1, false, "tqfc/fontlib/a.pfb", true},
      {"D:\\x\\demo\\start.ps", -1, true, "tqf/demo/start.ps", true},
      {"C:\\forms\\LOGO.JPG", -1, true, "tqfc/imglib/LOGO.JPG", true},
      {"C:\\res\\README", -1, true, "tqfc/mislib/README", false},
      {"C:\\v1.2\\README", -1, true, "tqfc/mislib/README", false},
      {"C:\\res\\FontLib\\a.pfb", -1, true, "tqfc/fontlib/a.pfb", true},
      {"C:\\any\\where\\a.pfb", 3, true, "tqfc/imglib/a.pfb", true},
      {"C:\\any\\a.xyz", 0, false, "tqfc/encoding/a.xyz", true},
      // The order of the markers decides, not their position.
      {"/r/fontlib/formlib/x.frm", -1, true, "tqfc/formlib/x.frm", true},
      // Slashes are normalised; a run of three still leaves two.
      {"/r//imglib\\\\p/q.tif", -1, true, "tqfc/imglib/p/q.tif", true},
      {"/r///imglib/q.tif", -1, true, "tqfc/imglib/q.tif", true},
      {"C:logo.eps", -1, false, "tqfc/imglib/logo.eps", true},
      {"table.DAT", 7, false, "tqfc/mislib/table.DAT", true},
      {"x.Enc", -1, false, "tqfc/encoding/x.Enc", true},
      {"job.xjt", -1, false, "tqfc/jdtlib/job.xjt", true},
      {"s.seg", -1, false, "tqfc/formlib/s.seg", true},
  };
  // Windows paths: "\" separates folders.
  for (const PathCase& c : cases) {
    PrinterPath result = ToPrinterPath(c.local, c.type, c.markers, true);
    EXPECT_EQ(result.path, c.printer) << c.local;
    EXPECT_EQ(result.recognised, c.recognised) << c.local;
  }
}

TEST(PrinterPath, BackslashIsPartOfTheNameOffWindows) {
  // Two local files must not end up under one printer name: off Windows
  // "back\slash.frm" is a file name, not the file "slash.frm" in "back".
  EXPECT_EQ(ToPrinterPath("/home/u/back\\slash.frm", -1, true, false).path, "tqfc/formlib/back\\slash.frm");
  EXPECT_EQ(ToPrinterPath("back\\slash.frm", 2, true, false).path, "tqfc/formlib/back\\slash.frm");
  EXPECT_EQ(ToPrinterPath("/r/formlib/a\\b.frm", -1, true, false).path, "tqfc/formlib/a\\b.frm");
  EXPECT_EQ(ToPrinterPath("C:x.frm", -1, true, false).path, "tqfc/formlib/C:x.frm");
  EXPECT_EQ(ToPrinterPath("back\\slash.frm", -1, true, true).path, "tqfc/formlib/slash.frm");
#ifndef _WIN32
  EXPECT_EQ(ToPrinterPath("back\\slash.frm", -1, true).path, "tqfc/formlib/back\\slash.frm");
#endif
}

TEST(PrinterPath, ModifyingAPrinterPathKeepsItsFileName) {
  // The printer path itself is converted again, markers off.
  EXPECT_EQ(ToPrinterPath("tqfc/mislib/logo.tif", -1, false).path, "tqfc/imglib/logo.tif");
  EXPECT_EQ(ToPrinterPath("tqfc/imglib/sub/logo.tif", 4, false).path, "tqfc/jdtlib/logo.tif");
}

TEST(WholeFile, KeepsZeroBytesAndRefusesWhatIsNotAFile) {
  ScratchDir dir;
  const std::string data("a\0b\0", 4);
  std::string content;
  ASSERT_TRUE(ReadWholeFile(dir.write("z.bin", data), content));
  EXPECT_EQ(content, data);
  EXPECT_TRUE(ReadWholeFile(dir.write("empty", ""), content));
  EXPECT_EQ(content, "");
  EXPECT_FALSE(ReadWholeFile("", content));
  EXPECT_FALSE(ReadWholeFile(dir.file("missing"), content));
  EXPECT_FALSE(ReadWholeFile(dir.path(), content));
}

constexpr char kRealPfb[] = "/usr/share/fonts/X11/Type1/C059-Roman.pfb";
constexpr char kRealPfa[] = "/usr/share/groff/1.22.4/font/devps/freeeuro.pfa";

TEST(FontName, ReadsInstalledType1Fonts) {
  std::string name;
  ASSERT_TRUE(ReadPostScriptFontName(kRealPfb, name)) << kRealPfb;
  EXPECT_EQ(name, "C059-Roman");
  ASSERT_TRUE(ReadPostScriptFontName(kRealPfa, name)) << kRealPfa;
  EXPECT_EQ(name, "FreeEuro");
}

std::string pfbSegment(int type, const std::string& body) {
  std::string header("\x80", 1);
  header += static_cast<char>(type);
  std::uint32_t n = static_cast<std::uint32_t>(body.size());
  for (int i = 0; i < 4; ++i) header += static_cast<char>((n >> (8 * i)) & 0xff);
  return header + body;
}

TEST(FontName, TokensAndTheirBoundaries) {
  ScratchDir dir;
  std::string name;
  // A PFB whose clear text has spaces around the key.
  const std::string pfb = pfbSegment(1, "%!FontType1-1.0: Sample\n/FontName /Sample-Bold def\n") +
                          pfbSegment(2, std::string("\x01\x02/FontName /Wrong", 17));
  ASSERT_TRUE(ReadPostScriptFontName(dir.write("s.pfb", pfb), name));
  EXPECT_EQ(name, "Sample-Bold");
  // A PFA without a blank between key and name.
  ASSERT_TRUE(ReadPostScriptFontName(dir.write("s.pfa", "%!PS-AdobeFont-1.0: X\n/FontName/Tight def\n"), name));
  EXPECT_EQ(name, "Tight");
  // The key as the last token: no name (an empty name cannot be stored).
  EXPECT_FALSE(ReadPostScriptFontName(dir.write("end.pfa", "%!PS-AdobeFont-1.0\n/FontName"), name));
  // Only inside a longer token, only after a zero byte, or in the dropped
  // first six bytes: no name.
  EXPECT_FALSE(ReadPostScriptFontName(dir.write("long.pfa", "%!PS-AdobeFont\n/MyFontName /X def\n"), name));
  EXPECT_FALSE(ReadPostScriptFontName(dir.write("zero.pfa", std::string("%!PS-A\n\0/FontName /X def", 24)), name));
  EXPECT_FALSE(ReadPostScriptFontName(dir.write("head.pfa", "FontName /X"), name));
  EXPECT_FALSE(ReadPostScriptFontName(dir.write("short", "%!"), name));
  EXPECT_FALSE(ReadPostScriptFontName(dir.write("empty", ""), name));
  EXPECT_FALSE(ReadPostScriptFontName(dir.file("missing.pfb"), name));
}

TEST(FontName, TruncatedFontsNeverReadPastTheirEnd) {
  std::string content;
  ASSERT_TRUE(ReadWholeFile(kRealPfb, content));
  ScratchDir dir;
  const std::string path = dir.file("cut.pfb");
  // Every cut either still holds the whole entry or gives no name (or the
  // key alone, at a cut right after it).
  for (std::size_t length = 0; length < 1200; length += 3) {
    dir.write("cut.pfb", content.substr(0, length));
    std::string name = "unset";
    if (ReadPostScriptFontName(path, name)) {
      EXPECT_TRUE(std::string("C059-Roman").starts_with(name)) << length << ": " << name;
    }
  }
  // Garbage with the segment marker and a huge declared length.
  dir.write("cut.pfb", std::string("\x80\x01\xff\xff\xff\x7f", 6) + "/FontName /Cut");
  std::string name;
  EXPECT_TRUE(ReadPostScriptFontName(path, name));
  EXPECT_EQ(name, "Cut");
}

TEST(FontName, OnlyOnePostScriptNameIsAName) {
  // The font page shows the name the job stores the font under, and a font
  // without one usable name is refused by both.
  ScratchDir dir;
  const std::pair<const char*, const char*> cases[] = {
      {"/FontName /Courier def\n", "Courier"},
      {"/FontName/Tight def\n", "Tight"},
      {"\t/FontName   /Spaced\tdef\r\n", "Spaced"},
      {"% /FontName /Commented def\n/FontName /Real def\n", "Real"},
      {"/FontName /Utf\xc3\xa9-8 def\n", "Utf\xc3\xa9-8"},
      {"/FontName /AtEnd", "AtEnd"},
      {"/FontName / def\n", nullptr},
      {"/FontName (Str Font) def\n", nullptr},
      {"/FontName /A(B)C def\n", nullptr},
      {"/FontName /A/B def\n", nullptr},
      {"/FontName /A%c\n", nullptr},
      {"/FontName Courier def\n", nullptr},
      {"/FontName\n/Courier def\n", nullptr},
      {"/FontName % none\n/FontName /Later def\n", nullptr},
  };
  for (const auto& [body, expected] : cases) {
    const std::string text = std::string("%!PS-AdobeFont-1.0: T\n") + body;
    std::string name = "unset";
    const bool read = ReadPostScriptFontName(dir.write("t.pfa", text), name);
    if (expected == nullptr) {
      EXPECT_FALSE(read) << body << " -> " << name;
    } else {
      EXPECT_TRUE(read) << body;
      EXPECT_EQ(name, expected) << body;
    }
#ifdef QM_HAVE_KRMSDK
    std::optional<std::string> stored = krmGetFontName(text);
    if (expected == nullptr) {
      EXPECT_FALSE(stored) << body;
    } else {
      EXPECT_EQ(stored, "fonts/" + std::string(expected)) << body;
    }
#endif
  }
}

}  // namespace
