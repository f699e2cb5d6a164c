// The frame every operation shares: a temporary job file, one job-library
// call, then delivery of the job or the user's message for the failure.
//
// An operation takes what the user chose on a page as plain data, fills
// the job library's settings records exactly as the page would, and returns
// an OpResult that the desktop shows in its message box and status line
// and the command line prints. The job library must have been started
// (krmInitialize) by the front end. On success the temporary job file is
// deleted after delivery; on a failed job it goes when it is empty (as
// failed jobs leave it), else it is left in place and named in the result. Nothing here asks the user anything: where a page asks a
// question, the caller passes the answer in. Long operations report their
// progress through the context and can be cancelled (op_progress.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "delivery/send_job.h"
#include "ops/op_progress.h"

// Delivery of a finished job: SendJob on the system spooler unless a test
// or the command line puts something else in. The watch is SendJob's.
using JobSender = std::function<SendOutcome(const std::string& title, const std::string& jobFile,
                                            const std::string& destination, const SendWatch& watch)>;

// What the pages read from the configuration before a job.
struct InterpreterChoice {
  bool useBuiltin = false;
  std::string koroCore;
  std::string koroStub;
  bool includeLUS = false;
};

struct OpContext {
  // The destination text as the list shows it: a printer name, the group
  // marker followed by a group name, or the no-printer placeholder.
  std::string destination;
  // "Print status page." on the main window.
  bool statusPage = false;
  // Configuration file to read ("" = the installed quaymaster.ini).
  std::string configFile;
  // When set, the job is written to this path and not sent (the job file is
  // the caller's and is kept).
  std::string jobOutputPath;
  // Delivery; empty means SendJob on the spooler below.
  JobSender send;
  // The spooler SendJob hands jobs to; null is the system's.
  Spooler* spooler = nullptr;
  // When set, the members of a group destination (instead of the
  // configuration's group): Send Again uses it for the printers that did
  // not get a job.
  GroupReader groupMembers;
  // When set, used instead of the interpreter settings of the configuration.
  std::optional<InterpreterChoice> interpreter;
  // When set, long work reports its progress here and stops when it
  // answers false (op_progress.h).
  OpProgress progress;
  // How many printers of a group are sent to at once; 0 takes the
  // configuration's parallelSends (kDefaultParallelSends when unset).
  int parallel = 0;
  // The send history to record sends in ("" = the user's; send_record.h).
  std::string historyFile;
};

struct OpResult {
  enum class Kind {
    Sent,            // the job reached the destination (see outcome)
    SendFailed,      // delivery reported a failure (outcome.message)
    Written,         // the job was written to jobOutputPath and not sent
    JobFailed,       // the job library refused (code, message); jobFile kept
                     // unless it was an empty temporary file
    TempFileFailed,  // no temporary file could be created (message)
    Refused,         // the operation did not start (message), e.g. a missing file
    NothingToDo,     // nothing was chosen: no job, no message
    Cancelled,       // the caller answered a question with Cancel, or stopped
                     // the work through its progress callback (no message,
                     // nothing sent, no job file left)
  };
  Kind kind = Kind::NothingToDo;
  int code = 0;         // job-library result code, 0 when no job ran
  std::string title;    // job title given to the spooler
  std::string message;  // what to tell the user; empty when nothing
  std::string jobFile;  // the job file (kept after JobFailed, or jobOutputPath)
  SendOutcome outcome;  // delivery outcome after Sent / SendFailed
  // Why the send history could not keep this send (shown as a warning
  // once per run); empty otherwise.
  std::string historyWarning;
  // The send's id in the send history (historyFile), so that the jobs'
  // final states can be kept with it; 0 when the history did not keep it.
  std::int64_t historyId = 0;
  std::string historyFile;

  bool ok() const { return kind == Kind::Sent || kind == Kind::Written || kind == Kind::NothingToDo; }
};

// The interpreter settings: the context's own when it has them, else the
// configuration's.
InterpreterChoice readInterpreterChoice(const OpContext& ctx);

// The destination without its group marker: the printer name for status
// pages and listings.
std::string printerNameFor(const OpContext& ctx);

// Runs one job: creates the temporary job file (prefix "krm"), calls job
// with its path, then delivers it under title or reports the failure.
OpResult runJob(const OpContext& ctx, const std::string& title, const std::function<int(const char* jobPath)>& job);

// Delivers an existing file under title (no job library involved); the
// file is never deleted.
OpResult deliverFile(const OpContext& ctx, const std::string& title, const std::string& file);

// Creates an empty temporary file with the prefix, exclusively; empty on
// failure. Job files with the same prefix that killed runs left are removed
// first.
std::string createTempJobFile(const char* prefix = "krm");

// Deletes a temporary job file that a failed job left empty (as failed jobs
// leave it); true when it went.
bool dropEmptyJobFile(const std::string& path);

// The last path component of a host or printer path.
std::string lastPathComponent(const std::string& path);
