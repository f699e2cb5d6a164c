// Names that try to break out of their place in a job: printer, folder,
// project and resource names and patterns holding "(", ")", "\", "%", line
// ends, control bytes or bytes above 127. Every job must still do exactly
// what it says on the simulated printer, and nothing else.
#ifdef QM_HAVE_PRINTER_SIM

#include <gtest/gtest.h>

#include "krm_project_test_util.h"
#include "tests/common/needs_ghostscript.h"
#include "tools/printer_sim/printer_simulator.h"

using namespace krmtest;

namespace {

using V = std::vector<std::string>;

// Text that would end the string it sits in and remove the interpreter.
const std::string kInject = "x) (tqf/*) true true list&remove (";

const V kTessel = {"tqf/VER", "tqf/src/koro.lus", "tqf/src/tqfdep"};

}  // namespace

class KrmHostileNames : public ProjectJobTest {
 protected:
  void SetUp() override {
    QM_REQUIRE_GHOSTSCRIPT();
    ProjectJobTest::SetUp();
    options_.diskDir = dir_ / "disk";
    options_.pagesDir = dir_ / "pages";
    for (const std::string& name : kTessel) ASSERT_TRUE(printer().writeFile(name, "interpreter"));
    ASSERT_TRUE(printer().writeFile("tqfc/formlib/keep.frm", "keep"));
  }
  PrinterSimulator printer() const { return PrinterSimulator(options_); }
  // Runs the job at out_; the job must end without a PostScript error.
  PrinterSimResult run() {
    PrinterSimResult r = printer().run(out_);
    EXPECT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
    return r;
  }
  V disk() const {
    V names;
    for (const DiskFile& f : printer().listDisk()) names.push_back(f.name);
    return names;
  }
  void expectTesselIntact() const {
    for (const std::string& name : kTessel) EXPECT_EQ(printer().readFile(name), "interpreter") << name;
  }
  PrinterSimOptions options_;
};

TEST_F(KrmHostileNames, PrinterNamesAndPatternsOnlyListAndRemoveWhatTheyName) {
  const V before = disk();
  // The printer name appears in every command; the pattern is matched
  // literally, so it finds nothing.
  auto fos = krmNewFOS();
  fos->krmFOSSetFilePattern(kInject.c_str());
  fos->krmFOSSetPrinterName("Hall) (tqf/*) true true list&remove (\n%%EOF\r\x1b%-12345X\x04\xe9");
  ASSERT_EQ(krmListPrinterFiles(fos.get(), vos_.get()), 1001);
  EXPECT_EQ(run().pages.size(), 1u);
  EXPECT_EQ(disk(), before);
  // One command per line: no name starts a line of its own.
  EXPECT_EQ(output().find("\n%%EOF\r"), std::string::npos);
  EXPECT_EQ(output().find('\x1b'), std::string::npos);
  EXPECT_EQ(output().find('\x04'), std::string::npos);

  // Removal of the injected text and of names with "%" and "\" removes
  // those names only.
  ASSERT_TRUE(printer().writeFile("tqfc/mislib/" + kInject, "bait"));
  ASSERT_TRUE(printer().writeFile("tqfc/mislib/50% \\off\xe9", "bait"));
  fos = krmNewFOS();
  fos->krmFOSAddRemoveFile(("tqfc/mislib/" + kInject).c_str());
  fos->krmFOSAddRemoveFile("tqfc/mislib/50% \\\\off\xe9");  // "\" quotes in a pattern
  fos->krmFOSAddRemoveFile(kInject.c_str());
  fos->krmFOSSetPrinterName(kInject.c_str());
  fos->krmFOSSetFlags(0x4000);
  ASSERT_EQ(krmCreateFileRemover(fos.get(), vos_.get()), 1001);
  EXPECT_EQ(run().pages.size(), 1u);
  EXPECT_EQ(disk(), before);
  expectTesselIntact();
}

TEST_F(KrmHostileNames, LoadedFilesLandUnderTheirExactNamesOrNowhere) {
  auto fos = krmNewFOS();
  int n = 0;
  auto add = [&](const std::string& target) {
    const std::string local = dir_ / ("f" + std::to_string(n++) + ".bin");  // one local file per entry
    writeFile(local, "payload");
    fos->krmFOSAddLoadFile(local.c_str(), target.c_str());
  };
  const std::string exact = "tqfc/mislib/a(b) %c \\d \xe9\xff.bin";
  const std::string injected = "tqfc/mislib/" + kInject;
  add(exact);
  add(injected);
  // Names a printer disk must not take are refused before the job is
  // written (krm_sim_names_test.cpp holds them all, with the printer's own
  // refusal of each).
  add("tqfc/mislib/last.bin");
  fos->krmFOSSetPrinterName(kInject.c_str());
  fos->krmFOSSetFlags(0x4000 | 0x8000);
  ASSERT_EQ(krmCreateFileLoader(fos.get(), vos_.get()), 1001);
  EXPECT_EQ(run().pages.size(), 1u);
  EXPECT_EQ(printer().readFile(exact), "payload");
  EXPECT_EQ(printer().readFile(injected), "payload");
  EXPECT_EQ(disk(), (V{"tqf/VER", "tqf/src/koro.lus", "tqf/src/tqfdep", "tqfc/formlib/keep.frm", exact,
                       "tqfc/mislib/last.bin", injected}));
  expectTesselIntact();
  EXPECT_FALSE(fs::exists("/tmp/qm-escape"));
}

TEST_F(KrmHostileNames, ProjectNamesAndResourceNamesStayInTheirProject) {
  // Folder and project names with string breakers; resource names that try
  // to climb out of the project or to forge lines of the record of shared
  // files that project removal deletes.
  // A project name is one folder level, so the injection has no "/".
  folder_ = "F(1) %\xe9";
  project_ = "x) (tqf*) true true list&remove (";
  const std::string forged = "s.frm\n2 tqf/src/koro.lus";
  // A project that lists a climbing or a forged name is refused whole.
  const std::vector<TestResource> bad = {{"../../../tqf/src/tqfdep", "frm", 0, "CLIMB"}, {forged, "frm", 2, "FORGED"}};
  for (const TestResource& r : bad) {
    makeProject({{"a(1).frm", "frm", 0, "FORM A"}, r, {"g.frm", "frm", 2, "GLOBAL"}});
    EXPECT_EQ(krmCreateProjectResourceLoader(pps_.get(), vos_.get()), 1010) << r.name;
    EXPECT_FALSE(outputExists()) << r.name;
  }
  makeProject({{"a(1).frm", "frm", 0, "FORM A"}, {"g.frm", "frm", 2, "GLOBAL"}});
  pps_->krmPPSSetPrinterName(kInject.c_str());
  pps_->krmPPSSetFlags(0x4000);
  ASSERT_EQ(krmCreateProjectResourceLoader(pps_.get(), vos_.get()), 1001) << krmGetLastMessage();
  run();
  const std::string local = "tqfc/" + folder_ + "/" + project_ + "/";
  EXPECT_EQ(printer().readFile(local + "a(1).frm"), "FORM A");
  EXPECT_EQ(printer().readFile("tqfc/gshared/g.frm"), "GLOBAL");
  EXPECT_FALSE(printer().readFile("tqfc/gshared/" + forged).has_value());
  expectTesselIntact();

  // Removing the project with its shared files takes its own files and
  // the shared file it really uses, nothing that a name pretended.
  auto pps = krmNewPPS();
  pps->krmPPSSetProjectNames(folder_.c_str(), project_.c_str());
  pps->krmPPSSetPrinterName(kInject.c_str());
  pps->krmPPSSetFlags(0x4000);
  ASSERT_EQ(krmCreateProjectRemover(pps.get(), vos_.get()), 1001);
  run();
  EXPECT_EQ(disk(), (V{"tqf/VER", "tqf/src/koro.lus", "tqf/src/tqfdep", "tqfc/formlib/keep.frm"}));
  expectTesselIntact();

  // A project whose name is a pattern removes nothing of the others.
  ASSERT_TRUE(printer().writeFile("tqfc/F/P1/a.frm", "other project"));
  pps->krmPPSSetProjectNames("F", "P*");
  ASSERT_EQ(krmCreateProjectRemover(pps.get(), vos_.get()), 1001);
  run();
  EXPECT_EQ(printer().readFile("tqfc/F/P1/a.frm"), "other project");
}

#endif
