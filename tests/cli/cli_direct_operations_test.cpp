// Every operation sent direct to one simulated printer listening on the
// loopback address: after each step its disk holds what the step put there
// (and lost what it removed), and the listing on screen names exactly the
// files of the disk. A job with a PostScript error fails with the printer's
// own words when sent direct, while the spooler reports what it knows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <regex>

#include "base/sdk_fs.h"
#include "cli_fixture.h"

namespace {

bool has(const CliRun& r, const std::string& part) { return r.output.find(part) != std::string::npos; }

class CliDirectOperations : public CliFixture {
 protected:
  void SetUp() override {
    CliFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(cups_->addDirect("Direct_0", port_, disk_, pages_)) << cups_->lastError();
    uri_ = "socket://127.0.0.1:" + std::to_string(port_);
    writeConfig("directTimeout=20\n", "");
  }
  PrinterSimulator direct() const {
    PrinterSimOptions o;
    o.diskDir = disk_;
    o.pagesDir = pages_;
    return PrinterSimulator(o);
  }
  std::vector<std::string> pageFiles() const {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(pages_)) files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
  }
  // The page the job prints on a printer of its own with an empty disk.
  std::string pageOf(const std::string& job) const {
    PrinterSimOptions o;
    o.diskDir = scratch_ + "/reference/disk";
    o.pagesDir = scratch_ + "/reference/pages";
    o.pageName = "page";
    if (!PrinterSimulator(o).run(job).ok()) return "not printed";
    return sdkReadWholeFile((o.pagesDir + "/page-001.png").c_str()).value_or("not printed");
  }
  // The listing on screen against the disk: every file on its own line,
  // and the count, so nothing more is listed either.
  void expectListingMatchesDisk(const std::string& step) {
    CliRun listing = cli({"list", "all", "--printer", uri_, "--no-page"});
    ASSERT_EQ(listing.status, 0) << step << "\n" << listing.output;
    const std::vector<DiskFile> files = direct().listDisk();
    for (const DiskFile& f : files) EXPECT_TRUE(has(listing, "  " + f.name + "\n")) << step << ": " << f.name;
    const std::string count = files.size() == 1 ? "\n1 file, " : "\n" + std::to_string(files.size()) + " files, ";
    EXPECT_TRUE(has(listing, count)) << step << "\n" << listing.output;
  }

  int port_ = 0;
  std::string disk_, pages_, uri_;
};

TEST_F(CliDirectOperations, EveryOperationChangesTheDiskAsAsked) {
  const std::string kpc = scratch_ + "/Invoice.kpc";
  ASSERT_EQ(cli({"container", "create", sampleKpf(), kpc}).status, 0);
  const std::string form = scratchFile("forms/formlib/invoice.frm", "%!\n% a form\n");
  const std::string submission =
      scratchFile("page.ps", "%!PS\n/Helvetica findfont 24 scalefont setfont 72 700 moveto (direct) show showpage\n");

  // A name ending in "/" stands for every file under that folder.
  struct Step {
    std::vector<std::string> args;
    std::vector<std::string> appear, vanish;
    std::size_t newPages;
    std::string printsAs = {};  // a job whose page the step's page must be; empty: not compared
  };
  const std::vector<Step> steps = {
      {{"install", "--auto-start"}, {"tqf/VER", "tqf/src/", "Sys/Start"}, {}, 0},
      {{"startup", "--status-page"}, {}, {}, 1},
      {{"load-project", sampleKpf()},
       {"tqfc/Demo/Invoice/invoice.frm", "tqfc/Demo/fshared/logo.seg", "tqfc/gshared/photo.jpg",
        "tqfc/fontlib/qmmarks.pfa"},
       {},
       0},
      {{"send-container", kpc, "--resources", "included", "--pages", "2-3"}, {}, {}, 2},
      {{"load-files", form}, {"tqfc/formlib/invoice.frm"}, {}, 0},
      {{"load-fonts", "/usr/share/fonts/X11/Type1/C059-Roman.pfb"}, {"fonts/C059-Roman"}, {}, 0},
      {{"send-file", submission}, {}, {}, 1, submission},
      {{"remove-files", "tqfc/formlib/*"}, {}, {"tqfc/formlib/invoice.frm"}, 0},
      {{"delete", "project", "Demo", "Invoice"}, {}, {"tqfc/Demo/Invoice/invoice.frm", "tqfc/gshared/photo.jpg"}, 0},
      {{"delete", "tessel"}, {}, {"tqf/", "Sys/Start"}, 0},
  };
  const auto onDisk = [&](const std::string& name) {
    const std::vector<DiskFile> files = direct().listDisk();
    return name.ends_with("/") ? hasFileStartingWith(files, name)
                               : std::any_of(files.begin(), files.end(), [&](const DiskFile& f) { return f.name == name; });
  };
  for (const Step& step : steps) {
    const std::string what = step.args[0];
    std::vector<std::string> args = step.args;
    args.insert(args.end(), {"--printer", uri_});
    const std::vector<std::string> pagesBefore = pageFiles();
    CliRun r = cli(args);
    ASSERT_EQ(r.status, 0) << what << "\n" << r.output;
    EXPECT_TRUE(has(r, "sent direct")) << what << "\n" << r.output;
    for (const std::string& name : step.appear) EXPECT_TRUE(onDisk(name)) << what << " did not write " << name;
    for (const std::string& name : step.vanish) EXPECT_FALSE(onDisk(name)) << what << " left " << name;
    const std::vector<std::string> pagesAfter = pageFiles();
    EXPECT_EQ(pagesAfter.size() - pagesBefore.size(), step.newPages) << what;
    if (!step.printsAs.empty()) {
      std::vector<std::string> printed;
      std::set_difference(pagesAfter.begin(), pagesAfter.end(), pagesBefore.begin(), pagesBefore.end(),
                          std::back_inserter(printed));
      ASSERT_EQ(printed.size(), 1u) << what;
      EXPECT_EQ(sdkReadWholeFile(printed[0].c_str()).value_or("printed"), pageOf(step.printsAs)) << what;
    }
    expectListingMatchesDisk(what);
  }
  const std::vector<DiskFile> left = direct().listDisk();
  ASSERT_EQ(left.size(), 1u) << "the project and Tessel leave nothing behind";
  EXPECT_EQ(left[0].name, "fonts/C059-Roman") << "deleting Tessel keeps the fonts";
}

TEST_F(CliDirectOperations, PostScriptErrorIsThePrintersWordsDirectAndTheSpoolersThroughIt) {
  const std::string job = scratchFile("broken.ps", "%!PS\n(before) print flush qm_no_such_operator_x\n");

  CliRun sent = cli({"send-file", job, "--printer", uri_});
  EXPECT_EQ(sent.status, 1) << sent.output;
  EXPECT_TRUE(has(sent, "(the printer answered: Error: undefined; OffendingCommand: qm_no_such_operator_x"))
      << sent.output;

  // A queue that runs the job itself knows it failed and why.
  CliRun queued = cli({"send-file", job, "-d", "Tessel_1", "--wait"});
  EXPECT_EQ(queued.status, 1) << queued.output;
  EXPECT_TRUE(std::regex_search(queued.output, std::regex("Tessel_1: job [0-9]+ aborted")))
      << queued.output;
  EXPECT_TRUE(has(queued, "undefined in qm_no_such_operator_x")) << queued.output;

  // The same simulated printer behind a socket queue: the spooler only
  // knows it delivered the bytes.
  CliRun delivered = cli({"send-file", job, "-d", "Direct_0", "--wait"});
  EXPECT_EQ(delivered.status, 0) << delivered.output;
  EXPECT_TRUE(std::regex_search(delivered.output, std::regex("Direct_0: job [0-9]+ completed"))) << delivered.output;
}

}  // namespace
