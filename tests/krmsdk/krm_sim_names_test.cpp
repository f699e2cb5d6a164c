// Names and bytes on the printer disk: the job library refuses exactly the
// names the printer refuses, names that only look like patterns are names,
// two files of one name in two scopes keep their own bytes through a
// container, and empty files land as empty files.
#ifdef QM_HAVE_PRINTER_SIM

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "kpsdk/kx_project.h"
#include "krmsdk/krm_encode.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_printer_names.h"
#include "krmsdk/krm_transfer.h"
#include "krm_sim_test_util.h"
#include "tests/common/project_stub.h"

using namespace krmtest;

namespace {

struct Resource {
  std::string name;
  int scope;
  std::string content;
};

}  // namespace

class KrmSimNames : public SimulatedPrinter {
 protected:
  void SetUp() override {
    SimulatedPrinter::SetUp();
    startup_ = dir_ / "tessel/tqfdos.run";
    writeFile(startup_, projectStubText(dir_.path(), dir_.path()));
  }

  std::string scopeDir(int scope) const {
    if (scope == 1) return dir_ / "tqfc/F/fshared/";
    if (scope == 2) return dir_ / "tqfc/gshared/";
    return dir_ / "tqfc/F/P/";
  }

  // Writes project F/P with the resources (type "frm") and returns its KPF.
  std::string project(const std::vector<Resource>& resources) {
    std::string text =
        "<?xml version='1.0'?>\n<KPF Version='2.0'>\n<INFORMATION>\n <PROJECT_TYPE>KORO</PROJECT_TYPE>\n"
        " <FOLDER_NAME>F</FOLDER_NAME>\n <PROJECT_NAME>P</PROJECT_NAME>\n</INFORMATION>\n<RESOURCES>\n";
    for (const Resource& r : resources) {
      text += " <RESOURCE Name='" + r.name + "' Type='frm' Scope='" + std::to_string(r.scope) + "'/>\n";
      writeFile(scopeDir(r.scope) + r.name, r.content);
    }
    std::string kpf = scopeDir(0) + "P.kpf";
    writeFile(kpf, text + "</RESOURCES>\n</KPF>\n");
    return kpf;
  }

  // Loads the project (a KPF, or a container: mode 2003) with the chosen
  // resource names and runs the job.
  PrinterSimResult load(const std::string& source, const std::vector<std::string>& chosen = {}, int flags = 0) {
    auto pps = krmNewPPS();
    pps->krmPPSSetStubPath(startup_.c_str());
    pps->krmPPSSetFlags(0x8 | flags);
    const bool container = source.ends_with(".kpc");
    pps->krmPPSSetProcessingMode(container ? 2003 : 2002);
    if (container) {
      pps->krmPPSSetContainerFile(source.c_str());
    } else {
      pps->krmPPSSetProjectFile(source.c_str());
    }
    for (const std::string& name : chosen) EXPECT_EQ(pps->krmPPSAddResource(name.c_str()), 1) << name;
    EXPECT_EQ(krmCreateProjectResourceLoader(pps.get(), output("load")), 1001) << krmGetLastMessage();
    return runJob();
  }

  // A printer with an empty disk of its own.
  void freshDisk(int n) {
    options_.diskDir = dir_ / ("disk-" + std::to_string(n));
    options_.pagesDir = dir_ / ("pages-" + std::to_string(n));
  }

  std::string startup_;
};

TEST_F(KrmSimNames, TheJobLibraryRefusesExactlyTheNamesThePrinterRefuses) {
  struct Name {
    std::string name;
    bool stored;
  };
  const std::vector<Name> names = {
      {"tqfc/mislib/plain.bin", true},
      {"tqfc/mislib/a..b/...", true},   // dots, but no ".." level
      {"tqfc/mislib/up\\..\\x", true},  // "\" separates nothing on the printer
      {"\\lead", true},
      {"tqfc//twice", true},
      {std::string(kKrmMaxPrinterNameBytes, 'n'), true},
      {"", false},
      {"/tqf/VER", false},
      {"%os%/tmp/qm-escape", false},
      {"tqfc/mislib/line\nend", false},
      {"cr\rend", false},
      {"esc\x1b", false},
      {"vt\x0b", false},
      {"del\x7f", false},
      {"..", false},
      {"../tqf/VER", false},
      {"tqfc/../tqf/VER", false},
      {"tqfc/mislib/..", false},
      {std::string(kKrmMaxPrinterNameBytes + 1, 'n'), false},
      {"fonts/" + std::string(1024, 'F'), false},
      {"tqfc/F/P/.krmuses", false},        // a project's record
      {"tqfc/mislib/x.krmtmp", false},     // a transfer's part file
      {"tqfc/mislib/.KRMUSES", true},      // the printer compares exactly
  };
  // The printer, given every name in a job made without the check.
  SdkString job;
  krmWriteJobHeader(job, "names", "");
  krmAppendProlog(job);
  std::vector<std::string> stored;
  for (const Name& n : names) {
    job.append(krmTransferCommand(0, n.name, "() false true") + krmConvertToAscii85("payload", 7, 0, 512));
    if (n.stored) stored.push_back(n.name);
  }
  job.append(kKrmTrailer);
  PrinterSimResult r = runText("names", std::string(job.view()));
  ASSERT_TRUE(r.ok()) << r.errorText << r.log;
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(diskNames(), stored);
  EXPECT_FALSE(std::filesystem::exists("/tmp/qm-escape"));

  // The job library: the same names refused before anything is written.
  writeFile(dir_ / "payload.bin", "payload");
  for (const Name& n : names) {
    SCOPED_TRACE(krmShownName(n.name));
    EXPECT_EQ(krmPrinterNameFault(n.name) == KrmNameFault::kNone, n.stored);
    if (n.name.empty()) continue;  // the record derives a name for an empty one
    auto fos = krmNewFOS();
    ASSERT_EQ(fos->krmFOSAddLoadFile((dir_ / "payload.bin").c_str(), n.name.c_str()), 1);
    krmVOS* vos = output("one");
    std::filesystem::remove(jobPath_);
    const int rc = krmCreateFileLoader(fos.get(), vos);
    EXPECT_EQ(rc, n.stored ? 1001 : 1017);
    if (!n.stored) {
      EXPECT_EQ(krmGetLastArgument(), krmShownName(n.name));
      EXPECT_FALSE(std::filesystem::exists(jobPath_));
    }
  }
}

TEST_F(KrmSimNames, NamesWithPatternCharactersAreNamesOfTheirOwn) {
  // Loose files: a[1].frm and a1.frm are two files under two names.
  writeFile(dir_ / "a[1].frm", "bracket");
  writeFile(dir_ / "a1.frm", "plain");
  auto fos = krmNewFOS();
  ASSERT_EQ(fos->krmFOSAddLoadFile((dir_ / "a[1].frm").c_str(), nullptr), 1);
  ASSERT_EQ(fos->krmFOSAddLoadFile((dir_ / "a1.frm").c_str(), nullptr), 1);
  ASSERT_EQ(krmCreateFileLoader(fos.get(), output("files")), 1001) << krmGetLastMessage();
  PrinterSimResult r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText << r.log;
  EXPECT_EQ(printer().readFile("tqfc/formlib/a[1].frm"), "bracket");
  EXPECT_EQ(printer().readFile("tqfc/formlib/a1.frm"), "plain");

  // Two fonts whose files differ only by the brackets: both are sent.
  writeFile(dir_ / "f1.pfa", "%!PS-AdobeFont-1.0: One\n/FontName /QmOne def\n");
  writeFile(dir_ / "f[1].pfa", "%!PS-AdobeFont-1.0: Two\n/FontName /QmTwo def\n");
  fos = krmNewFOS();
  fos->krmFOSAddFontFile((dir_ / "f1.pfa").c_str());
  fos->krmFOSAddFontFile((dir_ / "f[1].pfa").c_str());
  ASSERT_EQ(krmCreatePSFontLoader(fos.get(), output("fonts")), 1001) << krmGetLastMessage();
  r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText << r.log;
  EXPECT_TRUE(onDisk("fonts/QmOne"));
  EXPECT_TRUE(onDisk("fonts/QmTwo"));

  // A project with both names: both stored with their own bytes, also when
  // a resource is chosen first and then everything.
  const std::string kpf = project({{"a[1].frm", 0, "project bracket"}, {"a1.frm", 0, "project plain"}});
  for (const auto& chosen : std::vector<std::vector<std::string>>{{}, {"a1.frm", "*"}}) {
    r = load(kpf, chosen);
    ASSERT_TRUE(r.ok()) << r.errorText << r.log;
    EXPECT_EQ(printer().readFile("tqfc/F/P/a[1].frm"), "project bracket");
    EXPECT_EQ(printer().readFile("tqfc/F/P/a1.frm"), "project plain");
  }

  // Removing one name and then everything removes everything.
  fos = krmNewFOS();
  ASSERT_EQ(fos->krmFOSAddRemoveFile("tqfc/formlib/a1.frm"), 1);
  ASSERT_EQ(fos->krmFOSAddRemoveFile("*"), 1);
  ASSERT_EQ(krmCreateFileRemover(fos.get(), output("remove")), 1001) << krmGetLastMessage();
  r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText << r.log;
  for (const std::string& name : diskNames()) EXPECT_EQ(name.rfind("tqfc/", 0), std::string::npos) << name;
}

TEST_F(KrmSimNames, AContainerDeliversEachFileOfOneNameWithItsOwnBytes) {
  const std::string kpf =
      project({{"dup.frm", 0, "LOCAL dup"}, {"dup.frm", 2, "GLOBAL dup"}, {"other.frm", 1, "other"}});
  for (int format : {0, 1}) {
    auto pack = kxProjectNew(startup_);
    ASSERT_TRUE(pack);
    ASSERT_EQ(pack->OpenProject(kpf) & kKxError, 0) << pack->GetMessages();
    pack->SetArchiveFormat(format);
    const std::string kpc = dir_ / (format == 0 ? "dup-zip.kpc" : "dup-tar.kpc");
    ASSERT_EQ(pack->CreateContainer(kpc) & kKxError, 0) << pack->GetMessages();

    PrinterSimResult r = load(kpc);
    ASSERT_TRUE(r.ok()) << r.errorText << r.log;
    EXPECT_EQ(printer().readFile("tqfc/F/P/dup.frm"), "LOCAL dup") << kpc;
    EXPECT_EQ(printer().readFile("tqfc/F/P/other.frm"), "other") << kpc;
  }
  // From the project file: the same bytes under the local name.
  PrinterSimResult r = load(kpf);
  ASSERT_TRUE(r.ok()) << r.errorText << r.log;
  EXPECT_EQ(printer().readFile("tqfc/F/P/dup.frm"), "LOCAL dup");
}

TEST_F(KrmSimNames, EmptyFilesLandAsEmptyFiles) {
  writeFile(dir_ / "empty.frm", "");
  writeFile(dir_ / "after.frm", "after");
  for (int hex : {0, 0x20000}) {
    freshDisk(hex);
    auto fos = krmNewFOS();
    fos->krmFOSAddLoadFile((dir_ / "empty.frm").c_str(), "tqfc/formlib/empty.frm");
    fos->krmFOSAddLoadFile((dir_ / "after.frm").c_str(), "tqfc/formlib/after.frm");
    fos->krmFOSSetFlags(hex | 0x4000);
    ASSERT_EQ(krmCreateFileLoader(fos.get(), output("files")), 1001) << krmGetLastMessage();
    PrinterSimResult r = runJob();
    ASSERT_TRUE(r.ok()) << r.errorText << r.log;
    EXPECT_EQ(printer().readFile("tqfc/formlib/empty.frm"), "") << hex;
    EXPECT_EQ(printer().readFile("tqfc/formlib/after.frm"), "after") << hex;

    const std::string kpf = project({{"void.frm", 0, ""}, {"full.frm", 2, "full"}});
    r = load(kpf, {}, hex);
    ASSERT_TRUE(r.ok()) << r.errorText << r.log;
    EXPECT_EQ(printer().readFile("tqfc/F/P/void.frm"), "") << hex;
    EXPECT_EQ(printer().readFile("tqfc/gshared/full.frm"), "full") << hex;
  }
}

TEST_F(KrmSimNames, EmptyResourcesTravelInPrintableContainers) {
  // Every form of in-job definition, each for an empty file of the project.
  const std::vector<std::pair<std::string, std::string>> kinds = {
      {"void.frm", "frm"}, {"void.seg", "seg"}, {"void.img", "img"}, {"void.dat", "dat"}, {"void.mis", "mis"}};
  std::string kpf =
      "<?xml version='1.0'?>\n<KPF Version='2.0'>\n<INFORMATION>\n <PROJECT_TYPE>KORO</PROJECT_TYPE>\n"
      " <FOLDER_NAME>F</FOLDER_NAME>\n <PROJECT_NAME>P</PROJECT_NAME>\n</INFORMATION>\n<RESOURCES>\n";
  // The submission fails with an undefined command when a file did not
  // travel, and prints one page when every one did.
  std::string run = "%!PS\n(F) (P) SETPROJECT\n";
  for (const auto& [name, type] : kinds) {
    kpf += " <RESOURCE Name='" + name + "' Type='" + type + "' Scope='0'/>\n";
    writeFile(scopeDir(0) + name, "");
    run += "(" + name + ") /" + type + " EXIST not { missing_" + type + " } if\n";
  }
  run += "(void.seg) SCALL (void.mis) RUN\nPORT /NHR 12 SETFONT 300 300 MOVETO (all there) SH PAGEBRK\n";
  writeFile(scopeDir(0) + "P.kpf", kpf + "</RESOURCES>\n</KPF>\n");
  writeFile(dir_ / "run.ps", run);

  int n = 10;
  for (int mode : {0x20, 0x40, 0x60}) {
    for (int hex : {0, 0x20000}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " hex " << hex);
      freshDisk(++n);
      auto pps = krmNewPPS();
      pps->krmPPSSetStubPath(startup_.c_str());
      pps->krmPPSSetProcessingMode(2002);
      pps->krmPPSSetProjectFile((scopeDir(0) + "P.kpf").c_str());
      pps->krmPPSSetSubmissionFile((dir_ / "run.ps").c_str());
      // Built-in Tessel carried by the container, external submission file.
      pps->krmPPSSetFlags(0x2 | 0x8 | 0x10 | mode | hex);
      ASSERT_EQ(krmCreatePrintableContainer(pps.get(), output("container")), 1001) << krmGetLastMessage();
      PrinterSimResult r = runJob();
      ASSERT_TRUE(r.ok()) << r.errorText << r.log;
      EXPECT_EQ(r.pages.size(), 1u);
      // Stored resources land as empty files; inline ones stay in memory.
      for (const auto& [name, type] : kinds)
        EXPECT_EQ(printer().readFile("tqfc/F/P/" + name), mode & 0x40 ? std::optional<std::string>("")
                                                                       : std::nullopt)
            << name;
    }
  }
}

#endif
