#include "ops/send_record.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "base/sdk_fs.h"
#include "base/sha256.h"
#include "delivery/send_history.h"
#include "ops/kept_jobs.h"

std::int64_t secondsNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

namespace {
std::atomic<bool> g_warned{false};
}  // namespace

RecordedSend recordSend(const std::string& historyFile, const std::string& title, const std::string& destination,
                        const std::string& jobFile, const SendOutcome& outcome, const SendTimes& times) {
  HistorySend send;
  for (const SendOutcome::SentJob& sent : outcome.sent) {
    HistoryMember m;
    m.member = sent.printer;
    m.jobId = sent.jobId;
    send.members.push_back(m);
  }
  for (std::size_t i = 0; i < outcome.failedPrinters.size(); ++i) {
    HistoryMember m;
    m.member = outcome.failedPrinters[i];
    m.outcome = MemberOutcome::Failed;
    m.reason = i < outcome.failureReasons.size() ? outcome.failureReasons[i] : std::string();
    send.members.push_back(m);
  }
  for (const std::string& printer : outcome.cancelledPrinters) {
    HistoryMember m;
    m.member = printer;
    m.outcome = MemberOutcome::Cancelled;
    send.members.push_back(m);
  }
  // Nothing was tried (the no-printer placeholder): nothing to remember.
  if (send.members.empty()) return {};

  send.operation = title;
  send.destination = destination;
  const std::int64_t size = sdkFileSize(jobFile.c_str());
  send.bytes = size > 0 ? static_cast<std::uint64_t>(size) : 0;
  send.sha256 = sha256OfFile(jobFile);
  send.started = times.started;
  send.ended = times.ended;

  // What some printers did not get is kept, to be sent to them again.
  const bool someMissed = std::any_of(send.members.begin(), send.members.end(),
                                      [](const HistoryMember& m) { return m.outcome != MemberOutcome::Sent; });
  if (someMissed && !send.sha256.empty()) keepJobFile(historyFile, jobFile, send.sha256);

  SendHistory history(historyFile);
  RecordedSend recorded;
  recorded.id = history.record(send);
  if (!history.warning().empty() && !g_warned.exchange(true)) recorded.warning = history.warning();
  return recorded;
}

void keepJobState(const std::string& historyFile, std::int64_t sendId, const std::string& member, JobState state) {
  if (sendId == 0 || state == JobState::Unknown) return;
  SendHistory history(historyFile);
  history.updateJobState(sendId, member, jobStateName(state));
}
