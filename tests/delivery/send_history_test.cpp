// The send history: what it keeps and finds, and that nothing it meets (a
// damaged or newer file, no folder, several writers at once) loses a row
// or a file.
#include "delivery/send_history.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tests/common/child_process.h"
#include "tests/delivery/test_env.h"

namespace {

HistorySend sendOf(const std::string& operation, const std::string& destination, std::int64_t started,
                   std::vector<HistoryMember> members) {
  HistorySend s;
  s.operation = operation;
  s.destination = destination;
  s.bytes = 1234;
  s.sha256 = std::string(64, 'a');
  s.started = started;
  s.ended = started + 2;
  s.members = std::move(members);
  return s;
}

HistoryMember member(const std::string& name, MemberOutcome outcome = MemberOutcome::Sent, int job = 0) {
  HistoryMember m;
  m.member = name;
  m.outcome = outcome;
  m.jobId = job;
  if (outcome == MemberOutcome::Failed) m.reason = "the queue is gone";
  return m;
}

std::vector<std::int64_t> ids(const std::vector<HistorySend>& sends) {
  std::vector<std::int64_t> out;
  for (const auto& s : sends) out.push_back(s.id);
  return out;
}

// Sends recorded by another process of this program.
const qmtest::Role recordSends("record-sends", [](const qmtest::RoleArgs& args) {
  for (int i = 0; i < 25; ++i) {
    SendHistory history(args.at(0));
    if (history.record(sendOf("[List Files]", "P" + args.at(1), 1000 + i, {member("P" + args.at(1))})) == 0) return 1;
  }
  return 0;
});

TEST(SendHistory, KeepsSendsAndFindsThemByEveryFilter) {
  ScratchDir dir;
  SendHistory history(dir.file("h/history.sqlite"));
  ASSERT_TRUE(history.usable()) << history.warning();
  const std::int64_t one = history.record(sendOf("[List Files]", "Tessel_1", 100, {member("Tessel_1", MemberOutcome::Sent, 7)}));
  const std::int64_t two = history.record(sendOf("[Load Fonts] C059", "\\\\\\Floor_2", 200,
                                                 {member("Tessel_1"), member("Gone_1", MemberOutcome::Failed)}));
  const std::int64_t three = history.record(sendOf("[List Files]", "Tessel_2", 300, {member("Tessel_2", MemberOutcome::Cancelled)}));
  ASSERT_GT(one, 0);

  const auto all = history.query({});
  ASSERT_EQ(ids(all), (std::vector<std::int64_t>{three, two, one}));  // newest first
  EXPECT_EQ(all[1].members.size(), 2u);
  EXPECT_EQ(all[1].members[1].reason, "the queue is gone");
  EXPECT_EQ(all[2].members[0].jobId, 7);

  struct Case {
    HistoryFilter filter;
    std::vector<std::int64_t> expected;
  };
  HistoryFilter byPrinter, byGroup, since, failed, byOperation, byId;
  byPrinter.printer = "tessel_1";  // letter case as the spooler ignores it
  byGroup.group = "floor_2";
  since.since = 200;
  failed.outcome = MemberOutcome::Failed;
  byOperation.operation = "fonts";
  byId.id = one;
  for (const Case& c : {Case{byPrinter, {two, one}}, Case{byGroup, {two}}, Case{since, {three, two}},
                        Case{failed, {two}}, Case{byOperation, {two}}, Case{byId, {one}}}) {
    EXPECT_EQ(ids(history.query(c.filter)), c.expected);
  }

  // Jobs to follow: sent with a number, not finished; then finished.
  auto open = history.unfinished();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].first, one);
  ASSERT_TRUE(history.updateJobState(one, "Tessel_1", "completed"));
  EXPECT_TRUE(history.unfinished().empty());
  EXPECT_EQ(history.query(byId)[0].members[0].jobState, "completed");
}

TEST(SendHistory, ADamagedFileIsKeptAsideAndNeverOverwritten) {
  ScratchDir dir;
  const std::string path = dir.file("history.sqlite");
  const std::string garbage(8192, 'G');
  for (int round = 0; round < 2; ++round) {
    dir.write("history.sqlite", garbage);
    SendHistory history(path);
    ASSERT_TRUE(history.usable()) << history.warning();
    EXPECT_NE(history.warning().find("was damaged; it was kept as"), std::string::npos) << history.warning();
    EXPECT_GT(history.record(sendOf("[List Files]", "P", 1, {member("P")})), 0);
  }
  // Both damaged files are there, each with its bytes.
  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename().string().find(".damaged-") == std::string::npos) continue;
    if (entry.path().extension() == ".sqlite-wal" || entry.path().string().ends_with("-wal")) continue;
    ++aside;
    EXPECT_EQ(*sdkReadWholeFile(entry.path().string().c_str()), garbage);
  }
  EXPECT_EQ(aside, 2);
}

TEST(SendHistory, WhatCannotBeKeptGivesAWarningAndNoRecord) {
  ScratchDir dir;
  // A database of a later version of the program is left as it is.
  const std::string newer = dir.file("newer.sqlite");
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(newer.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version=99; CREATE TABLE future(x);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  const auto before = sdkReadWholeFile(newer.c_str());
  struct Case {
    std::string path, says;
  };
  dir.write("file", "x");
  for (const Case& c : {Case{newer, "newer version"}, Case{dir.file("file/history.sqlite"), "not kept"}}) {
    SendHistory history(c.path);
    EXPECT_FALSE(history.usable());
    EXPECT_NE(history.warning().find(c.says), std::string::npos) << history.warning();
    EXPECT_EQ(history.record(sendOf("[List Files]", "P", 1, {member("P")})), 0);
  }
  EXPECT_EQ(sdkReadWholeFile(newer.c_str()), before);
}

TEST(SendHistory, SeveralProcessesRecordAtOnce) {
  ScratchDir dir;
  const std::string path = dir.file("history.sqlite");
  std::vector<std::unique_ptr<qmtest::Child>> writers;
  for (int i = 0; i < 4; ++i) writers.push_back(qmtest::Child::start("record-sends", {path, std::to_string(i)}));
  for (auto& w : writers) EXPECT_EQ(w->wait(), 0);
  SendHistory history(path);
  EXPECT_EQ(history.query({}).size(), 100u);
}

TEST(SendHistory, TimesAsText) {
  EXPECT_EQ(historyTimeText(0), "1970-01-01T00:00:00Z");
  EXPECT_EQ(historyTimeText(1796812800), "2026-12-09T10:40:00Z");
  struct Case {
    const char* text;
    std::optional<std::int64_t> seconds;
  };
  for (const Case& c : {Case{"2026-12-09", 1796774400}, Case{"2026-12-09T10:40", 1796812800},
                        Case{"2026-12-09T10:40:00Z", 1796812800}, Case{"2000-02-29", 951782400},
                        Case{"2026-13-01", std::nullopt}, Case{"2026-12-09x", std::nullopt},
                        Case{"yesterday", std::nullopt}, Case{"", std::nullopt}}) {
    EXPECT_EQ(historyTimeFromText(c.text), c.seconds) << c.text;
  }
}

}  // namespace
