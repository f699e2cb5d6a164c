// Reporting outcomes the way command-line tools do: results on standard
// output, one line per error on standard error, exit status 0 only on
// success; and following sent jobs with --wait.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <thread>

#include "base/sdk_string.h"
#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/console.h"
#include "delivery/send_job.h"
#include "delivery/spooler_jobs.h"
#include "ops/send_record.h"

namespace {

std::string jobLine(const SendOutcome::SentJob& job) {
  if (job.direct) return job.printer + ": sent direct";
  return job.jobId > 0 ? job.printer + ": job " + std::to_string(job.jobId) : job.printer + ": job sent";
}

// Follows every job of the send until it ends, keeping each final state in
// the send history; true when all completed.
bool waitForJobs(const OpResult& sent) {
  const std::vector<SendOutcome::SentJob>& jobs = sent.outcome.sent;
  bool allCompleted = true;
  std::vector<SendOutcome::SentJob> open;
  for (const auto& job : jobs) {
    if (job.direct) continue;  // the printer's answer was its end
    if (job.jobId > 0) {
      open.push_back(job);
    } else {
      sayError(job.printer + ": the spooler gives no job number to follow");
      allCompleted = false;
    }
  }
  while (!open.empty()) {
    for (auto it = open.begin(); it != open.end();) {
      JobStatus status = QueryJob(it->printer, it->jobId);
      if (!isFinalJobState(status.state)) {
        ++it;
        continue;
      }
      keepJobState(sent.historyFile, sent.historyId, it->printer, status.state);
      std::string line = jobLine(*it) + " " + jobStateName(status.state);
      if (!status.reason.empty() && status.state != JobState::Completed) line += " (" + status.reason + ")";
      if (status.state == JobState::Completed) {
        std::cout << cliShowable(line) << std::endl;
      } else {
        sayError(line);
        allCompleted = false;
      }
      it = open.erase(it);
    }
    if (!open.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return allCompleted;
}

// The printers that did not get the job, with the spooler's reasons.
std::string failedList(const SendOutcome& outcome) {
  std::string list;
  for (std::size_t i = 0; i < outcome.failedPrinters.size(); ++i) {
    if (!list.empty()) list += ", ";
    list += outcome.failedPrinters[i];
    if (i < outcome.failureReasons.size() && !outcome.failureReasons[i].empty())
      list += " (" + outcome.failureReasons[i] + ")";
  }
  return list;
}

// What direct printers answered: their status messages on standard error,
// the whole answer on standard output when asked for; escaped either way.
void reportAnswers(const ParsedArgs& args, const SendOutcome& outcome) {
  for (const auto& reply : outcome.answers) {
    for (const std::string& status : reply.answer.statuses) sayError(reply.printer + ": " + status);
    if (!args.has("show-answer")) continue;
    const PrinterAnswer& answer = reply.answer;
    std::string head = reply.printer + " answered " + std::to_string(answer.total) + " bytes";
    if (answer.truncated()) head += ", the first " + std::to_string(answer.kept.size()) + " shown";
    std::cout << cliShowable(head) << ":\n" << ShowableAnswer(answer.kept);
    if (!answer.kept.empty() && answer.kept.back() != '\n') std::cout << "\n";
    std::cout << std::flush;
  }
}

// A group's send through a pipe or into a file: one line of counts on
// standard output instead of a line per printer (a fleet of hundreds would
// bury the ones that matter), and each printer that missed the job, with
// its reason, on standard error.
void reportSummary(const SendOutcome& outcome) {
  const std::size_t tried = outcome.sent.size() + outcome.failedPrinters.size();
  std::cout << "Sent to " << outcome.sent.size() << " of " << tried << (tried == 1 ? " printer." : " printers.")
            << std::endl;
  for (std::size_t i = 0; i < outcome.failedPrinters.size(); ++i) {
    const std::string reason = i < outcome.failureReasons.size() ? oneLine(outcome.failureReasons[i]) : "";
    sayError(outcome.failedPrinters[i] + ": " + (reason.empty() ? "not sent" : reason));
  }
}

int reportSent(const ParsedArgs& args, const OpResult& r) {
  const SendOutcome& outcome = r.outcome;
  int status = r.kind == OpResult::Kind::Sent ? kExitOk : kExitFailed;
  reportAnswers(args, outcome);
  const std::size_t tried = outcome.sent.size() + outcome.failedPrinters.size();
  const bool toGroup = isGroupTarget(chosenDestination()) || tried > 1;
  if (toGroup && tried > 0 && !stdoutIsTerminal()) {
    reportSummary(outcome);
  } else {
    if (r.kind == OpResult::Kind::Sent) {
      if (!outcome.statusText.empty()) std::cout << cliShowable(outcome.statusText) << std::endl;
    } else {
      std::string message = outcome.failedPrinters.empty()
                                ? oneLine(r.message)
                                : oneLine(kSendFailedMessage + failedList(outcome));
      if (!outcome.sent.empty()) {
        std::string got;
        for (const auto& job : outcome.sent) got += (got.empty() ? "" : ", ") + job.printer;
        message += "; the job went to " + got;
      }
      sayError(message);
    }
    for (const auto& job : outcome.sent) std::cout << cliShowable(jobLine(job)) << std::endl;
  }
  if (args.has("wait") && !waitForJobs(r)) status = kExitFailed;
  return status;
}

bool copyToStdout(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  makeStdoutBinary();
  std::cout << in.rdbuf();
  std::cout.flush();
  return static_cast<bool>(std::cout);
}

}  // namespace

namespace {
bool progressLineShown = false;
// Short work shows no progress line at all.
constexpr std::chrono::milliseconds kProgressDelay{400};
}  // namespace

void clearProgressLine() {
  if (!progressLineShown) return;
  std::cerr << "\r\x1b[K" << std::flush;
  progressLineShown = false;
}

OpProgress terminalJobProgress() {
  const auto start = std::chrono::steady_clock::now();
  return [start](const OpProgressStep& step) {
    if (!progressLineShown && std::chrono::steady_clock::now() - start < kProgressDelay) return true;
    std::cerr << "\r" << cliShowable(step.text());
    if (step.percent() >= 0) std::cerr << " (" << step.percent() << "%)";
    std::cerr << "\x1b[K" << std::flush;
    progressLineShown = true;
    return true;
  };
}

void sayError(const std::string& message) {
  clearProgressLine();
  // Messages carry names from received files and printer answers.
  std::cerr << kProgramName << ": " << cliShowable(message) << std::endl;
}

std::string oneLine(const std::string& message) {
  std::string text = message;
  // The archive layer labels its messages after the library behind them
  // (zip or tar); the program name says enough.
  for (const char* label : {"ERROR (Minizip): ", "ERROR (Minizip) ", "ERROR (Tar): ", "ERROR (Tar) "})
    sdkReplaceAll(text, label, "");
  sdkReplaceAll(text, "\r\n", "\n");  // system texts on Windows
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  sdkReplaceAll(text, ".\n\n", ": ");
  sdkReplaceAll(text, "\n\n", ": ");
  sdkReplaceAll(text, "\n", ", ");
  return text;
}

bool confirm(const std::string& question) {
  if (!stdinIsTerminal() || !stderrIsTerminal()) return true;
  std::cerr << kProgramName << ": " << cliShowable(question) << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  std::transform(answer.begin(), answer.end(), answer.begin(), [](unsigned char c) { return std::tolower(c); });
  return answer == "y" || answer == "yes";
}

int reportResult(const ParsedArgs& args, const OpResult& r) {
  clearProgressLine();
  // The job went out; the history could not keep it.
  if (!r.historyWarning.empty()) sayError("warning: " + oneLine(r.historyWarning));
  using Kind = OpResult::Kind;
  switch (r.kind) {
    case Kind::Sent:
    case Kind::SendFailed:
      return reportSent(args, r);
    case Kind::Written:
      if (!stdoutJob().empty()) {
        if (copyToStdout(stdoutJob())) return kExitOk;
        sayError("cannot write the job to standard output");
        return kExitFailed;
      }
      std::cout << "Job written to " << r.jobFile << std::endl;
      return kExitOk;
    case Kind::NothingToDo:
      return kExitOk;
    case Kind::Cancelled:
      sayError(r.message.empty() ? "cancelled" : oneLine(r.message));
      return kExitFailed;
    case Kind::JobFailed: {
      std::string message = oneLine(r.message);
      // A failed job leaves at most an empty temporary file: nothing to
      // look into, so it goes. A file of the user's (--output) is theirs.
      if (!args.has("output") && !r.jobFile.empty() && sdkFileExists(r.jobFile.c_str())) {
        if (sdkFileSize(r.jobFile.c_str()) == 0) {
          sdkDeleteFile(r.jobFile.c_str());
        } else {
          message += " (job file left at " + r.jobFile + ")";
        }
      }
      sayError(message);
      return kExitFailed;
    }
    case Kind::TempFileFailed:
    case Kind::Refused:
      sayError(oneLine(r.message));
      return kExitFailed;
  }
  return kExitFailed;
}
