#include "ops/op_resend.h"

#include <optional>

#include "base/sdk_fs.h"
#include "base/sha256.h"
#include "delivery/send_history.h"
#include "delivery/spooler.h"
#include "ops/kept_jobs.h"
#include "ops/translate.h"

namespace {

OpResult refused(const std::string& message) {
  OpResult r;
  r.kind = OpResult::Kind::Refused;
  r.message = message;
  return r;
}

bool missed(const HistoryMember& m) { return m.outcome != MemberOutcome::Sent; }

bool missedSome(const HistorySend& send) {
  for (const HistoryMember& m : send.members)
    if (missed(m)) return true;
  return false;
}

// Printers that got one job file (by digest) in the sends seen so far.
struct Delivered {
  std::string sha256;
  std::vector<std::string> printers;
};

bool gotJob(const std::vector<Delivered>& delivered, const std::string& sha256, const std::string& printer) {
  for (const Delivered& d : delivered) {
    if (d.sha256 != sha256) continue;
    for (const std::string& p : d.printers)
      if (equalsNoCase(p, printer)) return true;
  }
  return false;
}

// The default choice: the newest send with a printer that has not had its
// job (same digest) in any later send, and those of its printers only.
// Without this a send that Send Again has already made good would be picked
// again, and the same job would reach its printers twice.
std::optional<HistorySend> latestStillMissed(std::vector<HistorySend>& sends, std::vector<std::string>& printers) {
  std::vector<Delivered> delivered;  // by the sends newer than the one looked at
  for (HistorySend& s : sends) {     // newest first
    printers.clear();
    for (const HistoryMember& m : s.members)
      if (missed(m) && !gotJob(delivered, s.sha256, m.member)) printers.push_back(m.member);
    if (!printers.empty()) return std::move(s);
    Delivered d{s.sha256, {}};
    for (const HistoryMember& m : s.members)
      if (!missed(m)) d.printers.push_back(m.member);
    delivered.push_back(std::move(d));
  }
  return std::nullopt;
}

}  // namespace

OpResult resendToFailed(const OpContext& ctx, const ResendChoice& choice, std::string* destination) {
  std::optional<HistorySend> send;
  std::vector<std::string> printers;
  {
    SendHistory history(ctx.historyFile);
    if (!history.usable()) return refused(history.warning());
    HistoryFilter filter;
    filter.id = choice.sendId;
    std::vector<HistorySend> sends = history.query(filter);
    // A send named by its id goes again as asked, even when its printers
    // have had the job since.
    if (choice.sendId != 0) {
      if (!sends.empty() && missedSome(sends.front())) {
        send = std::move(sends.front());
        for (const HistoryMember& m : send->members)
          if (missed(m)) printers.push_back(m.member);
      }
    } else {
      send = latestStillMissed(sends, printers);
    }
  }
  if (!send) {
    return refused(choice.sendId == 0
                       ? tr("No send in the history has printers that are still without its job.")
                       : tr("Every printer of send ") + std::to_string(choice.sendId) + tr(" got the job, or there is no such send."));
  }

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
  if (destination) *destination = again.destination;
  OpResult r = deliverFile(again, send->operation, kept);
  r.jobFile.clear();
  return r;
}
