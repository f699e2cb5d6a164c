#include "delivery/print_servers.h"

#include <gtest/gtest.h>

#include "delivery/app_config.h"
#include "delivery/network_spooler.h"
#include "delivery/printer_groups.h"
#include "delivery/send_history.h"
#include "delivery/unavailable_printers.h"
#include "tests/delivery/test_env.h"

namespace {

TEST(ServerName, AcceptedFormsComeBackInTheirStoredSpelling) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"Print-1.Example.com", "print-1.example.com"},
      {"print1:631", "print1:631"},
      {"10.0.0.7:65535", "10.0.0.7:65535"},
      {"[::1]", "[::1]"},
      {"[FE80::1]:8631", "[fe80::1]:8631"},
      {"host.", "host."},
      {std::string(63, 'a') + ".b", std::string(63, 'a') + ".b"},
  };
  for (const auto& [typed, stored] : cases) {
    ServerCheck check = CheckServerName(typed);
    ASSERT_TRUE(check.accepted()) << typed << ": " << check.message;
    EXPECT_EQ(check.address->text(), stored);
  }
}

TEST(ServerName, MalformedAndHostileNamesAreRefusedWithAReason) {
  const std::vector<std::string> refused{
      "",        ";rm",       "a b",          "x:99999",       "x:0",         "x:",          "x:+1",
      "x:6553a", "user@host", "host/printers", "ipp://host",   "::1",         "[::1",        "[::1]x",
      "[zz::1]", "[::1%eth0]", "-host",         "host-",        "a..b",        "h\x1b[31m",   "h\xc3\xa9",
      "host\n",  std::string(64, 'a') + ".b",   std::string(256, 'a'),
  };
  for (const std::string& name : refused) {
    ServerCheck check = CheckServerName(name);
    EXPECT_FALSE(check.accepted()) << name;
    EXPECT_FALSE(check.message.empty()) << name;
    // The reason is shown on one line and never carries the bytes it refused.
    EXPECT_EQ(check.message.find_first_of("\n\x1b"), std::string::npos) << name;
  }
}

TEST(NetworkDestination, QueuesOfServersAndIppPrintersAreParsedOrRefused) {
  std::optional<RemoteQueue> queue = ParseRemoteQueue("Tessel_1@Print1:8631");
  ASSERT_TRUE(queue);
  EXPECT_EQ(queue->queue, "Tessel_1");
  EXPECT_EQ(queue->server.text(), "print1:8631");
  // The last "@" separates: a queue name never holds one.
  EXPECT_FALSE(ParseRemoteQueue("a@b@host"));

  std::optional<IppPrinterUri> uri = ParseIppPrinterUri("IPPS://[::1]:631/ipp/print");
  ASSERT_TRUE(uri);
  EXPECT_TRUE(uri->secure);
  EXPECT_EQ(uri->text(), "ipps://[::1]:631/ipp/print");

  for (const char* bad : {"@host", "Q@", "Q@a b", "Q\x1b@host", "Q@host/x", "ipp://host", "ipp://u@host/p",
                                 "ipp://host/p q", "ipp:///ipp/print", "ipp://host:99999/p"}) {
    EXPECT_TRUE(isNetworkDestination(bad)) << bad;
    EXPECT_FALSE(CheckNetworkDestination(bad).empty()) << bad;
  }
  EXPECT_TRUE(CheckNetworkDestination("Q@host").empty());
  // A queue of dots would be another resource in the queue's address.
  for (const char* dots : {".@host", "..@host", "...@host"}) EXPECT_FALSE(ParseRemoteQueue(dots)) << dots;
  EXPECT_TRUE(ParseRemoteQueue("a..b@host"));
  EXPECT_FALSE(isNetworkDestination("Tessel_1"));
}

TEST(PrintServers, StoredListSkipsBadAndRepeatedEntries) {
  ScratchDir dir;
  const std::string ini = dir.write("quaymaster.ini", "[print-servers]\nservers=a:631,;rm,A:631,[::1],,b\n");
  {
    AppFileConfig config(kAppName, "", ini);
    std::vector<std::string> names;
    for (const ServerAddress& s : ReadPrintServers(config)) names.push_back(s.text());
    EXPECT_EQ(names, (std::vector<std::string>{"a:631", "[::1]", "b"}));
    ASSERT_TRUE(WritePrintServers(config, {*CheckServerName("c").address, *CheckServerName("[::2]:9").address}));
    ASSERT_TRUE(config.save()) << config.saveError();
  }
  EXPECT_NE(readFile(ini).find("servers=c,[::2]:9"), std::string::npos);
}

TEST(NetworkDestination, CanonicalFormMakesSpellingsOfOnePrinterEqual) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"Q@HOST", "Q@host"},
      {"Q@host:631", "Q@host"},
      {"ipp://host:631/printers/Q", "Q@host"},
      {"ipp://Host/printers/Q", "Q@host"},
      {"ipps://host/classes/Q", "Q@host"},
      {"Q@host:8631", "Q@host:8631"},
      {"ipp://host:8631/printers/Q", "Q@host:8631"},
      {"Q@[::1]:631", "Q@[::1]"},
      {"ipp://h:631/ipp/print", "ipp://h/ipp/print"},
      {"IPPS://H/ipp/print", "ipps://h/ipp/print"},
      // Not a queue of a scheduler: the address stays an address.
      {"ipp://h/printers/", "ipp://h/printers/"},
      {"ipp://h/printers/a/b", "ipp://h/printers/a/b"},
      {"ipp://h/printers/..", "ipp://h/printers/.."},
  };
  for (const auto& [written, canonical] : cases) EXPECT_EQ(CanonicalNetworkDestination(written), canonical) << written;
  for (const char* bad : {"Tessel_1", "Q@a b", "ipp://host"}) EXPECT_FALSE(CanonicalNetworkDestination(bad)) << bad;
}

TEST(NetworkDestination, GroupMembersAreOnePrinterPerCanonicalForm) {
  if (!sendsNetworkDestinations()) GTEST_SKIP() << "every name is a printer name of the spooler here";
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases{
      {{"Q@HOST", "Q@host:631", "ipp://host:631/printers/Q", "ipp://host/printers/q"}, {"Q@HOST"}},
      // The same queue name on two servers: two printers.
      {{"Q@h1", "Q@h2", "Q@h1:8631"}, {"Q@h1", "Q@h2", "Q@h1:8631"}},
      {{"Local", "LOCAL", "Local@h"}, {"Local", "Local@h"}},
  };
  for (const auto& [members, unique] : cases) EXPECT_EQ(UniqueMembers(members), unique) << members.front();
}

TEST(UnavailablePrinters, KnownPrintersOfServersThatDidNotAnswerAreListedOnceWithTheReason) {
  ScratchDir dir;
  const std::string ini = dir.write(
      "quaymaster.ini", "[printer-groups]\nFloor=Local,A@down,B@Down:631,A@up\nMore=ipp://down/printers/A,C@down:8631\n");
  const std::string historyFile = dir.file("history.sqlite");
  {
    SendHistory history(historyFile);
    HistorySend send;
    send.operation = "[x]";
    send.destination = "\\\\\\Floor";
    for (const char* member : {"Old@down", "A@DOWN", "Old@up"}) {
      send.members.emplace_back();
      send.members.back().member = member;
    }
    ASSERT_GT(history.record(send), 0) << history.warning();
  }
  AppFileConfig config(kAppName, "", ini);
  ServerPrinters listing;
  listing.unreachable = {{"down:631", "no answer within 3 s"}, {"down:8631", "cannot connect"}};
  AddUnavailablePrinters(listing, config, historyFile);
  std::vector<std::string> names;
  for (const UnavailablePrinter& p : listing.unavailablePrinters) {
    names.push_back(p.printer);
    EXPECT_EQ(p.reason, p.server == "down:631" ? "no answer within 3 s" : "cannot connect") << p.printer;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A@down", "B@Down:631", "C@down:8631", "Old@down"}));
  EXPECT_TRUE(isUnavailablePrinter(listing, "Old@down"));
  EXPECT_FALSE(isUnavailablePrinter(listing, "A@up"));

  // A missing history is not created by looking.
  const std::string none = dir.file("none.sqlite");
  AddUnavailablePrinters(listing, config, none);
  EXPECT_FALSE(sdkFileExists(none.c_str()));
  EXPECT_EQ(listing.unavailablePrinters.size(), 3u);
}

}  // namespace
