// Print servers on the command line: names refused where they are typed,
// the configured list kept, and a server that is not there named once.
#include <chrono>
#include <filesystem>
#include <thread>

#include "base/sdk_fs.h"
#include "cli_fixture.h"
#include "delivery/send_history.h"

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool oneErrorLine(const CliRun& r) {
  return r.output.rfind("quaymaster-cli: ", 0) == 0 && r.output.find('\n') == r.output.size() - 1;
}
}  // namespace

TEST_F(CliFixture, ServerNamesAndNetworkDestinationsAreRefusedWhereTyped) {
  const std::string before = sdkReadWholeFile(config_.c_str()).value_or("");
  for (const char* hostile : {";rm", "a b", "x:99999", "u@host", "h\x1b]0;t\x07", "host/path"}) {
    CliRun r = cli({"servers", "add", hostile});
    EXPECT_EQ(r.status, 2) << hostile;
    EXPECT_TRUE(oneErrorLine(r)) << r.output;
    EXPECT_FALSE(contains(r.output, "\x1b")) << r.output;
  }
  EXPECT_EQ(sdkReadWholeFile(config_.c_str()).value_or(""), before);

  const std::string job = scratchFile("x.ps", "%!\n");
  for (std::vector<std::string> args : {std::vector<std::string>{"send-file", job, "-d", "Q@a b"},
                                        {"send-file", job, "-d", "ipp://host:0/ipp/print"},
                                        {"groups", "create", "Far", "Q@h:99999"}}) {
    CliRun r = cli(args);
    EXPECT_EQ(r.status, 2) << args[3];
    EXPECT_TRUE(oneErrorLine(r)) << r.output;
  }
}

TEST_F(CliFixture, ConfiguredServersAreListedAndOneThatIsNotThereIsNamedOnce) {
  const int closed = freeLoopbackPort();
  const std::string server = "127.0.0.1:" + std::to_string(closed);
  EXPECT_EQ(cli({"servers", "add", server}).status, 0);
  EXPECT_EQ(cli({"servers", "add", "Print-2"}).output, "Print server print-2 added\n");
  EXPECT_EQ(cli({"servers", "list"}).output, server + "\nprint-2\n");
  EXPECT_EQ(cli({"servers", "remove", "print-2"}).status, 0);
  EXPECT_EQ(cli({"servers", "remove", "print-2"}).status, 1);

  // A group names a queue of that server, in two spellings: it is listed
  // once, marked, and in JSON with the server and its reason.
  const std::string far = "Far_1@" + server;
  CliRun created = cli({"groups", "create", "Far", far, "ipp://" + server + "/printers/Far_1", "Tessel_1"});
  ASSERT_EQ(created.status, 0) << created.output;

  CliRun printers = cli({"printers"});
  EXPECT_EQ(printers.status, 0) << printers.output;
  EXPECT_TRUE(contains(printers.output, "Tessel_1\n")) << printers.output;
  EXPECT_TRUE(contains(printers.output, "print server " + server + " is unavailable: cannot connect")) << printers.output;
  EXPECT_EQ(printers.output.find("print server"), printers.output.rfind("print server"));
  EXPECT_TRUE(contains(printers.output, "\n" + far + "  (unavailable)\n")) << printers.output;
  EXPECT_EQ(printers.output.find("Far_1"), printers.output.rfind("Far_1")) << printers.output;

  CliRun json = cli({"printers", "--json"});
  const std::size_t listed = json.output.find("\"unavailablePrinters\"");
  ASSERT_NE(listed, std::string::npos) << json.output;
  const std::string entry = json.output.substr(listed, json.output.find(']', listed) - listed);
  for (const std::string& field : {"\"name\": \"" + far + "\"", "\"server\": \"" + server + "\"",
                                   std::string("\"reason\": \"cannot connect")})
    EXPECT_TRUE(contains(entry, field)) << field << " in " << entry;

  // Sending to a queue of that server fails with one line, naming it.
  CliRun sent = cli({"send-file", scratchFile("a.ps", "%!\n"), "-d", "Raw_Capture@" + server});
  EXPECT_EQ(sent.status, 1);
  EXPECT_TRUE(contains(sent.output, "Raw_Capture@" + server)) << sent.output;
}

TEST_F(CliFixture, OnePrinterUnderThreeNamesInAGroupGetsOneJobAndOneHistoryRow) {
  std::string error, jobs;
  std::unique_ptr<PrivateCups> server = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, "", error, true);
  ASSERT_TRUE(server) << error;
  ASSERT_TRUE(server->addCapture("Far_1", jobs)) << server->lastError();
  const std::string host = "127.0.0.1:" + std::to_string(server->tcpPort());
  // Stored as typed: the group itself holds all three spellings.
  writeConfig("", "Twice=Far_1@" + host + ",ipp://" + host + "/printers/Far_1,FAR_1@" + host + ",Tessel_1\n");

  CliRun sent = cli({"send-file", scratchFile("twice.ps", "%!PS\n% twice\n"), "--group", "Twice"});
  ASSERT_EQ(sent.status, 0) << sent.output;

  auto copies = [&] {
    int n = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(jobs, ec)) n += entry.is_regular_file();
    return n;
  };
  for (int waited = 0; waited < 20000 && copies() == 0; waited += 50)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // time for a second copy to show
  EXPECT_EQ(copies(), 1);

  SendHistory history;  // the one the command line wrote to
  HistoryFilter filter;
  filter.group = "Twice";
  const std::vector<HistorySend> sends = history.query(filter);
  ASSERT_FALSE(sends.empty()) << history.warning();
  std::vector<std::string> members;
  for (const HistoryMember& m : sends.front().members) members.push_back(m.member);
  EXPECT_EQ(members, (std::vector<std::string>{"Far_1@" + host, "Tessel_1"}));
}
