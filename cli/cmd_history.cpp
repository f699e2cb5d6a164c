// history: what was sent where, from the send history (send_history.h);
// history refresh asks the spooler what became of jobs not yet finished.
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "delivery/send_history.h"
#include "delivery/send_job.h"
#include "delivery/spooler_jobs.h"
#include "ops/history_refresh.h"
#include "ops/op_resend.h"

namespace {

bool checkHistoryLine(const ParsedArgs& a) {
  const auto& pos = a.positionals();
  if (!pos.empty() && pos[0] != "refresh") {
    usageError("history", "'" + pos[0] + "' is not refresh");
    return false;
  }
  if (a.has("since") && !historyTimeFromText(a.value("since"))) {
    usageError("history", "--since takes a date as 2026-12-09 or 2026-12-09T10:30 (UTC)");
    return false;
  }
  if (a.has("outcome") && !memberOutcomeFromName(a.value("outcome"))) {
    usageError("history", "--outcome is one of sent, failed, cancelled");
    return false;
  }
  return true;
}

HistoryFilter filterOf(const ParsedArgs& a) {
  HistoryFilter f;
  f.printer = a.value("printer");
  f.group = stripGroupMarker(a.value("group"));
  if (a.has("since")) f.since = *historyTimeFromText(a.value("since"));
  if (a.has("outcome")) f.outcome = memberOutcomeFromName(a.value("outcome"));
  f.operation = a.value("operation");
  return f;
}

void printJson(const std::vector<HistorySend>& sends) {
  JsonWriter json;
  json.beginObject().key("sends").beginArray();
  for (const HistorySend& s : sends) {
    json.beginObject().key("id").value(s.id).key("operation").value(s.operation);
    json.key("destination").value(s.destination).key("bytes").value(static_cast<std::int64_t>(s.bytes));
    json.key("sha256").value(s.sha256).key("started").value(historyTimeText(s.started));
    json.key("ended").value(historyTimeText(s.ended)).key("members").beginArray();
    for (const HistoryMember& m : s.members) {
      json.beginObject().key("member").value(m.member).key("server").value(m.server);
      json.key("job").value(static_cast<std::int64_t>(m.jobId)).key("outcome").value(memberOutcomeName(m.outcome));
      json.key("reason").value(m.reason).key("state").value(m.jobState).endObject();
    }
    json.endArray().endObject();
  }
  std::cout << json.endArray().endObject().str();
}

void printTable(const std::vector<HistorySend>& sends) {
  for (const HistorySend& s : sends) {
    std::cout << cliShowable(std::to_string(s.id) + "  " + historyTimeText(s.started) + "  " + s.operation + "  -> " +
                             stripGroupMarker(s.destination) + (isGroupTarget(s.destination) ? " (group)" : ""))
              << "\n";
    for (const HistoryMember& m : s.members) {
      std::string line = "    " + m.member + (m.server.empty() ? "" : "@" + m.server) + "  " +
                         memberOutcomeName(m.outcome);
      if (m.jobId > 0) line += "  job " + std::to_string(m.jobId);
      if (!m.jobState.empty()) line += "  " + m.jobState;
      if (!m.reason.empty()) line += "  (" + m.reason + ")";
      std::cout << cliShowable(line) << "\n";
    }
  }
}

int refresh(SendHistory& history) {
  const int asked = refreshHistoryStates(history);
  if (!history.warning().empty()) {
    sayError(oneLine(history.warning()));
    return kExitFailed;
  }
  std::cout << asked << (asked == 1 ? " job" : " jobs") << " brought up to date\n";
  return kExitOk;
}

int runHistory(const ParsedArgs& a, OpContext&) {
  SendHistory history;
  if (!history.usable()) {
    sayError(oneLine(history.warning()));
    return kExitFailed;
  }
  // A damaged file was set aside: the operator should know.
  if (!history.warning().empty()) sayError("warning: " + oneLine(history.warning()));
  if (!a.positionals().empty()) return refresh(history);
  const std::vector<HistorySend> sends = history.query(filterOf(a));
  if (a.has("json")) printJson(sends);
  else printTable(sends);
  return kExitOk;
}

}  // namespace

std::vector<Command> historyCommands() {
  return {{.name = "history",
           .summary = "show what was sent to which printer",
           .usage = "[refresh]",
           .description = "Every send of a job is kept in the send history of the user (history.sqlite in the "
                          "user's data folder, or in $QUAYMASTER_DATA_DIR): the operation, the destination, each "
                          "printer with its job number and outcome, the job file's size and SHA-256, and when. "
                          "Without operands it lists the sends, newest first, filtered by the options; "
                          "'history refresh' asks the spooler for the state of the jobs that had not finished.",
           .options = {{"printer", 0, "NAME", "sends that went to the printer NAME (alone or in a group)", {},
                        ValueHint::Printer},
                       {"group", 0, "NAME", "sends to the printer group NAME"},
                       {"since", 0, "DATE", "sends started at or after DATE (2026-12-09 or 2026-12-09T10:30, UTC)"},
                       {"operation", 0, "TEXT", "sends whose operation holds TEXT"},
                       {"outcome", 0, "WORD", "sends with a printer whose outcome is WORD", {"sent", "failed", "cancelled"}},
                       {"json", 0, "", "print JSON: sends (id, operation, destination, bytes, sha256, started, "
                                       "ended, members)"}},
           .operandWords = {"refresh"},
           .maxOperands = 1,
           .validate = checkHistoryLine,
           .run = runHistory}};
}

namespace {

bool checkResendLine(const ParsedArgs& a) {
  if (!a.has("failed")) {
    usageError("resend", "say --failed: only the printers that did not get a job are sent to again");
    return false;
  }
  const auto& pos = a.positionals();
  if (!pos.empty() && (pos[0].empty() || pos[0].size() > 18 || pos[0].find_first_not_of("0123456789") != std::string::npos)) {
    usageError("resend", "'" + pos[0] + "' is not the number of a send ('" + std::string(kProgramName) + " history' lists them)");
    return false;
  }
  return true;
}

int runResend(const ParsedArgs& a, OpContext& ctx) {
  ResendChoice choice;
  if (!a.positionals().empty()) choice.sendId = std::stoll(a.positionals()[0]);
  std::string destination;
  const OpResult r = resendToFailed(ctx, choice, &destination);
  setChosenDestination(destination);
  return reportResult(a, r);
}

}  // namespace

std::vector<Command> resendCommands() {
  return {{.name = "resend",
           .summary = "send a job again to the printers that did not get it",
           .usage = "--failed [ID]",
           .description = "Sends the job of send ID ('history' lists them) again, to those printers only: the ones "
                          "that failed or were cancelled. Without an ID it takes the latest send with printers "
                          "that are still without its job, and leaves out those that have had the same job "
                          "file in a later send. The job file is the one kept when the send missed "
                          "them, byte for byte; a kept file that has changed is not sent.",
           .options = {{"failed", 0, "", "send to the printers that did not get the job"},
                       {"wait", 'w', "", "follow each sent job until it is completed, stopped, cancelled or aborted"}},
           .config = ConfigUse::Optional,
           .maxOperands = 1,
           .validate = checkResendLine,
           .run = runResend}};
}
