// Project operations through quaymaster-cli: listing, loading, containers
// and printable containers, checked on the simulated printers.
#include <filesystem>

#include "base/sdk_fs.h"
#include "cli_fixture.h"

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST_F(CliFixture, ProjectResourcesReachTheirScopesOnEveryGroupMember) {
  CliRun list = cli({"list-project", sampleKpf()});
  ASSERT_EQ(list.status, 0) << list.output;
  EXPECT_TRUE(contains(list.output, "frm " + tree_ + "/tqfc/Demo/Invoice/invoice.frm\n"));
  EXPECT_FALSE(contains(list.output, "main.ps")) << "submission files only on request";
  EXPECT_TRUE(contains(cli({"list-project", sampleKpf(), "--with-submissions"}).output, "sub "));

  CliRun info = cli({"project", "info", sampleKpf()});
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_TRUE(contains(info.output, "Demo/Invoice"));

  CliRun load = cli({"load-project", sampleKpf(), "--group", "Floor_2", "--status-page"});
  ASSERT_EQ(load.status, 0) << load.output;
  EXPECT_EQ(load.output, "Sent to 2 of 2 printers.\n");
  waitIdle();
  for (int n : {1, 2}) {
    PrinterSimulator p = printer(n);
    EXPECT_TRUE(p.readFile("tqfc/Demo/Invoice/invoice.frm").has_value()) << n;
    EXPECT_TRUE(p.readFile("tqfc/Demo/fshared/logo.seg").has_value()) << n;
    EXPECT_TRUE(p.readFile("tqfc/gshared/photo.jpg").has_value()) << n;
    EXPECT_TRUE(p.readFile("tqfc/fontlib/qmmarks.pfa").has_value()) << n;
    EXPECT_EQ(pages(n).size(), 1u) << "one status page on printer " << n;
  }

  // Deleting the project with its shared resources, on one printer.
  CliRun del = cli({"delete", "project", "Demo", "Invoice", "-d", "Tessel_2"});
  ASSERT_EQ(del.status, 0) << del.output;
  waitIdle();
  EXPECT_FALSE(printer(2).readFile("tqfc/Demo/Invoice/invoice.frm").has_value());
  EXPECT_FALSE(printer(2).readFile("tqfc/gshared/photo.jpg").has_value());
  EXPECT_TRUE(printer(1).readFile("tqfc/gshared/photo.jpg").has_value());
}

TEST_F(CliFixture, ContainersAreBuiltListedAndPrinted) {
  std::string kpc = scratch_ + "/Invoice.kpc";
  CliRun create = cli({"container", "create", sampleKpf(), kpc});
  ASSERT_EQ(create.status, 0) << create.output;
  CliRun entries = cli({"container", "list", kpc});
  ASSERT_EQ(entries.status, 0) << entries.output;
  EXPECT_TRUE(contains(entries.output, "Invoice.kpf\n"));
  EXPECT_TRUE(contains(entries.output, "photo.jpg\n"));
  CliRun check = cli({"project", "check", kpc});
  EXPECT_EQ(check.status, 0) << check.output;
  CliRun extract = cli({"container", "extract", kpc, scratch_ + "/unpacked"});
  ASSERT_EQ(extract.status, 0) << extract.output;
  EXPECT_TRUE(std::filesystem::exists(scratch_ + "/unpacked/Demo/Invoice/Invoice.kpf"));
  EXPECT_TRUE(std::filesystem::exists(scratch_ + "/unpacked/gshared/photo.jpg"));

  // Tessel embedded, resources included, pages 2 to 3 of 3.
  CliRun send = cli({"send-container", kpc, "-d", "Tessel_1", "--resources", "included", "--embed-tessel",
                     "--pages", "2-3"});
  ASSERT_EQ(send.status, 0) << send.output;
  EXPECT_TRUE(contains(send.output, "[Send Container] Invoice.kpc completed successfully"));
  waitIdle();
  EXPECT_EQ(pages(1).size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(scratch_ + "/kpcpfd/Demo")) << "print-and-forget files are removed";

  CliRun badRange = cli({"send-container", kpc, "-d", "Tessel_1", "--pages", "5-4"});
  EXPECT_EQ(badRange.status, 1);
  EXPECT_TRUE(contains(badRange.output, "Invalid page range"));
  CliRun wholeDocument = cli({"send-container", sampleKpf(), "-d", "Raw_Capture", "--pages", "5-4",
                              "--if-bad-range", "print-all", "--external", tree_ + "/tqfc/Demo/Invoice/main.ps"});
  ASSERT_EQ(wholeDocument.status, 0) << wholeDocument.output;
  auto jobs = waitForCapturedJobs(jobs_, 1, 30000);
  ASSERT_EQ(jobs.size(), 1u);
  std::string job = sdkReadWholeFile(jobs[0].c_str()).value_or("");
  std::string submission = sdkReadWholeFile((tree_ + "/tqfc/Demo/Invoice/main.ps").c_str()).value_or("?");
  EXPECT_TRUE(contains(job, "\nRSAVE\n" + submission)) << "the external file follows the container's set-up";
  EXPECT_FALSE(contains(job, "PAGERANGE")) << "the whole document, without a page range";
}
