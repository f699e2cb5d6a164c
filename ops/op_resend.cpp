#include "ops/op_resend.h"

#include <optional>

#include "base/sdk_fs.h"
#include "base/sha256.h"
#include "delivery/send_history.h"
#include "ops/kept_jobs.h"
#include "ops/translate.h"

namespace {

OpResult refused(const std::string& message) {
  OpResult r;
  r.kind = OpResult::Kind::Refused;
  r.message = message;
  return r;
}

bool missedSome(const HistorySend& send) {
  for (const HistoryMember& m : send.members)
    if (m.outcome != MemberOutcome::Sent) return true;
  return false;
}

}  // namespace

OpResult resendToFailed(const OpContext& ctx, const ResendChoice& choice) {
  std::optional<HistorySend> send;
  {
    SendHistory history(ctx.historyFile);
    if (!history.usable()) return refused(history.warning());
    HistoryFilter filter;
    filter.id = choice.sendId;
    for (HistorySend& s : history.query(filter)) {
      if (missedSome(s)) {
        send = std::move(s);
        break;
      }
    }
  }
  if (!send) {
    return refused(choice.sendId == 0
                       ? tr("No send in the history has printers that did not get the job.")
                       : tr("Every printer of send ") + std::to_string(choice.sendId) + tr(" got the job, or there is no such send."));
  }
  std::vector<std::string> printers;
  for (const HistoryMember& m : send->members)
    if (m.outcome != MemberOutcome::Sent) printers.push_back(m.member);

  const std::string kept = keptJobPath(ctx.historyFile, send->sha256);
  if (kept.empty() || !sdkFileExists(kept.c_str()))
    return refused(tr("The job of send ") + std::to_string(send->id) + tr(" was not kept; it cannot be sent again."));
  // A changed file is not the job those printers missed.
  if (sha256OfFile(kept) != send->sha256)
    return refused(tr("The kept job of send ") + std::to_string(send->id) + tr(" has changed; it is not sent."));

  OpContext again = ctx;
  if (isGroupTarget(send->destination)) {
    again.destination = send->destination;
    again.groupMembers = [printers](const std::string&) { return printers; };
  } else {
    again.destination = printers.front();
  }
  OpResult r = deliverFile(again, send->operation, kept);
  r.jobFile.clear();
  return r;
}
