// Project jobs executed by the simulated printer with the sample project
// (tests/data/sample-project): the resource loader stores every resource at
// its scope's printer path, and the printable container prints the same
// pages whether the resources are on the disk, deployed by the container or
// carried inline, with the installed Tessel or the one it embeds.
#ifdef QM_HAVE_PRINTER_SIM

#include <gtest/gtest.h>

#include <cstdlib>

#include "kpsdk/kx_project.h"
#include "krm_sim_test_util.h"
#include "krmsdk/krm_builtin.h"

using namespace krmtest;

namespace {

struct SampleResource {
  std::string local;   // below the sample tree
  std::string target;  // printer path
  int scope;
};

const std::vector<SampleResource> kSample = {
    {"tqfc/Demo/Invoice/invoice.frm", "tqfc/Demo/Invoice/invoice.frm", 0},
    {"tqfc/Demo/fshared/logo.seg", "tqfc/Demo/fshared/logo.seg", 1},
    {"tqfc/gshared/photo.jpg", "tqfc/gshared/photo.jpg", 2},
    {"tqfc/gshared/qmmarks.pfa", "tqfc/fontlib/qmmarks.pfa", 2},
};

}  // namespace

class KrmSimProject : public SimulatedPrinter {
 protected:
  void SetUp() override {
    SimulatedPrinter::SetUp();
    if (krmBuiltInSet().prolog() == nullptr) GTEST_SKIP() << "no built-in Tessel set in this build";
    // The jobs never write into the sample tree, but a container opened
    // for print-and-forget creates the project's directories: use a copy.
    tree_ = dir_ / "tree";
    fs::copy(std::string(QM_TEST_DATA) + "/sample-project", tree_, fs::copy_options::recursive);
    startup_ = dir_ / "koro/src/tqfdos.run";
    writeFile(startup_, "%!PS\n% Tessel start-up\nTQFdict begin\n"
                        "[ (" + dir_.path() + "/kpcpfd/$$FOLDER./$$PROJECT./)\n"
                        "  (" + tree_ + "/tqfc/$$FOLDER./$$PROJECT./)\n"
                        "  (" + tree_ + "/tqfc/$$FOLDER./fshared/)\n"
                        "  (" + tree_ + "/tqfc/gshared/)\n"
                        "] SETPPATH\nend\n");
    kpf_ = tree_ + "/tqfc/Demo/Invoice/Invoice.kpf";
  }

  // Project records of the sample: from its project file, or from a
  // container of it.
  std::unique_ptr<krmPPS> sample(int flags, const std::string& container = "") {
    auto pps = krmNewPPS();
    pps->krmPPSSetKOROPath((dir_ / "koro").c_str());
    pps->krmPPSSetStubPath(startup_.c_str());  // with 0x8: the built-in Tessel
    if (container.empty()) {
      pps->krmPPSSetProcessingMode(2002);
      pps->krmPPSSetProjectFile(kpf_.c_str());
    } else {
      pps->krmPPSSetProcessingMode(2003);
      pps->krmPPSSetContainerFile(container.c_str());
    }
    pps->krmPPSSetFlags(flags);
    pps->krmPPSSetPrinterName("Sim");
    return pps;
  }

  // Starts a printer with an empty disk of its own.
  void freshPrinter(const std::string& name) {
    options_.diskDir = dir_ / ("disk-" + name);
    options_.pagesDir = dir_ / ("pages-" + name);
  }

  void installTessel() {
    auto ios = krmNewIOS();
    ios->krmIOSSetFlags(0x4 | 0x8 | 0x80000);
    ASSERT_EQ(krmInstallKORO(ios.get(), output("install")), 1001) << krmGetLastMessage();
    PrinterSimResult r = runJob();
    ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  }

  PrinterSimResult loadResources(int flags = 0) {
    auto pps = sample(flags);
    EXPECT_EQ(krmCreateProjectResourceLoader(pps.get(), output("load")), 1001) << krmGetLastMessage();
    return runJob();
  }

  PrinterSimResult printContainer(const std::string& name, krmPPS& pps) {
    EXPECT_EQ(krmCreatePrintableContainer(&pps, output(name)), 1001) << krmGetLastMessage();
    PrinterSimResult r = runJob();
    keepPages(r);
    return r;
  }

  // QM_SAMPLE_PAGES names a folder that receives a copy of every page.
  static void keepPages(const PrinterSimResult& r) {
    const char* keep = std::getenv("QM_SAMPLE_PAGES");
    if (keep == nullptr || *keep == '\0') return;
    fs::create_directories(keep);
    for (const std::string& page : r.pages)
      fs::copy_file(page, fs::path(keep) / fs::path(page).filename(), fs::copy_options::overwrite_existing);
  }

  static std::vector<std::string> pageBytes(const PrinterSimResult& r) {
    std::vector<std::string> pages;
    for (const std::string& p : r.pages) pages.push_back(readFile(p));
    return pages;
  }

  std::string tree_, startup_, kpf_;
};

TEST_F(KrmSimProject, LoaderStoresEveryResourceAndRecordsTheSharedOnes) {
  installTessel();
  PrinterSimResult r = loadResources(0x4000);
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.pages.size(), 1u);  // the status page
  for (const SampleResource& s : kSample)
    EXPECT_EQ(printer().readFile(s.target), readFile(tree_ + "/" + s.local)) << s.target;
  EXPECT_FALSE(onDisk("tqfc/Demo/Invoice/main.ps"));  // submission files only with 0x2000
  // The project's record names the shared files it uses, by scope.
  std::optional<std::string> uses = printer().readFile("tqfc/Demo/Invoice/.krmuses");
  ASSERT_TRUE(uses);
  for (const SampleResource& s : kSample) {
    if (s.scope == 0) continue;
    EXPECT_NE(uses->find(std::to_string(s.scope) + " " + s.target + "\n"), std::string::npos) << *uses;
  }

  // A project remover finds the shared files through the record.
  auto pps = sample(0);
  pps->krmPPSSetProjectNames("Demo", "Invoice");
  ASSERT_EQ(krmCreateProjectRemover(pps.get(), output("remove")), 1001);
  r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  for (const SampleResource& s : kSample) EXPECT_FALSE(onDisk(s.target)) << s.target;
  for (const std::string& name : diskNames()) EXPECT_FALSE(name.starts_with("tqfc/")) << name;
}

TEST_F(KrmSimProject, SharedFilesLeftOutAreStillRecordedForTheProject) {
  installTessel();
  PrinterSimResult r = loadResources(0x800 | 0x1000);
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  std::optional<std::string> uses = printer().readFile("tqfc/Demo/Invoice/.krmuses");
  ASSERT_TRUE(uses);
  for (const SampleResource& s : kSample) {
    EXPECT_EQ(onDisk(s.target), s.scope == 0) << s.target;
    if (s.scope != 0) {
      EXPECT_NE(uses->find(std::to_string(s.scope) + " " + s.target + "\n"), std::string::npos) << *uses;
    }
  }
}

// Names from the project file are taken as they stand: a folder name
// holding a placeholder is not substituted again, and a project named like
// its folder's shared files is neither loaded nor removed.
TEST_F(KrmSimProject, ProjectNamesLandOnlyInTheProjectsOwnFolders) {
  installTessel();
  auto renamed = [&](const std::string& folder, const std::string& project) {
    std::string text = readFile(kpf_);
    sdkReplaceAll(text, "<FOLDER_NAME>Demo<", "<FOLDER_NAME>" + folder + "<");
    sdkReplaceAll(text, "<PROJECT_NAME>Invoice<", "<PROJECT_NAME>" + project + "<");
    const std::string dir = tree_ + "/tqfc/" + folder + "/" + project;
    writeFile(dir + "/Invoice.kpf", text);
    writeFile(dir + "/invoice.frm", "form of " + folder);
    fs::copy_file(tree_ + "/tqfc/Demo/Invoice/main.ps", dir + "/main.ps", fs::copy_options::overwrite_existing);
    writeFile(tree_ + "/tqfc/" + folder + "/fshared/logo.seg", "logo of " + folder);
    return dir + "/Invoice.kpf";
  };
  // Where a second substitution would look: tqfc/AInvoiceB/Invoice/.
  renamed("AInvoiceB", "Invoice");
  kpf_ = renamed("A$$PROJECT.B", "Invoice");
  ASSERT_TRUE(loadResources().ok());
  EXPECT_EQ(printer().readFile("tqfc/A$$PROJECT.B/Invoice/invoice.frm"), "form of A$$PROJECT.B");
  EXPECT_EQ(printer().readFile("tqfc/A$$PROJECT.B/fshared/logo.seg"), "logo of A$$PROJECT.B");

  kpf_ = renamed("Demo", "fshared");
  auto pps = sample(0);
  EXPECT_EQ(krmCreateProjectResourceLoader(pps.get(), output("fshared")), kKrmProjectOpenError);
  pps->krmPPSSetProjectNames("Demo", "fshared");
  EXPECT_EQ(krmCreateProjectRemover(pps.get(), output("remove")), kKrmBadParameter);
  EXPECT_STREQ(krmGetLastArgument(), "krmPPS.projectName");
  pps->krmPPSSetProjectNames("gshared", "Invoice");
  EXPECT_EQ(krmCreateProjectRemover(pps.get(), output("remove")), kKrmBadParameter);
}

TEST_F(KrmSimProject, ContainerPrintsTheSamePagesInEveryResourceMode) {
  std::vector<std::string> reference;
  for (bool embedded : {false, true}) {
    // Embedded Tessel: nothing installed, the built-in set in the container,
    // and only pages 2 and 3 of the three.
    const int tessel = embedded ? 0x2 | 0x8 | 0x80000 | 0x10000 : 0;
    const std::size_t expected = embedded ? 2 : 3;
    struct Mode {
      const char* name;
      int flags;
    };
    for (Mode mode : {Mode{"on-disk", 0x8000}, Mode{"deployed", 0x40}, Mode{"inline", 0x20}}) {
      const std::string name = std::string(embedded ? "embedded-" : "installed-") + mode.name;
      SCOPED_TRACE(name);
      freshPrinter(name);
      if (!embedded) installTessel();
      if (mode.flags == 0x8000) {
        PrinterSimResult load = loadResources();
        ASSERT_TRUE(load.ok()) << load.errorText;
      }
      auto pps = sample(mode.flags | tessel);
      pps->krmPPSSetPageRange(2, 2, 3);
      PrinterSimResult r = printContainer(name, *pps);
      ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
      ASSERT_EQ(r.pages.size(), expected);
      std::vector<std::string> pages = pageBytes(r);
      if (reference.empty()) reference = pages;
      // The same three pages every time (the range prints the last two).
      for (std::size_t i = 0; i < pages.size(); ++i)
        EXPECT_TRUE(pages[i] == reference[i + reference.size() - pages.size()]) << "page " << i + 1;
      // Inline resources stay in memory: the disk holds none of them.
      for (const SampleResource& s : kSample) {
        if (mode.flags == 0x20 || mode.flags == 0x40) {
          EXPECT_EQ(onDisk(s.target), mode.flags == 0x40) << s.target;
        }
      }
    }
  }
}

TEST_F(KrmSimProject, ResidentSelfContainedContainerFromAContainerFile) {
  {
    std::unique_ptr<KxProject> project = kxProjectNew(startup_);
    ASSERT_EQ(project->OpenProject(kpf_) & 8, 0) << project->GetMessages();
    ASSERT_EQ(project->CreateContainer(dir_ / "Invoice.kpc") & 8, 0) << project->GetMessages();
  }
  freshPrinter("resident");
  auto pps = sample(0x2 | 0x4 | 0x8 | 0x20 | 0x40000 | 0x80000 | 0x20000, dir_ / "Invoice.kpc");
  PrinterSimResult r = printContainer("resident", *pps);
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.pages.size(), 3u);
  EXPECT_TRUE(r.disk.empty());
  EXPECT_FALSE(fs::exists(dir_ / "kpcpfd/Demo"));
}

#endif
