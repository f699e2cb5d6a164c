// quaymaster-cli end to end: jobs go through the private scheduler to the
// simulated printers, whose disks and pages are then checked.
#include <filesystem>

#include "base/sdk_fs.h"
#include "cli_fixture.h"

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST_F(CliFixture, TesselLifeCycleOnAGroup) {
  CliRun printers = cli({"printers"});
  ASSERT_EQ(printers.status, 0) << printers.output;
  EXPECT_TRUE(contains(printers.output, "Tessel_1\n"));
  EXPECT_TRUE(contains(printers.output, "Raw_Capture\n"));
  EXPECT_TRUE(contains(printers.output, "\\\\\\Floor_2\n"));

  CliRun install = cli({"install", "--group", "Floor_2", "--auto-start"});
  ASSERT_EQ(install.status, 0) << install.output;
  EXPECT_EQ(install.output, "Sent to 2 of 2 printers.\n");
  CliRun startup = cli({"startup", "-g", "Floor_2", "--status-page"});
  ASSERT_EQ(startup.status, 0) << startup.output;
  waitIdle();
  for (int n : {1, 2}) {
    auto disk = printer(n).listDisk();
    EXPECT_TRUE(hasFileStartingWith(disk, "tqf/src/")) << "printer " << n;
    EXPECT_TRUE(printer(n).readFile("tqf/VER").has_value());
    EXPECT_FALSE(pages(n).empty()) << "the start-up page of printer " << n;
  }

  CliRun list = cli({"list", "all", "-d", "Tessel_1"});
  ASSERT_EQ(list.status, 0) << list.output;
  CliRun del = cli({"delete", "tessel", "-d", "Tessel_2"});
  ASSERT_EQ(del.status, 0) << del.output;
  waitIdle();
  EXPECT_FALSE(hasFileStartingWith(printer(2).listDisk(), "tqf/"));
  EXPECT_TRUE(hasFileStartingWith(printer(1).listDisk(), "tqf/"));
}

TEST_F(CliFixture, LooseFilesFontsAndRemoval) {
  std::string form = scratchFile("forms/formlib/invoice.frm", "%!\n% a form\n");
  std::string other = scratchFile("misc/notes.xyz", "plain notes\n");
  CliRun load = cli({"load-files", form, other + "=tqfc/mislib/notes.txt", "-d", "Tessel_1"});
  ASSERT_EQ(load.status, 0) << load.output;
  CliRun fonts = cli({"load-fonts", "/usr/share/fonts/X11/Type1/C059-Roman.pfb", "-d", "Tessel_1", "-s"});
  ASSERT_EQ(fonts.status, 0) << fonts.output;
  waitIdle();
  PrinterSimulator p1 = printer(1);
  EXPECT_EQ(p1.readFile("tqfc/formlib/invoice.frm").value_or(""), "%!\n% a form\n");
  EXPECT_EQ(p1.readFile("tqfc/mislib/notes.txt").value_or(""), "plain notes\n");
  EXPECT_TRUE(p1.readFile("fonts/C059-Roman").has_value());

  CliRun remove = cli({"remove-files", "tqfc/formlib/*", "-d", "Tessel_1"});
  ASSERT_EQ(remove.status, 0) << remove.output;
  waitIdle();
  EXPECT_FALSE(p1.readFile("tqfc/formlib/invoice.frm").has_value());
  EXPECT_TRUE(p1.readFile("tqfc/mislib/notes.txt").has_value());

  CliRun missing = cli({"load-files", scratch_ + "/none.frm", "-d", "Tessel_1"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(contains(missing.output, "the file '" + scratch_ + "/none.frm' does not exist"));
}

TEST_F(CliFixture, SubmissionFileArrivesUnchangedAndFailuresExitNonZero) {
  std::string data(70000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  std::string sub = scratchFile("job.sub", data);
  CliRun send = cli({"send-file", sub, "-d", "Raw_Capture"});
  ASSERT_EQ(send.status, 0) << send.output;
  EXPECT_TRUE(contains(send.output, "[Send Submission File] job.sub completed successfully"));
  auto jobs = waitForCapturedJobs(jobs_, 1, 30000);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(sdkReadWholeFile(jobs[0].c_str()).value_or(""), data);

  CliRun noFolder = cli({"delete", "project", "", "P", "-d", "Tessel_1"});
  EXPECT_EQ(noFolder.status, 2);
  EXPECT_TRUE(contains(noFolder.output, "the folder name is empty"));
  CliRun badPrinter = cli({"list", "fonts", "-d", "No_Such_Printer"});
  EXPECT_EQ(badPrinter.status, 1);
  EXPECT_TRUE(contains(badPrinter.output, "No_Such_Printer"));
  CliRun usage = cli({"list", "everything", "-d", "Tessel_1"});
  EXPECT_EQ(usage.status, 2);
  CliRun noDestination = cli({"list", "all"});
  EXPECT_EQ(noDestination.status, 2);
  EXPECT_TRUE(contains(noDestination.output, "no destination"));
}

TEST_F(CliFixture, OutputOnlyAndPreview) {
  std::string job = scratch_ + "/fonts.ps";
  std::string font = "/usr/share/groff/1.22.4/font/devps/freeeuro.pfa";
  CliRun write = cli({"load-fonts", font, "--output", job});
  ASSERT_EQ(write.status, 0) << write.output;
  EXPECT_TRUE(capturedJobs().empty());
  std::string disk = scratch_ + "/preview-disk";
  CliRun preview = cli({"preview", job, "--disk", disk, "--pages-dir", scratch_ + "/preview-pages"});
  ASSERT_EQ(preview.status, 0) << preview.output;
  EXPECT_TRUE(contains(preview.output, "stored   fonts/FreeEuro"));
  CliRun again = cli({"preview", job, "--disk", disk, "--pages-dir", scratch_ + "/preview-pages"});
  EXPECT_EQ(again.status, 0);
  EXPECT_FALSE(contains(again.output, "stored   ")) << "the same font again replaces nothing new";
  CliRun small = cli({"preview", job, "--disk", disk + "-small", "--disk-size", "1K", "--pages-dir",
                      scratch_ + "/preview-pages"});
  EXPECT_FALSE(contains(small.output, "stored   fonts/FreeEuro")) << "no room on a 1K disk\n" << small.output;

  CliRun help = cli({"send-container", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(contains(help.output, "--pages FIRST-LAST"));
}
