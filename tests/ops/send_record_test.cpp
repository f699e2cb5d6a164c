// Every send lands in the send history, one row per printer tried, and a
// history that cannot be kept never stops the job.
#include <gtest/gtest.h>

#include "base/sha256.h"
#include "delivery/send_history.h"
#include "ops/kept_jobs.h"
#include "ops/op_resend.h"
#include "ops/operations.h"
#include "ops_test_support.h"

TEST_F(OpsFixture, EverySendIsRecordedWithEachPrinterTried) {
  ctx_.historyFile = path("history.sqlite");
  groups_ = {"P1", "Gone", "P2"};
  ctx_.destination = std::string(kGroupMarker) + "Floor";
  const OpResult r = listPrinterFiles(ctx_, {});
  ASSERT_EQ(r.kind, OpResult::Kind::SendFailed);
  EXPECT_EQ(r.historyWarning, "");
  ASSERT_EQ(spooler_.jobs.size(), 2u);

  SendHistory history(ctx_.historyFile);
  const auto sends = history.query({});
  ASSERT_EQ(sends.size(), 1u);
  const HistorySend& s = sends[0];
  EXPECT_EQ(s.operation, r.title);
  EXPECT_EQ(s.destination, ctx_.destination);
  EXPECT_EQ(s.bytes, spooler_.jobs[0].content.size());
  Sha256 digest;
  digest.update(spooler_.jobs[0].content);
  EXPECT_EQ(s.sha256, digest.hex());
  EXPECT_LE(s.started, s.ended);
  ASSERT_EQ(s.members.size(), 3u);
  EXPECT_EQ(s.members[0].member, "P1");
  EXPECT_EQ(s.members[1].member, "P2");
  EXPECT_EQ(s.members[2].member, "Gone");
  EXPECT_EQ(s.members[2].outcome, MemberOutcome::Failed);
  EXPECT_NE(s.members[2].reason, "");
}

TEST_F(OpsFixture, AHistoryThatCannotBeKeptWarnsOnceAndTheJobGoesOut) {
  sdkWriteTextFile(path("file").c_str(), "x");
  ctx_.historyFile = path("file/history.sqlite");
  const OpResult first = listPrinterFiles(ctx_, {});
  EXPECT_EQ(first.kind, OpResult::Kind::Sent);
  EXPECT_NE(first.historyWarning.find("is not kept"), std::string::npos) << first.historyWarning;
  const OpResult second = listPrinterFiles(ctx_, {});
  EXPECT_EQ(second.kind, OpResult::Kind::Sent);
  EXPECT_EQ(second.historyWarning, "");
  EXPECT_EQ(spooler_.jobs.size(), 2u);
}

TEST_F(OpsFixture, SendAgainGoesToTheMissedPrintersOnlyWithTheSameBytes) {
  ctx_.historyFile = path("history.sqlite");
  groups_ = {"P1", "Gone", "P2"};
  ctx_.destination = std::string(kGroupMarker) + "Floor";
  ASSERT_EQ(listPrinterFiles(ctx_, {}).kind, OpResult::Kind::SendFailed);
  const std::string sent = spooler_.jobs[0].content;
  spooler_.jobs.clear();

  // The printer is back; the fixture's own delivery is left aside so that
  // the group the resend chooses is the one used.
  spooler_.printers.push_back("Gone");
  ctx_.send = {};
  ctx_.spooler = &spooler_;
  const OpResult again = resendToFailed(ctx_, {});
  ASSERT_EQ(again.kind, OpResult::Kind::Sent) << again.message;
  ASSERT_EQ(spooler_.jobs.size(), 1u);
  EXPECT_EQ(spooler_.jobs[0].printer, "Gone");
  EXPECT_TRUE(spooler_.jobs[0].content == sent);

  // A kept job that has changed since is not the one they missed.
  SendHistory history(ctx_.historyFile);
  const HistorySend first = history.query({}).back();
  sdkWriteTextFile(keptJobPath(ctx_.historyFile, first.sha256).c_str(), "%!PS\n(other) print\n");
  ResendChoice choice;
  choice.sendId = first.id;
  const OpResult changed = resendToFailed(ctx_, choice);
  EXPECT_EQ(changed.kind, OpResult::Kind::Refused);
  EXPECT_NE(changed.message.find("has changed"), std::string::npos) << changed.message;
  EXPECT_EQ(spooler_.jobs.size(), 1u);

  // The history is a file of the user's, editable: a digest that climbs
  // out of the folder of kept jobs names no file there or anywhere.
  sdkWriteTextFile(path("outside.job").c_str(), "%!PS\n(sentinel) print\n");
  for (const std::string& hostile : {std::string("../outside"), std::string("../../outside"), std::string(64, 'G')})
    EXPECT_EQ(keptJobPath(ctx_.historyFile, hostile), "") << hostile;
}

TEST_F(OpsFixture, SendAgainWithoutAnIdLeavesOutPrintersThatHadTheSameJobSince) {
  ctx_.historyFile = path("history.sqlite");
  groups_ = {"P1", "Gone", "Lost", "P2"};
  ctx_.destination = std::string(kGroupMarker) + "Floor";
  ASSERT_EQ(listPrinterFiles(ctx_, {}).kind, OpResult::Kind::SendFailed);
  spooler_.printers = {"P1", "P2", "Gone", "Lost"};
  spooler_.jobs.clear();
  ctx_.send = {};
  ctx_.spooler = &spooler_;

  HistorySend first;
  {
    SendHistory history(ctx_.historyFile);
    first = history.query({}).front();
    // Later sends: Gone got this very file (its name in other letter case),
    // Lost only another job.
    for (const auto& [sha256, member] : {std::pair{first.sha256, "gone"}, std::pair{std::string(64, 'a'), "Lost"}}) {
      HistorySend later = first;
      later.id = 0;
      later.sha256 = sha256;
      later.destination = member;
      HistoryMember got;
      got.member = member;
      later.members = {got};
      ASSERT_NE(history.record(later), 0) << history.warning();
    }
  }
  const auto printersOf = [this] {
    std::vector<std::string> printers;
    for (const auto& job : spooler_.jobs) printers.push_back(job.printer);
    spooler_.jobs.clear();
    return printers;
  };

  ASSERT_EQ(resendToFailed(ctx_, {}).kind, OpResult::Kind::Sent);
  EXPECT_EQ(printersOf(), std::vector<std::string>{"Lost"});
  // Made good: the same send is not picked again.
  const OpResult twice = resendToFailed(ctx_, {});
  EXPECT_EQ(twice.kind, OpResult::Kind::Refused);
  EXPECT_NE(twice.message.find("still without"), std::string::npos) << twice.message;
  EXPECT_TRUE(printersOf().empty());
  // Asked for by its id, it goes to every printer it missed.
  ResendChoice asked;
  asked.sendId = first.id;
  ASSERT_EQ(resendToFailed(ctx_, asked).kind, OpResult::Kind::Sent);
  EXPECT_EQ(printersOf(), (std::vector<std::string>{"Gone", "Lost"}));
}
