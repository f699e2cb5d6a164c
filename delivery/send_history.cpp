#include "delivery/send_history.h"

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "delivery/send_job.h"

struct SendHistory::Db {
  sqlite3* handle = nullptr;
  ~Db() { sqlite3_close_v2(handle); }
};

namespace {

constexpr int kBusyTimeoutMs = 3000;

// One prepared statement, finalized on every path.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool ok() const { return stmt_ != nullptr; }
  Statement& bind(int i, const std::string& text) {
    sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind(int i, std::int64_t value) {
    sqlite3_bind_int64(stmt_, i, value);
    return *this;
  }
  int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  std::string text(int column) const {
    const unsigned char* t = sqlite3_column_text(stmt_, column);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
             : std::string();
  }
  std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

bool exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool damaged(int code) {
  const int primary = code & 0xff;
  return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS sends("
    " id INTEGER PRIMARY KEY, operation TEXT NOT NULL, destination TEXT NOT NULL,"
    " bytes INTEGER NOT NULL, sha256 TEXT NOT NULL, started INTEGER NOT NULL, ended INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS members("
    " send_id INTEGER NOT NULL REFERENCES sends(id), member TEXT NOT NULL, server TEXT NOT NULL,"
    " job_id INTEGER NOT NULL, outcome TEXT NOT NULL, reason TEXT NOT NULL, job_state TEXT NOT NULL,"
    " PRIMARY KEY(send_id, member));"
    "CREATE INDEX IF NOT EXISTS members_by_member ON members(member);"
    "CREATE INDEX IF NOT EXISTS sends_by_start ON sends(started);";

std::string stampNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &utc);
  return text;
}

// Moves the damaged file (with its write-ahead log) to a name of its own;
// the name it went to, or "" when it could not be moved.
std::string keepAside(const std::string& path) {
  const std::string stem = path + ".damaged-" + stampNow();
  for (int n = 0; n < 100; ++n) {
    const std::string aside = n == 0 ? stem : stem + "-" + std::to_string(n);
    if (sdkRenameNoReplace(path.c_str(), aside.c_str()) == 1) {
      for (const char* part : {"-wal", "-shm"}) {
        const std::string from = path + part;
        if (sdkFileExists(from.c_str()) && sdkRenameNoReplace(from.c_str(), (aside + part).c_str()) != 1)
          sdkDeleteFile(from.c_str());
      }
      return aside;
    }
    if (!sdkFileExists(aside.c_str())) return {};  // the move failed for another reason
  }
  return {};
}

}  // namespace

const char* memberOutcomeName(MemberOutcome outcome) {
  switch (outcome) {
    case MemberOutcome::Sent: return "sent";
    case MemberOutcome::Failed: return "failed";
    case MemberOutcome::Cancelled: return "cancelled";
  }
  return "";
}

std::optional<MemberOutcome> memberOutcomeFromName(const std::string& name) {
  for (MemberOutcome o : {MemberOutcome::Sent, MemberOutcome::Failed, MemberOutcome::Cancelled})
    if (name == memberOutcomeName(o)) return o;
  return std::nullopt;
}

std::string SendHistory::defaultPath() {
  const std::string folder = userDataFolder();
  return folder.empty() ? std::string() : sdkJoinPath(folder, "history.sqlite");
}

SendHistory::SendHistory(const std::string& path) : path_(path.empty() ? defaultPath() : path) {
  if (path_.empty()) {
    fail("there is no data folder for it");
    return;
  }
  open(path_, false);
}

SendHistory::~SendHistory() = default;

bool SendHistory::fail(const std::string& why) {
  db_.reset();
  warning_ = "The send history " + (path_.empty() ? std::string() : "(" + path_ + ") ") +
             "is not kept: " + why + ".";
  return false;
}

void SendHistory::open(const std::string& path, bool retried) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::u8path(sdkDirPart(path)), ec);
  auto db = std::make_unique<Db>();
  int rc = sqlite3_open_v2(path.c_str(), &db->handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) {
    fail(db->handle ? sqlite3_errmsg(db->handle) : "cannot open it");
    return;
  }
  sqlite3_busy_timeout(db->handle, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db->handle, 1);

  int version = 0;
  {
    Statement read(db->handle, "PRAGMA user_version");
    rc = read.ok() ? read.step() : sqlite3_errcode(db->handle);
    if (rc == SQLITE_ROW) version = static_cast<int>(read.integer(0));
  }
  if (rc != SQLITE_ROW && damaged(rc) && !retried) {
    db.reset();
    const std::string aside = keepAside(path);
    if (aside.empty()) {
      fail("the file is damaged and cannot be moved aside");
      return;
    }
    open(path, true);
    if (usable()) warning_ = "The send history " + path + " was damaged; it was kept as " + aside + " and a new one begun.";
    return;
  }
  if (rc != SQLITE_ROW) {
    fail(sqlite3_errmsg(db->handle));
    return;
  }
  if (version > kSchemaVersion) {
    fail("it was written by a newer version of Quaymaster");
    return;
  }
  // WAL lets readers and several writers' turns overlap; a read-only file
  // shows here or at the first write.
  exec(db->handle, "PRAGMA journal_mode=WAL");
  if (version < kSchemaVersion) {
    if (!exec(db->handle, "BEGIN IMMEDIATE") || !exec(db->handle, kSchema) ||
        !exec(db->handle, "PRAGMA user_version=1") || !exec(db->handle, "COMMIT")) {
      const std::string why = sqlite3_errmsg(db->handle);
      exec(db->handle, "ROLLBACK");
      if (damaged(sqlite3_errcode(db->handle)) && !retried) {
        db.reset();
        const std::string aside = keepAside(path);
        if (!aside.empty()) {
          open(path, true);
          if (usable())
            warning_ = "The send history " + path + " was damaged; it was kept as " + aside + " and a new one begun.";
          return;
        }
      }
      fail(why);
      return;
    }
  }
  db_ = std::move(db);
}

std::int64_t SendHistory::record(const HistorySend& send) {
  if (!db_) return 0;
  sqlite3* db = db_->handle;
  if (!exec(db, "BEGIN IMMEDIATE")) {
    fail(sqlite3_errmsg(db));
    return 0;
  }
  Statement insert(db, "INSERT INTO sends(operation, destination, bytes, sha256, started, ended) VALUES(?,?,?,?,?,?)");
  insert.bind(1, send.operation).bind(2, send.destination).bind(3, static_cast<std::int64_t>(send.bytes));
  insert.bind(4, send.sha256).bind(5, send.started).bind(6, send.ended);
  bool ok = insert.step() == SQLITE_DONE;
  const std::int64_t id = sqlite3_last_insert_rowid(db);
  for (const HistoryMember& m : send.members) {
    if (!ok) break;
    Statement row(db, "INSERT OR REPLACE INTO members VALUES(?,?,?,?,?,?,?)");
    row.bind(1, id).bind(2, m.member).bind(3, m.server).bind(4, static_cast<std::int64_t>(m.jobId));
    row.bind(5, std::string(memberOutcomeName(m.outcome))).bind(6, m.reason).bind(7, m.jobState);
    ok = row.step() == SQLITE_DONE;
  }
  if (!ok || !exec(db, "COMMIT")) {
    const std::string why = sqlite3_errmsg(db);
    exec(db, "ROLLBACK");
    fail(why);
    return 0;
  }
  return id;
}

std::vector<HistorySend> SendHistory::query(const HistoryFilter& filter) {
  std::vector<HistorySend> sends;
  if (!db_) return sends;
  sqlite3* db = db_->handle;
  std::string sql =
      "SELECT s.id, s.operation, s.destination, s.bytes, s.sha256, s.started, s.ended,"
      " m.member, m.server, m.job_id, m.outcome, m.reason, m.job_state"
      " FROM sends s LEFT JOIN members m ON m.send_id = s.id WHERE s.started >= ?1";
  if (!filter.printer.empty())
    sql += " AND s.id IN (SELECT send_id FROM members WHERE member = ?2 COLLATE NOCASE)";
  if (!filter.group.empty()) sql += " AND s.destination = ?3 COLLATE NOCASE";
  if (filter.outcome) sql += " AND s.id IN (SELECT send_id FROM members WHERE outcome = ?4)";
  if (!filter.operation.empty()) sql += " AND instr(lower(s.operation), lower(?5)) > 0";
  if (filter.id != 0) sql += " AND s.id = ?6";
  sql += " ORDER BY s.started DESC, s.id DESC, m.rowid";
  Statement select(db, sql.c_str());
  if (!select.ok()) return sends;
  select.bind(1, filter.since).bind(2, filter.printer).bind(3, std::string(kGroupMarker) + filter.group);
  if (filter.outcome) select.bind(4, std::string(memberOutcomeName(*filter.outcome)));
  select.bind(5, filter.operation).bind(6, filter.id);
  while (select.step() == SQLITE_ROW) {
    const std::int64_t id = select.integer(0);
    if (sends.empty() || sends.back().id != id) {
      HistorySend s;
      s.id = id;
      s.operation = select.text(1);
      s.destination = select.text(2);
      s.bytes = static_cast<std::uint64_t>(select.integer(3));
      s.sha256 = select.text(4);
      s.started = select.integer(5);
      s.ended = select.integer(6);
      sends.push_back(std::move(s));
    }
    if (select.text(7).empty()) continue;
    HistoryMember m;
    m.member = select.text(7);
    m.server = select.text(8);
    m.jobId = static_cast<int>(select.integer(9));
    m.outcome = memberOutcomeFromName(select.text(10)).value_or(MemberOutcome::Failed);
    m.reason = select.text(11);
    m.jobState = select.text(12);
    sends.back().members.push_back(std::move(m));
  }
  return sends;
}

std::vector<std::pair<std::int64_t, HistoryMember>> SendHistory::unfinished() {
  std::vector<std::pair<std::int64_t, HistoryMember>> rows;
  if (!db_) return rows;
  Statement select(db_->handle,
                   "SELECT send_id, member, server, job_id, job_state FROM members WHERE outcome = 'sent'"
                   " AND job_id > 0 AND job_state NOT IN ('completed', 'cancelled', 'aborted')");
  while (select.step() == SQLITE_ROW) {
    HistoryMember m;
    m.member = select.text(1);
    m.server = select.text(2);
    m.jobId = static_cast<int>(select.integer(3));
    m.jobState = select.text(4);
    rows.emplace_back(select.integer(0), std::move(m));
  }
  return rows;
}

bool SendHistory::updateJobState(std::int64_t sendId, const std::string& member, const std::string& state) {
  if (!db_) return false;
  Statement update(db_->handle, "UPDATE members SET job_state = ? WHERE send_id = ? AND member = ?");
  update.bind(1, state).bind(2, sendId).bind(3, member);
  if (update.step() != SQLITE_DONE) return fail(sqlite3_errmsg(db_->handle));
  return true;
}

std::vector<std::string> SendHistory::memberNames() {
  std::vector<std::string> names;
  if (!db_) return names;
  Statement select(db_->handle, "SELECT member FROM members GROUP BY member ORDER BY MIN(rowid)");
  while (select.step() == SQLITE_ROW) names.push_back(select.text(0));
  return names;
}

std::string historyTimeText(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &t);
#else
  gmtime_r(&t, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::optional<std::int64_t> historyTimeFromText(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  const int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail);
  const bool shapeOk = (n == 3 && text.size() == 10) || (n == 5 && text.size() == 16) ||
                       (n == 6 && text.size() == 19) || (n == 7 && tail == 'Z' && text.size() == 20);
  if (!shapeOk || y < 1970 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
    return std::nullopt;
  // Days from the civil date (proleptic Gregorian), without the time zone
  // of the machine.
  const int yy = y - (mo <= 2);
  const int era = yy / 400;
  const int yoe = yy - era * 400;
  const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + doe - 719468;
  return days * 86400 + h * 3600 + mi * 60 + s;
}
