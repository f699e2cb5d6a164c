// quaymaster-cli with direct printers: kept ones and socket:// addresses,
// against printers inside the test; no spooler is needed for any of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/common/fake_printer.h"
#include "tests/common/test_platform.h"
#include "tools/cups/private_cups.h"

namespace {

using qmtest::FakeConnection;
using qmtest::FakePrinter;

struct CliResult {
  int status = -1;
  std::string output;
  bool has(const std::string& part) const { return output.find(part) != std::string::npos; }
};

class CliDirect : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "cli_direct_" + std::to_string(qmtest::processId());
    std::filesystem::create_directories(dir_);
    config_ = dir_ + "/quaymaster.ini";
    std::ofstream(config_) << "directTimeout=0.5\n";
    job_ = dir_ + "/job.ps";
    std::ofstream(job_) << "%!PS\n(hello) print flush\n";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  CliResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), QM_CLI);
    args.insert(args.end(), {"--config", config_});
    CliResult r;
    r.status = runProgram(args, r.output);
    // Standard output is text on Windows: its line ends come as CR LF.
    for (std::size_t at; (at = r.output.find("\r\n")) != std::string::npos;) r.output.erase(at, 1);
    return r;
  }

  std::string dir_, config_, job_;
};

// The printer answers the job with an error, a status line, and terminal
// escape sequences and NUL bytes that must not reach the terminal.
void answerWithError(FakeConnection& c) {
  c.read();
  c.send(std::string("hello\x1b[2J\0!\r\n%%[ status: printing ]%%\r\n", 39));
  c.send("%%[ Error: undefined; OffendingCommand: qm_x ]%%\r\n");
}

TEST_F(CliDirect, KeptPrintersRoundTripAndRefusals) {
  FakePrinter printer([](FakeConnection& c) { c.read(); });
  EXPECT_EQ(cli({"direct", "add", "Lab", printer.uri()}).status, 0);
  CliResult list = cli({"direct", "list"});
  EXPECT_TRUE(list.has("Lab: " + printer.uri())) << list.output;
  CliResult json = cli({"direct", "list", "--json"});
  EXPECT_TRUE(json.has("\"name\": \"Lab\"")) << json.output;

  CliResult sent = cli({"send-file", "--printer", "lab", job_});
  EXPECT_EQ(sent.status, 0) << sent.output;
  EXPECT_TRUE(sent.has("Lab: sent direct")) << sent.output;

  const struct {
    std::vector<std::string> args;
    const char* part;
  } refusals[] = {
      {{"direct", "add", "Lab", "socket://;rm"}, "letters, digits"},
      {{"direct", "add", "Lab", "socket://h:0"}, "1 to 65535"},
      {{"direct", "add", "bad name", "socket://h"}, "may only hold"},
      {{"direct", "add", std::string(300, 'n'), "socket://h"}, "at most 64"},
      {{"direct", "add", "lab", "socket://h"}, "already exists"},
      {{"direct", "remove", "Nope"}, "unknown direct printer"},
      {{"send-file", "--printer", "socket://a b", job_}, "blanks"},
  };
  for (const auto& r : refusals) {
    CliResult got = cli(r.args);
    EXPECT_NE(got.status, 0) << r.args[2];
    EXPECT_TRUE(got.has(r.part)) << got.output;
  }
  EXPECT_EQ(cli({"direct", "remove", "LAB"}).status, 0);
  EXPECT_FALSE(cli({"direct", "list"}).has("Lab"));
}

TEST_F(CliDirect, PrinterErrorFailsWithItsWordsAndAnswerIsEscaped) {
  FakePrinter printer(answerWithError);
  CliResult plain = cli({"send-file", "--printer", printer.uri(), job_});
  EXPECT_EQ(plain.status, 1);
  EXPECT_TRUE(plain.has("Error: undefined; OffendingCommand: qm_x")) << plain.output;
  EXPECT_TRUE(plain.has("status: printing")) << plain.output;
  EXPECT_FALSE(plain.has("hello")) << "the answer is shown only when asked for";

  CliResult shown = cli({"send-file", "--printer", printer.uri(), "--show-answer", job_});
  EXPECT_EQ(shown.status, 1);
  EXPECT_TRUE(shown.has("hello\\x1b[2J\\x00!\n")) << shown.output;
  EXPECT_EQ(shown.output.find('\x1b'), std::string::npos);
  EXPECT_EQ(shown.output.find('\0'), std::string::npos);
}

TEST_F(CliDirect, ListingCutShortFails) {
  FakePrinter cut([](FakeConnection& c) {
    c.read();
    c.send("QM-FILE 61 1\n");
  });
  CliResult r = cli({"list", "all", "--printer", cut.uri()});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.has("the listing is incomplete")) << r.output;
  EXPECT_TRUE(r.has("\n   1  a\n")) << "what came is shown: " << r.output;
}

TEST_F(CliDirect, UnreachablePrinterIsNamed) {
  std::uint16_t freePort = 0;
  { freePort = FakePrinter([](FakeConnection&) {}).port(); }
  const std::string address = "127.0.0.1:" + std::to_string(freePort);
  CliResult got = cli({"send-file", "--printer", "socket://" + address, job_});
  EXPECT_EQ(got.status, 1);
  EXPECT_TRUE(got.has(address + " refused the connection")) << got.output;
}

}  // namespace
