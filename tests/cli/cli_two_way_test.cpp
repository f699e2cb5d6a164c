// Two-way printers on the command line, against simulated printers that
// listen on the loopback address and also have spooler queues (socket://
// devices): the listing on screen compared with the disk, the inventory of
// a group, and spooler queues sent direct only when that is switched on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli_fixture.h"
#include "tests/common/fake_printer.h"

namespace {

std::string hexOf(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
  return out;
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

bool has(const CliRun& r, const std::string& part) { return r.output.find(part) != std::string::npos; }

class CliTwoWay : public CliFixture {
 protected:
  void SetUp() override {
    CliFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    for (int n : {0, 1}) {
      ASSERT_TRUE(cups_->addDirect("Direct_" + std::to_string(n), port_[n], directDisk_[n], directPages_[n]))
          << cups_->lastError();
      uri_[n] = "socket://127.0.0.1:" + std::to_string(port_[n]);
    }
    // A port nobody listens on.
    { deadUri_ = "socket://127.0.0.1:" + std::to_string(qmtest::FakePrinter([](qmtest::FakeConnection&) {}).port()); }
    configure("");
  }
  void configure(const std::string& moreKeys) {
    writeConfig("directTimeout=20\n" + moreKeys, "Lab=One,Two,Dead,Tessel_1\nPair=One,Two\n[direct-printers]\nOne=" +
                                                   uri_[0] + "\nTwo=" + uri_[1] + "\nDead=" + deadUri_ + "\n");
  }
  PrinterSimulator direct(int n) const {
    PrinterSimOptions o;
    o.diskDir = directDisk_[n];
    o.pagesDir = directPages_[n];
    return PrinterSimulator(o);
  }
  std::size_t pageCount(int n) const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(directPages_[n]), {}));
  }

  int port_[2] = {0, 0};
  std::string directDisk_[2], directPages_[2], uri_[2], deadUri_;
};

TEST_F(CliTwoWay, ListingOnScreenHoldsExactlyTheDiskFiles) {
  const PrinterSimulator disk = direct(0);
  for (const char* name :
       {"tqfc/F/P/with blank.frm", "fonts/100%", "tqf/(paren)", "Sys/x)y(", "other/\xc3\xa9t\xc3\xa9 \xe2\x82\xac"})
    ASSERT_TRUE(disk.writeFile(name, "content"));

  CliRun table = cli({"list", "all", "--printer", uri_[0]});
  ASSERT_EQ(table.status, 0) << table.output;
  for (const DiskFile& f : disk.listDisk()) EXPECT_TRUE(has(table, "  " + f.name + "\n")) << f.name << table.output;
  EXPECT_TRUE(has(table, std::to_string(disk.listDisk().size()) + " files")) << table.output;
  EXPECT_EQ(pageCount(0), 1u) << "the printed page as well";

  CliRun json = cli({"list", "all", "--printer", "One", "--json", "--no-page"});
  ASSERT_EQ(json.status, 0) << json.output;
  for (const DiskFile& f : disk.listDisk()) EXPECT_TRUE(has(json, "\"hex\": \"" + hexOf(f.name) + "\"")) << f.name;
  EXPECT_EQ(count(json.output, "\"hex\""), disk.listDisk().size()) << json.output;
  EXPECT_EQ(pageCount(0), 1u) << "--no-page prints nothing";

  CliRun group = cli({"list", "all", "--group", "Pair", "--json", "--no-page"});
  ASSERT_EQ(group.status, 0) << group.output;
  EXPECT_TRUE(has(group, "{\"printers\": [{\"printer\": \"One\"")) << group.output;
  EXPECT_TRUE(has(group, "{\"printer\": \"Two\", \"listing\": {")) << group.output;

  // Spooler queues get neither the listing nor, with --no-page, the page.
  EXPECT_EQ(cli({"list", "all", "--printer", "Tessel_1", "--no-page"}).status, 2);
  EXPECT_EQ(cli({"list", "all", "--group", "Lab", "--no-page"}).status, 2);
  EXPECT_EQ(cli({"list", "all", "--printer", "Tessel_1", "--json"}).status, 2);
}

TEST_F(CliTwoWay, InventoryOfAGroupNamesWhoDidNotAnswer) {
  ASSERT_EQ(cli({"install", "--printer", "One"}).status, 0);
  const PrinterSimulator disk = direct(0);
  const std::optional<std::string> ver = disk.readFile("tqf/VER");
  ASSERT_TRUE(ver);
  const std::string version = ver->substr(0, ver->find('\n'));
  const std::vector<DiskFile> files = disk.listDisk();
  const auto tesselFiles =
      std::count_if(files.begin(), files.end(), [](const DiskFile& f) { return f.name.starts_with("tqf/"); });

  CliRun table = cli({"inventory", "--group", "Lab"});
  EXPECT_EQ(table.status, 1) << table.output;
  const auto row = [&](const std::string& start) {
    const std::size_t at = table.output.find("\n" + start);
    if (at == std::string::npos) return std::string();
    return table.output.substr(at + 1, table.output.find('\n', at + 1) - at - 1);
  };
  EXPECT_TRUE(row("One").find(version) != std::string::npos) << table.output;
  EXPECT_TRUE(row("Two").find("no Tessel") != std::string::npos) << table.output;
  EXPECT_TRUE(row("Tessel_1").find("not two-way") != std::string::npos) << table.output;
  EXPECT_TRUE(has(table, "Dead did not answer: ")) << table.output;

  CliRun json = cli({"inventory", "--group", "Lab", "--json"});
  EXPECT_EQ(json.status, 1);
  EXPECT_TRUE(has(json, "\"tesselVersion\": \"" + version + "\"")) << json.output;
  EXPECT_TRUE(has(json, "\"tqf\": " + std::to_string(tesselFiles) + ",")) << json.output;
  EXPECT_TRUE(has(json, "\"state\": \"no answer\"")) << json.output;

  EXPECT_EQ(cli({"inventory", "--group", "Pair"}).status, 0);
  EXPECT_EQ(cli({"inventory", "--printer", "Two", "--output", "x.ps"}).status, 2);
}

TEST_F(CliTwoWay, SocketQueuesAreSentDirectOnlyWhenSwitchedOn) {
  const std::string job = scratchFile("job.ps", "%!PS\n(hello) print flush\n");
  CliRun spooled = cli({"send-file", "--printer", "Direct_1", job});
  EXPECT_EQ(spooled.status, 0) << spooled.output;
  EXPECT_TRUE(has(spooled, "Direct_1: job ")) << spooled.output;
  EXPECT_EQ(cli({"list", "all", "--printer", "Direct_1", "--json"}).status, 2) << "a queue cannot answer";
  waitIdle();

  configure("twoWaySpoolerQueues=1\n");
  CliRun straight = cli({"send-file", "--printer", "Direct_1", job});
  EXPECT_EQ(straight.status, 0) << straight.output;
  EXPECT_TRUE(has(straight, "Direct_1: sent direct")) << straight.output;
  CliRun listed = cli({"list", "all", "--printer", "Direct_1", "--json", "--no-page"});
  EXPECT_EQ(listed.status, 0) << listed.output;
  EXPECT_TRUE(has(listed, "\"complete\": true")) << listed.output;
}

}  // namespace
