#include "delivery/direct_send.h"
#include "delivery/send_job.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/common/fake_printer.h"

namespace {

using qmtest::FakeConnection;
using qmtest::FakePrinter;
using Status = DirectSendResult::Status;
using End = DirectSendResult::AnswerEnd;
using namespace std::chrono_literals;

constexpr std::size_t kCap = 64 * 1024;

std::string jobFile(std::size_t size) {
  const std::string path = ::testing::TempDir() + "direct_job_" + std::to_string(size);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string piece(64 * 1024, 'j');
  for (std::size_t left = size; left > 0; left -= std::min(left, piece.size()))
    out.write(piece.data(), static_cast<std::streamsize>(std::min(left, piece.size())));
  return path;
}

DirectSendOptions shortLimits() {
  DirectSendOptions options;
  options.settings.idleLimit = 300ms;
  options.settings.answerCap = kCap;
  options.answerTime = 1s;
  return options;
}

DirectSendResult sendTo(const FakePrinter& printer, std::size_t jobSize, const SendWatch& watch = {}) {
  DirectAddress address{"127.0.0.1", printer.port()};
  return SendDirect(address, "P", jobFile(jobSize), shortLimits(), watch);
}

struct Fault {
  const char* name;
  FakePrinter::Behaviour behaviour;
  std::size_t jobSize;
  Status status;
  End end;
  const char* errorPart;  // in the error line ("" when there is none)
  std::uint64_t answerAtLeast = 0;
  // Cases whose end does not depend on the limits get roomy ones: a loaded
  // machine (or Wine) may pause a sender for longer than the short ones.
  bool roomyLimits = false;
};

// Every way a printer can misbehave ends in bounded time and memory, with
// the outcome a sender must report.
TEST(DirectSend, PrinterFaults) {
  const std::string huge(1 << 20, 'a');
  const std::vector<Fault> faults{
      {"never answers", [](FakeConnection& c) { c.read(), c.waitForStop(); }, 1000, Status::Sent, End::Silent, ""},
      {"answers forever",
       [&](FakeConnection& c) {
         c.read();
         while (!c.stopping() && c.send(huge)) {
         }
       },
       1000, Status::Sent, End::TimeLimit, "", kCap + 1},
      {"sends 100 MiB back",
       [&](FakeConnection& c) {
         c.read();
         for (int i = 0; i < 100; ++i) c.send(huge);
       },
       1000, Status::Sent, End::Closed, "", 100ull << 20, true},
      {"answers 8 MiB before it reads",
       [&](FakeConnection& c) {
         for (int i = 0; i < 8; ++i) c.send(huge);
         c.read();
       },
       32 << 20, Status::Sent, End::Closed, "", 8ull << 20, true},
      {"closes early", [](FakeConnection& c) { c.read(1000); }, 32 << 20, Status::Failed, End::NotRead,
       "broke the connection"},
      {"reads nothing", [](FakeConnection& c) { c.waitForStop(); }, 64 << 20, Status::Failed, End::NotRead,
       "took no data for 0.3 s"},
      {"answers an error",
       [](FakeConnection& c) {
         c.read();
         c.send("%%[ Error: undefined; OffendingCommand: qm_x ]%%\r\n%%[ Flushing: rest of job ]%%\r\n");
       },
       1000, Status::PrinterError, End::Closed, "Error: undefined; OffendingCommand: qm_x; Flushing: rest of job"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    FakePrinter printer(fault.behaviour);
    const auto start = std::chrono::steady_clock::now();
    DirectSendOptions options = shortLimits();
    if (fault.roomyLimits) {
      options.settings.idleLimit = 10s;
      options.answerTime = 60s;
    }
    DirectSendResult r = SendDirect(DirectAddress{"127.0.0.1", printer.port()}, "P", jobFile(fault.jobSize), options, {});
    EXPECT_LT(std::chrono::steady_clock::now() - start, fault.roomyLimits ? 60s : 10s);
    EXPECT_EQ(r.status, fault.status) << r.error;
    EXPECT_EQ(r.answerEnd, fault.end);
    EXPECT_NE(r.error.find(fault.errorPart), std::string::npos) << r.error;
    EXPECT_LE(r.answer.kept.size(), kCap);
    EXPECT_EQ(r.answer.truncated(), r.answer.total > kCap);
    EXPECT_GE(r.answer.total, fault.answerAtLeast);
  }
}

TEST(DirectSend, WholeJobArrivesAndAnswerIsKept) {
  std::uint64_t got = 0;
  FakePrinter printer([&](FakeConnection& c) {
    got = c.read();
    c.send("hello\n%%[ status: printing ]%%\n");
  });
  DirectSendResult r = sendTo(printer, 3 << 20);
  EXPECT_EQ(r.status, Status::Sent) << r.error;
  EXPECT_EQ(got, 3u << 20);
  EXPECT_EQ(r.bytesSent, 3u << 20);
  EXPECT_EQ(r.answer.kept, "hello\n%%[ status: printing ]%%\n");
  EXPECT_EQ(r.answer.statuses, std::vector<std::string>{"status: printing"});
}

TEST(DirectSend, CancelStopsWithinASlice) {
  FakePrinter printer([](FakeConnection& c) { c.waitForStop(); });
  int calls = 0;
  const auto start = std::chrono::steady_clock::now();
  DirectSendResult r = sendTo(printer, 64 << 20, [&](const SendProgress&) { return ++calls < 3; });
  EXPECT_EQ(r.status, Status::Cancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 300ms);
}

TEST(DirectSend, RefusedAndUnknownHostsAreNamed) {
  std::uint16_t freePort = 0;
  { freePort = FakePrinter([](FakeConnection&) {}).port(); }
  DirectSendResult refused = SendDirect({"127.0.0.1", freePort}, "P", jobFile(10), shortLimits(), {});
  EXPECT_EQ(refused.status, Status::Failed);
  EXPECT_NE(refused.error.find("127.0.0.1:" + std::to_string(freePort) + " refused"), std::string::npos)
      << refused.error;
  DirectSendResult unknown = SendDirect({"no-such-printer.invalid", 9100}, "P", jobFile(10), shortLimits(), {});
  EXPECT_EQ(unknown.status, Status::Failed);
  EXPECT_NE(unknown.error.find("no-such-printer.invalid:9100 is unknown"), std::string::npos) << unknown.error;
}

class OneQueueSpooler : public Spooler {
 public:
  std::vector<std::string> EnumeratePrinters() override { return {"Queue_1"}; }
  bool WriteFileToPrinter(const std::string&, const std::string&, const std::string& printer) override {
    written.push_back(printer);
    return true;
  }
  std::vector<std::string> written;
};

// A group mixing a spooler printer, a kept direct printer that answers an
// error, a typed address and a bad one: each gets what it should, and only
// the direct ones go around the spooler.
TEST(DirectSend, GroupMembersAreRoutedAndJudgedOneByOne) {
  FakePrinter failing([](FakeConnection& c) {
    c.read();
    c.send("%%[ Error: limitcheck; OffendingCommand: x ]%%\n");
  });
  FakePrinter fine([](FakeConnection& c) {
    c.read();
    c.send("ok\n");
  });
  DirectRoutes routes;
  routes.options = shortLimits();
  routes.find = [&](const std::string& name) -> std::optional<DirectAddress> {
    if (equalsNoCase(name, "Lab")) return DirectAddress{"127.0.0.1", failing.port()};
    return std::nullopt;
  };
  OneQueueSpooler spooler;
  const std::vector<std::string> members{"Queue_1", "lab", fine.uri(), "socket://;rm"};
  SendOutcome outcome = SendJob(
      spooler, [&](const std::string&) { return members; }, routes, "[Job]", jobFile(100), "\\\\\\Mixed",
      SendWatch());
  EXPECT_EQ(spooler.written, std::vector<std::string>{"Queue_1"});
  ASSERT_EQ(outcome.failedPrinters, (std::vector<std::string>{"lab", "socket://;rm"}));
  EXPECT_NE(outcome.failureReasons[0].find("limitcheck; OffendingCommand: x"), std::string::npos);
  EXPECT_NE(outcome.failureReasons[1].find("letters, digits"), std::string::npos);
  ASSERT_EQ(outcome.sent.size(), 2u);
  EXPECT_TRUE(outcome.sent[1].direct);
  ASSERT_EQ(outcome.answers.size(), 2u);
  EXPECT_EQ(outcome.answers[1].answer.kept, "ok\n");
}

TEST(DirectSend, CancelOfADirectMemberStopsTheGroupWithoutBlame) {
  FakePrinter stalled([](FakeConnection& c) { c.waitForStop(); });
  OneQueueSpooler spooler;
  const std::vector<std::string> members{stalled.uri(), "Queue_1"};
  DirectRoutes routes;
  routes.options = shortLimits();
  SendOutcome outcome = SendJob(
      spooler, [&](const std::string&) { return members; }, routes, "[Job]", jobFile(64 << 20), "\\\\\\G",
      [](const SendProgress& p) { return p.bytes < (1u << 20); });
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_TRUE(outcome.message.empty());
  EXPECT_TRUE(spooler.written.empty()) << "later members are not tried";
}

}  // namespace
