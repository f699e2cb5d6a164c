#include "delivery/send_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "delivery/network_spooler.h"

namespace {

struct Write {
  std::string doc, file, printer;
  bool operator==(const Write&) const = default;
};

class FakeSpooler : public Spooler {
 public:
  std::vector<std::string> installed{kNoPrintersAvailable};
  std::set<std::string> failing;
  std::vector<Write> writes;
  int enumerations = 0;

  std::vector<std::string> EnumeratePrinters() override {
    ++enumerations;
    return installed;
  }
  bool WriteFileToPrinter(const std::string& doc, const std::string& file, const std::string& printer) override {
    writes.push_back({doc, file, printer});
    return failing.count(printer) == 0;
  }
};

class SendJobTest : public ::testing::Test {
 protected:
  SendOutcome send(const std::string& target) {
    return SendJob(spooler_, [this](const std::string& g) {
      asked_.push_back(g);
      return groups_[g];
    }, "[List Files]", "/tmp/krm123", target);
  }
  FakeSpooler spooler_;
  std::map<std::string, std::vector<std::string>> groups_;
  std::vector<std::string> asked_;
};

TEST_F(SendJobTest, PlaceholderDoesNothingAtAll) {
  SendOutcome outcome = send(kNoPrintersAvailable);
  EXPECT_EQ(outcome.status, SendOutcome::Status::Unchanged);
  EXPECT_TRUE(outcome.message.empty());
  EXPECT_FALSE(outcome.beep);
  EXPECT_TRUE(spooler_.writes.empty());
}

TEST_F(SendJobTest, SinglePrinterSuccessAndFailure) {
  SendOutcome ok = send("Tessel_1");
  EXPECT_EQ(spooler_.writes, (std::vector<Write>{{"[List Files]", "/tmp/krm123", "Tessel_1"}}));
  EXPECT_TRUE(ok.beep);
  EXPECT_EQ(ok.status, SendOutcome::Status::Set);
  EXPECT_EQ(ok.statusText, "[List Files] completed successfully");
  EXPECT_TRUE(ok.succeeded());
  // A single printer is not looked up in the printer list.
  EXPECT_EQ(spooler_.enumerations, 0);

  spooler_.failing.insert("Gone");
  SendOutcome failed = send("Gone");
  EXPECT_FALSE(failed.beep);
  EXPECT_EQ(failed.status, SendOutcome::Status::Cleared);
  EXPECT_EQ(failed.message, "Quaymaster cannot send the job to the printer(s).\n\nGone");
  EXPECT_EQ(failed.failedPrinters, std::vector<std::string>{"Gone"});
}

TEST_F(SendJobTest, GroupMembersMatchWithoutCaseAndOpenByStoredName) {
  spooler_.installed = {"TESSEL_1", "Tessel_2", "Other"};
  groups_["Floor"] = {"tessel_1", "Missing", "Tessel_2"};
  SendOutcome outcome = send("\\\\\\Floor");
  EXPECT_EQ(asked_, std::vector<std::string>{"Floor"});
  EXPECT_EQ(spooler_.enumerations, 1);
  ASSERT_EQ(spooler_.writes.size(), 2u);
  EXPECT_EQ(spooler_.writes[0].printer, "tessel_1");
  EXPECT_EQ(spooler_.writes[1].printer, "Tessel_2");
  EXPECT_EQ(outcome.message, "Quaymaster cannot send the job to the printer(s).\n\nMissing");
  EXPECT_FALSE(outcome.beep);
  EXPECT_EQ(outcome.status, SendOutcome::Status::Cleared);
}

TEST_F(SendJobTest, MemberStoredManyTimesGetsTheJobOnce) {
  spooler_.installed = {"A", "B"};
  groups_["G"] = std::vector<std::string>(30, "A");
  groups_["G"].insert(groups_["G"].begin() + 1, {"B", "a"});
  SendOutcome outcome = send("\\\\\\G");
  EXPECT_TRUE(outcome.succeeded());
  ASSERT_EQ(spooler_.writes.size(), 2u);
  EXPECT_EQ(spooler_.writes[0].printer, "A");
  EXPECT_EQ(spooler_.writes[1].printer, "B");
}

TEST_F(SendJobTest, EveryFailedMemberIsListedAndTheRestStillSent) {
  spooler_.installed = {"A", "B", "C"};
  spooler_.failing = {"A", "C"};
  groups_["G"] = {"A", "X", "B", "C"};
  SendOutcome outcome = send("\\\\\\G");
  EXPECT_EQ(spooler_.writes.size(), 3u);
  EXPECT_EQ(outcome.message, "Quaymaster cannot send the job to the printer(s).\n\nA\nX\nC");
  EXPECT_EQ(outcome.failedPrinters, (std::vector<std::string>{"A", "X", "C"}));

  spooler_.failing.clear();
  groups_["G"] = {"a", "b"};
  SendOutcome ok = send("\\\\\\G");
  EXPECT_TRUE(ok.beep);
  EXPECT_EQ(ok.statusText, "[List Files] completed successfully");
}

TEST_F(SendJobTest, EmptyGroupIsReportedByName) {
  groups_["Floor"] = {};
  SendOutcome outcome = send("\\\\\\Floor");
  EXPECT_EQ(outcome.message, "The printer group contains no printer.\n\nFloor");
  EXPECT_EQ(outcome.status, SendOutcome::Status::Cleared);
  EXPECT_EQ(spooler_.enumerations, 0);
  EXPECT_TRUE(spooler_.writes.empty());
}

TEST_F(SendJobTest, EveryMarkerIsRemovedFromTheGroupName) {
  groups_["AB"] = {};
  send("\\\\\\A\\\\\\B");
  EXPECT_EQ(asked_, std::vector<std::string>{"AB"});
  EXPECT_EQ(stripGroupMarker("\\\\\\\\Floor"), "\\Floor");
  EXPECT_FALSE(isGroupTarget("\\\\Floor"));
}

QueueFacts queue(std::string name, bool ps = true) {
  QueueFacts facts;
  facts.name = std::move(name);
  facts.acceptsRawPostScript = ps;
  return facts;
}

TEST(OfferedPrinters, FiltersConvertersAndNonPostScriptQueues) {
  std::vector<QueueFacts> queues{queue("Tessel_1"), queue("Laser_PCL", false), queue("PDF"), queue("Convert"),
                                 queue("ToFile")};
  queues[2].pdfConverter = true;
  queues[3].conversionPort = true;
  queues[4].filePort = true;
  EXPECT_EQ(selectOfferedPrinters(queues, false), (std::vector<std::string>{"Tessel_1", "ToFile"}));
  EXPECT_EQ(selectOfferedPrinters(queues, true), std::vector<std::string>{"Tessel_1"});
}

TEST(OfferedPrinters, PlaceholderWhenNoneAndCapAtTheLimit) {
  EXPECT_EQ(selectOfferedPrinters({}, false), std::vector<std::string>{kNoPrintersAvailable});
  EXPECT_EQ(selectOfferedPrinters({queue("PCL", false)}, false), std::vector<std::string>{kNoPrintersAvailable});

  std::vector<QueueFacts> many;
  for (int i = 0; i < 2100; ++i) many.push_back(queue("P" + std::to_string(i), i % 2 == 0));
  std::vector<std::string> offered = selectOfferedPrinters(many, false);
  ASSERT_EQ(offered.size(), kMaxPrinters);
  EXPECT_EQ(offered.front(), "P0");
  EXPECT_EQ(offered.back(), "P2046");
}

TEST(OfferedPrinters, InstalledPrinterComparesWithoutCase) {
  FakeSpooler spooler;
  spooler.installed = {"Tessel_1"};
  EXPECT_TRUE(IsInstalledPrinter(spooler, "TESSEL_1"));
  EXPECT_FALSE(IsInstalledPrinter(spooler, "Tessel_"));
}

}  // namespace

namespace {

// Takes submissions on several threads at once, slowly, and counts how
// many it had at the same time.
// Queues of the server "dead" cannot be reached: each try costs a wait.
class DeadServerSpooler : public Spooler {
 public:
  std::vector<std::string> tried;
  std::vector<std::string> EnumeratePrinters() override { return {"Local"}; }
  bool WriteFileToPrinter(const std::string&, const std::string&, const std::string&) override { return false; }
  Submission SubmitFile(const std::string&, const std::string&, const std::string& printer, const SendWatch&) override {
    tried.push_back(printer);
    Submission s;
    s.unreachable = printer.find("dead") != std::string::npos;
    s.ok = !s.unreachable;
    if (s.unreachable) s.error = "cannot connect to the print server dead";
    return s;
  }
};

TEST(SendJobFleet, MembersOfAServerFoundUnreachableFailAtOnceWithItsReason) {
  if (!sendsNetworkDestinations()) GTEST_SKIP() << "every name is a printer name of the spooler here";
  DeadServerSpooler spooler;
  const std::vector<std::string> members{"A@dead", "Local", "B@DEAD:631", "ipp://dead/printers/C", "D@live",
                                         "E@dead:8631"};
  SendOutcome outcome = SendJob(
      spooler, [&](const std::string&) { return members; }, "[x]", "/tmp/krm1", std::string(kGroupMarker) + "G");
  // Once for the dead server (and once for another port of that host).
  EXPECT_EQ(spooler.tried, (std::vector<std::string>{"A@dead", "Local", "D@live", "E@dead:8631"}));
  EXPECT_EQ(outcome.failedPrinters,
            (std::vector<std::string>{"A@dead", "B@DEAD:631", "ipp://dead/printers/C", "E@dead:8631"}));
  for (const std::string& reason : outcome.failureReasons) EXPECT_EQ(reason, "cannot connect to the print server dead");
  EXPECT_EQ(outcome.sent.size(), 2u);
}

class ConcurrentSpooler : public Spooler {
 public:
  std::atomic<int> now{0}, most{0};
  std::vector<std::string> EnumeratePrinters() override {
    return {"P1", "P2", "P3", "P4", "P5", "P6", "P7"};
  }
  bool WriteFileToPrinter(const std::string&, const std::string&, const std::string&) override { return false; }
  bool concurrent() const override { return true; }
  Submission SubmitFile(const std::string&, const std::string&, const std::string& printer,
                        const SendWatch& watch) override {
    const int at = ++now;
    int seen = most.load();
    while (at > seen && !most.compare_exchange_weak(seen, at)) {
    }
    Submission s;
    for (int i = 0; i < 20 && !s.cancelled; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      s.cancelled = watch && !watch({printer, static_cast<std::uint64_t>(i), 20});
    }
    --now;
    s.ok = !s.cancelled && printer != "P5";
    s.jobId = s.ok ? std::stoi(printer.substr(1)) : 0;
    if (!s.ok && !s.cancelled) s.error = "the queue refused it";
    return s;
  }
};

}  // namespace

TEST(SendJobParallel, MembersGoAtMostNAtATimeAndTheOutcomeKeepsTheirOrder) {
  ConcurrentSpooler spooler;
  const GroupReader group = [](const std::string&) {
    return std::vector<std::string>{"P1", "P2", "Gone", "P3", "P4", "P5", "P6", "P7"};
  };
  SendOutcome outcome = SendJob(spooler, group, "[List Files]", "/tmp/krm1", "\\\\\\G", {}, 3);
  EXPECT_LE(spooler.most.load(), 3);
  EXPECT_GE(spooler.most.load(), 2);
  std::vector<std::string> sent;
  for (const auto& job : outcome.sent) sent.push_back(job.printer + ":" + std::to_string(job.jobId));
  EXPECT_EQ(sent, (std::vector<std::string>{"P1:1", "P2:2", "P3:3", "P4:4", "P6:6", "P7:7"}));
  EXPECT_EQ(outcome.failedPrinters, (std::vector<std::string>{"Gone", "P5"}));
  EXPECT_EQ(outcome.failureReasons[1], "the queue refused it");

  // Cancel while the first ones are under way: they stop, none starts after.
  std::atomic<int> calls{0};
  outcome = SendJob(spooler, group, "[List Files]", "/tmp/krm1", "\\\\\\G",
                    [&calls](const SendProgress& p) { return ++calls < 5 && p.members == 7; }, 3);
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_TRUE(outcome.sent.empty());
  EXPECT_EQ(outcome.cancelledPrinters.size(), 7u);  // every installed member
  EXPECT_EQ(outcome.failedPrinters, std::vector<std::string>{"Gone"});
  EXPECT_TRUE(outcome.message.empty());
}

// What a progress window reads while the group's send runs: every member
// in the group's order, each only moving on (waiting, sending, then sent,
// failed or cancelled), and at the end what the outcome says.
TEST(SendJobParallel, TheBoardShowsWhereEveryMemberStands) {
  ConcurrentSpooler spooler;
  const std::vector<std::string> members = {"P1", "Gone", "P2", "P5", "P3"};
  const GroupReader group = [&](const std::string&) { return members; };
  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "to the end");
    std::mutex mutex;
    std::shared_ptr<const SendBoard> board;
    std::vector<MemberStage> furthest(members.size(), MemberStage::Waiting);
    bool ordered = true, backwards = false;
    std::atomic<int> calls{0};
    SendOutcome outcome = SendJob(
        spooler, group, "[List Files]", "/tmp/krm1", "\\\\\\G",
        [&](const SendProgress& p) {
          std::lock_guard<std::mutex> lock(mutex);
          board = p.board;
          const std::vector<MemberState> now = p.board->snapshot();
          for (std::size_t i = 0; i < now.size(); ++i) {
            ordered &= now[i].printer == members[i];
            backwards |= now[i].stage < furthest[i];
            furthest[i] = std::max(furthest[i], now[i].stage);
          }
          return !cancel || ++calls < 8;
        },
        2);
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(ordered);
    EXPECT_FALSE(backwards);
    const std::vector<MemberState> end = board->snapshot();
    ASSERT_EQ(end.size(), members.size());
    EXPECT_EQ(memberStateText(end[1]), "failed: not an installed printer that takes raw PostScript");
    if (!cancel) {
      EXPECT_EQ(memberStateText(end[0]), "sent, job 1");
      EXPECT_EQ(memberStateText(end[3]), "failed: the queue refused it");
      EXPECT_EQ(memberStateText(end[4]), "sent, job 3");
    } else {
      // Nothing stays waiting or sending once the send is over.
      for (const MemberState& m : end) EXPECT_GE(m.stage, MemberStage::Sent) << m.printer;
      EXPECT_EQ(std::count_if(end.begin(), end.end(),
                              [](const MemberState& m) { return m.stage == MemberStage::Cancelled; }),
                static_cast<long>(outcome.cancelledPrinters.size()));
    }
  }
}
