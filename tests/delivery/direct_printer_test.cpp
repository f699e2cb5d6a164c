#include "delivery/direct_printer.h"

#include <gtest/gtest.h>

#include "delivery/app_config.h"
#include "delivery/printer_answer.h"
#include "delivery/printer_groups.h"
#include "delivery/spooler.h"
#include "tests/delivery/test_env.h"

namespace {

TEST(DirectAddress, GoodAddressesAreTakenApart) {
  struct Case {
    const char* text;
    const char* host;
    int port;
  } cases[] = {
      {"socket://printer.example.com", "printer.example.com", 9100},
      {"SOCKET://192.0.2.7:9101", "192.0.2.7", 9101},
      {"socket://p-1:65535/", "p-1", 65535},
      {"socket://[::1]:9100", "::1", 9100},
      {"socket://[fe80::1]", "fe80::1", 9100},
  };
  for (const Case& c : cases) {
    AddressCheck check = ParseSocketUri(c.text);
    ASSERT_TRUE(check.accepted()) << c.text << ": " << check.message;
    EXPECT_EQ(check.address->host, c.host);
    EXPECT_EQ(check.address->port, c.port);
  }
  EXPECT_EQ(ParseSocketUri("socket://[::1]").address->uri(), "socket://[::1]:9100");
}

TEST(DirectAddress, MalformedAndHostileAddressesAreRefusedWithAReason) {
  struct Case {
    std::string text;
    const char* reasonPart;
  } cases[] = {
      {"socket://;rm", "letters, digits"},
      {"socket://host;rm -rf ~", "blanks"},
      {"socket://a\x1b[2Jb", "control characters"},
      {std::string("socket://a\0b", 11), "control characters"},
      {"socket://h\xc3\xa9", "other than ASCII"},
      {"socket://" + std::string(300, 'a'), "253"},
      {"socket://" + std::string(64, 'a') + ".com", "letters, digits"},
      {"socket://-bad.example", "letters, digits"},
      {"socket://a..b", "letters, digits"},
      {"socket://h:0", "1 to 65535"},
      {"socket://h:65536", "1 to 65535"},
      {"socket://h:", "1 to 65535"},
      {"socket://h:91x", "1 to 65535"},
      {"socket://h:1:2", "1 to 65535"},
      {"socket://user:pw@h", "user name"},
      {"socket://h/path", "path"},
      {"socket://h?waiteof=false", "query"},
      {"socket://h#x", "fragment"},
      {"socket://", "no host"},
      {"socket://:9100", "no host"},
      {"socket://[::1", "closing"},
      {"socket://[zz::1]", "IPv6"},
      {"socket://[::1]x", "port"},
      {"ipp://h", "begin with socket://"},
  };
  for (const Case& c : cases) {
    AddressCheck check = ParseSocketUri(c.text);
    EXPECT_FALSE(check.accepted()) << c.text;
    EXPECT_NE(check.message.find(c.reasonPart), std::string::npos) << c.text << ": " << check.message;
  }
}

TEST(DirectName, RulesInOrder) {
  auto isPrinter = [](const std::string& n) { return n == "Tessel_1"; };
  using V = DirectNameCheck::Verdict;
  struct Case {
    std::string entered;
    V verdict;
  } cases[] = {
      {"  lab-1.east  ", V::Accepted}, {"", V::Empty},          {std::string(65, 'p'), V::TooLong},
      {"a b", V::BadCharacter},        {"a/b", V::BadCharacter}, {"-x", V::BadCharacter},
      {"socket://h", V::BadCharacter}, {"\\\\\\g", V::BadCharacter}, {"Tessel_1", V::PrinterName},
      {"FLOOR", V::GroupName},         {"Lab", V::AlreadyExists},
  };
  for (const Case& c : cases) {
    DirectNameCheck check = CheckDirectPrinterName(c.entered, {"lab"}, {"Floor"}, isPrinter);
    EXPECT_EQ(check.verdict, c.verdict) << c.entered;
    EXPECT_EQ(check.message.empty(), c.verdict == V::Accepted || c.verdict == V::Empty) << c.entered;
  }
}

class DirectStore : public ::testing::Test {
 protected:
  void SetUp() override { dir_.write("quaymaster.ini", "qmRootDir=/srv/qm\n"); }
  ScratchDir dir_;
  ScopedEnv override_{kConfigDirVariable, dir_.path().c_str()};
};

TEST_F(DirectStore, AddListRemoveRoundTrip) {
  ASSERT_TRUE(WriteDirectPrinter("Lab", *ParseSocketUri("socket://lab.example").address));
  ASSERT_TRUE(WriteDirectPrinter("Hall", *ParseSocketUri("socket://[::1]:9200").address));
  EXPECT_FALSE(WriteDirectPrinter("bad name", DirectAddress{"h", 9100}));
  EXPECT_EQ(ListDirectPrinters().size(), 2u);
  EXPECT_EQ(ReadDirectPrinter("lab")->uri(), "socket://lab.example:9100") << "found without regard to case";
  EXPECT_EQ(ReadDirectPrinter("Hall")->uri(), "socket://[::1]:9200");
  EXPECT_NE(readFile(dir_.file("quaymaster.ini")).find("[direct-printers]"), std::string::npos);
  EXPECT_TRUE(DeleteDirectPrinter("LAB"));
  EXPECT_FALSE(DeleteDirectPrinter("Lab"));
  EXPECT_TRUE(DeleteDirectPrinter("Hall"));
  EXPECT_TRUE(ListDirectPrinters().empty());
  const std::string text = readFile(dir_.file("quaymaster.ini"));
  EXPECT_EQ(text.find("[direct-printers]"), std::string::npos);
  EXPECT_NE(text.find("qmRootDir=/srv/qm"), std::string::npos);
}

TEST_F(DirectStore, HandEditedValuesAreCheckedAsTyped) {
  dir_.write("quaymaster.ini",
             "directTimeout=0.5\ndirectAnswerCap=4096\ntwoWaySpoolerQueues=1\n"
             "[direct-printers]\nGood=socket://g:9101\nEvil=socket://;rm\n");
  AppFileConfig config;
  EXPECT_TRUE(ReadDirectPrinter(config, "Good"));
  EXPECT_FALSE(ReadDirectPrinter(config, "Evil"));
  DirectSettings s = ReadDirectSettings(config);
  EXPECT_EQ(s.idleLimit, std::chrono::milliseconds(500));
  EXPECT_EQ(s.answerCap, 4096u);
  EXPECT_TRUE(s.twoWayQueues);

  dir_.write("quaymaster.ini", "directTimeout=0\ndirectAnswerCap=-5\n");
  AppFileConfig outOfRange;
  DirectSettings d = ReadDirectSettings(outOfRange);
  EXPECT_EQ(d.idleLimit, std::chrono::seconds(30));
  EXPECT_EQ(d.answerCap, 1u << 20);
  EXPECT_FALSE(d.twoWayQueues);
}

TEST(DirectQueues, SocketDevicesOfTheSpoolerAreRecognised) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows queue's port is the name of a port, not a device URI";
#endif
  EXPECT_EQ(QueueSocketAddress({"q", "socket://10.0.0.9:9100?waiteof=false", ""})->uri(), "socket://10.0.0.9:9100");
  EXPECT_EQ(QueueSocketAddress({"q", "socket://p", ""})->port, 9100);
  EXPECT_FALSE(QueueSocketAddress({"q", "ipp://p/ipp/print", ""}));
  EXPECT_FALSE(QueueSocketAddress({"q", "socket://;rm", ""}));
}

// On Windows these go to the spooler, which has no TCP/IP port of these
// names: its refusal gives nothing, at once.
TEST(DirectQueues, QueuesOnOtherPortsHaveNoDirectAddress) {
  for (const char* port : {"FILE:", "LPT1:", "nul", "IP_192.0.2.7,IP_192.0.2.8", "IP_192.0.2.250", ""})
    EXPECT_FALSE(QueueSocketAddress({"q", port, ""})) << port;
}

TEST(DestinationList, DirectPrintersComeLastWithoutClashes) {
  EXPECT_EQ(BuildDestinationList({"P1"}, {"Floor"}, {"Lab", "p1", "floor", "Lab"}),
            (std::vector<std::string>{"P1", "\\\\\\Floor", "Lab"}));
}

// The reader, fed in every split, finds the same lines.
TEST(AnswerReader, MessagesAreFoundAcrossPiecesAndLineEnds) {
  const std::string answer =
      "hello\r\n%%[ status: busy ]%%\rtext %%[ Error: undefined; OffendingCommand: x ]%% more\n"
      "%%[ Flushing: rest of job (to end-of-file) will be ignored ]%%\n%%[ unterminated\n%%[ cut %%[ PrinterError: out ]%%";
  for (std::size_t piece : {1u, 3u, 7u, 1000u}) {
    AnswerReader reader(16);
    for (std::size_t i = 0; i < answer.size(); i += piece) reader.feed(std::string_view(answer).substr(i, piece));
    reader.finish();
    const PrinterAnswer& a = reader.answer();
    SCOPED_TRACE(piece);
    EXPECT_EQ(a.kept, answer.substr(0, 16));
    EXPECT_EQ(a.total, answer.size());
    EXPECT_EQ(a.lines, 6u);
    EXPECT_EQ(a.errors, (std::vector<std::string>{"Error: undefined; OffendingCommand: x",
                                                  "Flushing: rest of job (to end-of-file) will be ignored"}));
    EXPECT_EQ(a.statuses, (std::vector<std::string>{"status: busy", "PrinterError: out"}));
    EXPECT_TRUE(a.failed());
  }
}

TEST(AnswerReader, EndlessAnswersStayBounded) {
  AnswerReader reader(1024);
  const std::string line = "%%[ status: warming up ]%%\n";
  for (int i = 0; i < 10000; ++i) reader.feed(line);
  reader.feed(std::string(3 * kMaxAnswerLine, 'x') + "%%[ Error: hidden ]%%\n");
  reader.finish();
  EXPECT_EQ(reader.answer().kept.size(), 1024u);
  EXPECT_EQ(reader.answer().statuses.size(), kMaxAnswerMessages);
  EXPECT_EQ(reader.answer().statusCount, 10000u);
  EXPECT_FALSE(reader.answer().failed()) << "a message past the line limit is not taken";
}

TEST(AnswerReader, ShownTextHasNoControlBytes) {
  const std::string raw = std::string("ok\0\x1b[2J\x1b]0;title\x07\r\n\xc2\x9b" "31m\xff", 25);
  EXPECT_EQ(ShowableAnswer(raw), "ok\\x00\\x1b[2J\\x1b]0;title\\x07\n\\xc2\\x9b31m\\xff");
  PrinterAnswer a;
  a.errors = {"Error: \x1b[31mred"};
  EXPECT_EQ(AnswerErrorLine(a), "Error: \\x1b[31mred");
}

}  // namespace
