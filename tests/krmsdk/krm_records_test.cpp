// Settings records: defaults, refusals and the rules of the setters.
#include <gtest/gtest.h>

#include "krm_test_util.h"
#include "krmsdk/krm_paths.h"

using namespace krmtest;

TEST(KrmRecords, PpsDefaultsAndRefusals) {
  auto pps = krmNewPPS();
  EXPECT_EQ(pps->krmPPSGetProcessingMode(), 2001);
  EXPECT_EQ(pps->krmPPSGetPageRangeMode(), 2);
  EXPECT_EQ(pps->krmPPSGetFirstPage(), 1);
  EXPECT_EQ(pps->krmPPSGetLastPage(), 65535);
  EXPECT_EQ(pps->krmPPSGetFolderName(), nullptr);
  EXPECT_STREQ(pps->krmPPSGetHeaderComments(), "");

  EXPECT_EQ(pps->krmPPSSetProcessingMode(2004), 0);
  EXPECT_EQ(pps->krmPPSGetProcessingMode(), 2001);
  EXPECT_EQ(pps->krmPPSSetProcessingMode(2003), 1);
  EXPECT_EQ(pps->krmPPSSetPageRange(2, 5, 4), 0);
  EXPECT_EQ(pps->krmPPSSetPageRange(3, 1, 4), 0);
  EXPECT_EQ(pps->krmPPSSetPageRange(1, 0, 4), 0);
  EXPECT_EQ(pps->krmPPSGetPageRangeMode(), 2);
  EXPECT_EQ(pps->krmPPSGetFirstPage(), 1);
  EXPECT_EQ(pps->krmPPSGetLastPage(), 65535);
  EXPECT_EQ(pps->krmPPSSetPageRange(0, 3, 3), 1);
  EXPECT_EQ(pps->krmPPSGetLastPage(), 3);

  EXPECT_EQ(pps->krmPPSSetProjectNames("f", nullptr), 0);
  EXPECT_EQ(pps->krmPPSGetFolderName(), nullptr);
  EXPECT_EQ(pps->krmPPSSetProjectNames("f", "p"), 1);
  EXPECT_STREQ(pps->krmPPSGetProjectName(), "p");
  EXPECT_EQ(pps->krmPPSSetPrinterName(nullptr), 0);
  EXPECT_EQ(pps->krmPPSSetPrinterName(""), 1);
  EXPECT_STREQ(pps->krmPPSGetPrinterName(), "");

  EXPECT_EQ(pps->krmPPSSetFlags(0x4000), 1);
  EXPECT_EQ(pps->krmPPSAddFlags(0x8000), 1);
  EXPECT_EQ(pps->krmPPSGetFlags(), 0xC000);

  // A duplicate is the same name in any case; a name a listed one matches
  // as a pattern is another name.
  EXPECT_EQ(pps->krmPPSAddResource("a.frm"), 1);
  EXPECT_EQ(pps->krmPPSAddResource("A.FRM"), 0);
  EXPECT_EQ(pps->krmPPSAddResource("*.jpg"), 1);
  EXPECT_EQ(pps->krmPPSAddResource("logo.jpg"), 1);
  EXPECT_EQ(pps->krmPPSAddResource("a[1].frm"), 1);
  EXPECT_EQ(pps->krmPPSAddResource("a1.frm"), 1);
  EXPECT_EQ(pps->krmPPSAddResource("*"), 1);
  EXPECT_EQ(pps->krmPPSAddResource("*"), 0);
  EXPECT_EQ(pps->krmPPSGetResourceList().count(), 6);
  EXPECT_EQ(krmFreePPS(pps), 1);
  EXPECT_EQ(pps, nullptr);
}

TEST(KrmRecords, KoroPathEndsInOneSeparator) {
  auto ios = krmNewIOS();
  const std::string sep(1, kSdkHostSeparator);
  EXPECT_EQ(ios->krmIOSSetKOROPath(nullptr), 0);
  ios->krmIOSSetKOROPath(("opt" + sep + "tessel").c_str());
  EXPECT_EQ(std::string(ios->krmIOSGetKOROPath()), "opt" + sep + "tessel" + sep);
  ios->krmIOSSetKOROPath(("opt" + sep + sep + "tessel" + sep).c_str());
  EXPECT_EQ(std::string(ios->krmIOSGetKOROPath()), "opt" + sep + "tessel" + sep);
  auto pps = krmNewPPS();
  pps->krmPPSSetKOROPath(("k" + sep).c_str());
  EXPECT_EQ(std::string(pps->krmPPSGetKOROPath()), "k" + sep);
}

TEST(KrmRecords, FosLists) {
  ScratchDir dir;
  writeFile(dir / "formlib/a.frm", "x");
  writeFile(dir / "logo.JPG", "x");
  auto fos = krmNewFOS();
  EXPECT_EQ(fos->krmFOSAddLoadFile(nullptr, nullptr), 0);
  EXPECT_EQ(fos->krmFOSAddLoadFile("", nullptr), 0);
  EXPECT_EQ(fos->krmFOSAddLoadFile((dir / "missing").c_str(), "x"), 0);
  EXPECT_EQ(fos->krmFOSAddLoadFile((dir / "formlib/a.frm").c_str(), nullptr), 1);
  EXPECT_EQ(fos->krmFOSAddLoadFile((dir / "logo.JPG").c_str(), ""), 1);
  EXPECT_EQ(fos->krmFOSGetPrinterFilesList().toVector(),
            (std::vector<std::string>{"tqfc/formlib/a.frm", "tqfc/imglib/logo.JPG"}));
  // The same local file again renames it.
  EXPECT_EQ(fos->krmFOSAddLoadFile((dir / "logo.JPG").c_str(), "tqfc/imglib/new.jpg"), 1);
  EXPECT_EQ(fos->krmFOSGetLoadFilesList().count(), 2);
  EXPECT_STREQ(fos->krmFOSGetPrinterFilesList().get(1), "tqfc/imglib/new.jpg");

  // A local name with brackets is recognised as the same file.
  writeFile(dir / "a[1].frm", "x");
  EXPECT_EQ(fos->krmFOSAddLoadFile((dir / "a[1].frm").c_str(), "tqfc/formlib/one.frm"), 1);
  EXPECT_EQ(fos->krmFOSAddLoadFile((dir / "a[1].frm").c_str(), "tqfc/formlib/two.frm"), 1);
  EXPECT_EQ(fos->krmFOSGetLoadFilesList().count(), 3);
  EXPECT_STREQ(fos->krmFOSGetPrinterFilesList().get(2), "tqfc/formlib/two.frm");

  // A local name that a listed one matches as a pattern is another file.
  writeFile(dir / "a1.frm", "x");
  EXPECT_EQ(fos->krmFOSAddLoadFile((dir / "a1.frm").c_str(), "tqfc/formlib/three.frm"), 1);
  EXPECT_EQ(fos->krmFOSGetLoadFilesList().count(), 4);
  EXPECT_STREQ(fos->krmFOSGetPrinterFilesList().get(2), "tqfc/formlib/two.frm");

  EXPECT_EQ(fos->krmFOSAddRemoveFile("tqfc/formlib/a.frm"), 1);
  EXPECT_EQ(fos->krmFOSAddRemoveFile("tqfc/formlib/*"), 1);
  EXPECT_EQ(fos->krmFOSAddRemoveFile("TQFC/FORMLIB/A.FRM"), 0);
  EXPECT_EQ(fos->krmFOSAddRemoveFile("tqfc/formlib/*"), 0);
  EXPECT_EQ(fos->krmFOSAddRemoveFile(nullptr), 0);
  EXPECT_EQ(fos->krmFOSGetRemoveFilesList().count(), 2);
  EXPECT_EQ(fos->krmFOSAddFontFile((dir / "logo.JPG").c_str()), 1);
  EXPECT_EQ(fos->krmFOSAddFontFile((dir / "logo.JPG").c_str()), 1);
  EXPECT_EQ(fos->krmFOSAddFontFile((dir / "a1.frm").c_str()), 1);
  EXPECT_EQ(fos->krmFOSAddFontFile((dir / "a[1].frm").c_str()), 1);
  EXPECT_EQ(fos->krmFOSGetLoadFontsList().count(), 3);
#ifndef _WIN32
  // Off Windows, letter case tells two local files apart.
  writeFile(dir / "LOGO.jpg", "x");
  EXPECT_EQ(fos->krmFOSAddFontFile((dir / "LOGO.jpg").c_str()), 1);
  EXPECT_EQ(fos->krmFOSGetLoadFontsList().count(), 4);
#endif
  EXPECT_EQ(fos->krmFOSAddFontFile((dir / "none.pfb").c_str()), 0);
  EXPECT_EQ(fos->krmFOSAddFontFile(""), 0);
}

TEST(KrmRecords, LocalToPrinterPath) {
  // Windows paths: "\" separates folders.
  auto name = [](const char* local) {
    SdkString out;
    EXPECT_EQ(krmLocalToPrinterPath(local, out, true), 1);
    return out.str();
  };
  EXPECT_EQ(name("C:\\res\\formlib\\sub\\a.frm"), "tqfc/formlib/sub/a.frm");
  EXPECT_EQ(name("D:\\x\\demo\\d.frm"), "tqf/demo/d.frm");
  EXPECT_EQ(name("D:\\x\\Logo.JPG"), "tqfc/imglib/Logo.JPG");
  EXPECT_EQ(name("D:\\x\\a.Frm"), "tqfc/mislib/a.Frm");
  EXPECT_EQ(name("/home/u//res/imglib/p.tif"), "tqfc/imglib/p.tif");
  EXPECT_EQ(name("/home/u/fonts/x.pfb"), "tqfc/fontlib/x.pfb");
  EXPECT_EQ(name("/home/u/README"), "tqfc/mislib/README");
  EXPECT_EQ(name("/home/u/a.enc"), "tqfc/encoding/a.enc");
  // The first marker of the list wins, wherever it stands.
  EXPECT_EQ(name("/x/imglib/formlib/a.seg"), "tqfc/formlib/a.seg");
  EXPECT_EQ(name("C:a.frm"), "tqfc/formlib/a.frm");

  // Off Windows "\" is a character of the file name, which the printer name
  // keeps whole.
  auto posix = [](const char* local) {
    SdkString out;
    krmLocalToPrinterPath(local, out, false);
    return out.str();
  };
  EXPECT_EQ(posix("/home/u/back\\slash.frm"), "tqfc/formlib/back\\slash.frm");
  EXPECT_EQ(posix("/home/u/formlib/a\\b.frm"), "tqfc/formlib/a\\b.frm");
  EXPECT_EQ(posix("C:a.frm"), "tqfc/formlib/C:a.frm");
}
