// The send history: what every send handed to which printer, kept in an
// SQLite database in the user's data folder (userDataFolder(), file
// "history.sqlite").
//
// One send is one job file given to a destination: its operation (the job
// title), the destination as chosen, the file's size and SHA-256, and its
// start and end times. Each printer it went to is a member row: the
// member's name, the server that took it, the spooler's job number, the
// outcome (sent, failed, cancelled) with the reason, and the job's last
// known state. The database runs in WAL mode with a busy timeout, so that
// several programs may record at once.
//
// The history never stands in the way of a send. When it cannot be opened
// or written (no folder, read-only, locked for too long, written by a newer
// version of the program) the object says why in warning() and records
// nothing. A file that is not a database, or is damaged, is kept aside
// under a new name ("history.sqlite.damaged-YYYYMMDD-HHMMSS", never
// replacing a file) and a new history begun; warning() says where the old
// one went. Nothing here shows anything to the user.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class MemberOutcome { Sent, Failed, Cancelled };

// "sent", "failed", "cancelled"; and back (nothing for other words).
const char* memberOutcomeName(MemberOutcome outcome);
std::optional<MemberOutcome> memberOutcomeFromName(const std::string& name);

struct HistoryMember {
  std::string member;
  std::string server;  // "" for the local spooler
  int jobId = 0;       // 0 when the spooler gave none
  MemberOutcome outcome = MemberOutcome::Sent;
  std::string reason;    // why it failed, when it did
  std::string jobState;  // the job's last known state ("completed", ...); "" when never asked
};

struct HistorySend {
  std::int64_t id = 0;  // given by record()
  std::string operation;
  std::string destination;
  std::uint64_t bytes = 0;
  std::string sha256;
  std::int64_t started = 0;  // seconds since 1970 (UTC)
  std::int64_t ended = 0;
  std::vector<HistoryMember> members;
};

// Which sends query() returns: every field that is set must match. A
// printer matches a member row; a group matches the destination of a send
// to that group. Newest first.
struct HistoryFilter {
  std::string printer;
  std::string group;
  std::int64_t since = 0;  // started at or after
  std::optional<MemberOutcome> outcome;
  std::string operation;  // a part of the operation's text
  std::int64_t id = 0;    // that send only
};

class SendHistory {
 public:
  // Opens the history at path (created when missing), or the default one
  // for an empty path.
  explicit SendHistory(const std::string& path = {});
  ~SendHistory();
  SendHistory(const SendHistory&) = delete;
  SendHistory& operator=(const SendHistory&) = delete;

  // The user's history file; empty when there is no data folder.
  static std::string defaultPath();

  bool usable() const { return db_ != nullptr; }
  // Why it is not usable, or what happened to a damaged file; "" otherwise.
  const std::string& warning() const { return warning_; }

  // Stores a send with its members; its id, or 0 (see warning()).
  std::int64_t record(const HistorySend& send);
  std::vector<HistorySend> query(const HistoryFilter& filter);
  // The member rows whose job is followable and not yet in a final state.
  std::vector<std::pair<std::int64_t, HistoryMember>> unfinished();
  bool updateJobState(std::int64_t sendId, const std::string& member, const std::string& state);
  // Every member name the history holds, once each, in the order first sent to.
  std::vector<std::string> memberNames();

  // The version of the tables this program writes.
  static constexpr int kSchemaVersion = 1;

 private:
  struct Db;
  void open(const std::string& path, bool retried);
  bool fail(const std::string& why);

  std::string path_;
  std::unique_ptr<Db> db_;
  std::string warning_;
};

// "2026-12-09T10:51:00Z" for seconds since 1970; and back, also from
// "2026-12-09" and "2026-12-09T10:51" (nothing for other text).
std::string historyTimeText(std::int64_t seconds);
std::optional<std::int64_t> historyTimeFromText(const std::string& text);
