#include "delivery/send_job.h"

#include <wx/intl.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include "delivery/app_config.h"
#include "delivery/network_spooler.h"
#include "delivery/printer_groups.h"
#include "delivery/unreachable_memo.h"

namespace {

std::string translated(const std::string& text) { return fromWx(wxGetTranslation(toWx(text))); }

SendOutcome failure(std::string message) {
  SendOutcome outcome;
  outcome.status = SendOutcome::Status::Cleared;
  outcome.message = translated(message);
  return outcome;
}

}  // namespace

bool isGroupTarget(const std::string& target) { return target.starts_with(kGroupMarker); }

std::string stripGroupMarker(const std::string& target) {
  std::string name;
  const std::string_view marker = kGroupMarker;
  std::size_t pos = 0;
  while (pos < target.size()) {
    std::size_t hit = target.find(marker, pos);
    if (hit == std::string::npos) {
      name.append(target, pos, std::string::npos);
      break;
    }
    name.append(target, pos, hit - pos);
    pos = hit + marker.size();
  }
  return name;
}

namespace {

// One printer of a send and what became of it.
struct Slot {
  std::string printer;
  bool installed = true;
  std::optional<AddressCheck> direct;  // sent straight to this address
  Submission result;
  std::optional<PrinterAnswer> answer;
};

// One slot's hand-over straight to its printer.
Submission sendStraight(Slot& slot, const DirectRoutes& routes, const std::string& filePath, const SendWatch& watch) {
  Submission s;
  if (!slot.direct->accepted()) {
    s.error = slot.direct->message;
    return s;
  }
  DirectSendResult r = SendDirect(*slot.direct->address, slot.printer, filePath, routes.options, watch);
  if (r.answerEnd != DirectSendResult::AnswerEnd::NotRead) slot.answer = std::move(r.answer);
  s.cancelled = r.status == DirectSendResult::Status::Cancelled;
  s.ok = r.ok();
  if (!s.ok && !s.cancelled) s.error = r.error;
  return s;
}

// Hands the file to every installed slot, at most `parallel` at a time
// when the spooler takes concurrent submissions. Once one is cancelled no
// further slot starts, and the watch stops the ones under way.
void submitAll(Spooler& spooler, const DirectRoutes& routes, const std::string& docName, const std::string& filePath,
               std::vector<Slot>& slots, const SendWatch& watch, int parallel) {
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> finished{0};
  std::atomic<bool> cancelled{false};
  std::size_t members = 0;
  std::vector<MemberState> states;
  for (const Slot& slot : slots) {
    members += slot.installed;
    MemberState state;
    state.printer = slot.printer;
    state.direct = slot.direct.has_value();
    if (!slot.installed) {
      state.stage = MemberStage::Failed;
      state.reason = slot.result.error;
    }
    states.push_back(std::move(state));
  }
  const auto board = std::make_shared<SendBoard>(std::move(states));
  // The watch learns how many printers there are, how many are done, and
  // where each stands.
  const SendWatch counted = [&](const SendProgress& p) {
    if (cancelled.load()) return false;
    if (!watch) return true;
    SendProgress shown = p;
    shown.members = members;
    shown.finished = finished.load();
    shown.board = board;
    return watch(shown);
  };
  auto work = [&] {
    for (;;) {
      const std::size_t i = next++;
      if (i >= slots.size()) return;
      if (!slots[i].installed) continue;
      Slot& slot = slots[i];
      if (!cancelled.load()) board->update(i, MemberStage::Sending);
      // Told before the first byte, so a printer that fails at once is seen
      // too; Cancel before it begins leaves it untouched.
      if (cancelled.load() || !counted({slot.printer, 0, 0})) {
        cancelled = true;
        slot.result.cancelled = true;
        board->update(i, MemberStage::Cancelled);
        continue;
      }
      slot.result = slot.direct ? sendStraight(slot, routes, filePath, counted)
                                : spooler.SubmitFile(docName, filePath, slot.printer, counted);
      if (slot.result.cancelled) {
        cancelled = true;
        board->update(i, MemberStage::Cancelled);
      } else if (slot.result.ok) {
        board->update(i, MemberStage::Sent, slot.result.jobId);
      } else {
        board->update(i, MemberStage::Failed, 0, slot.result.error);
      }
      ++finished;
    }
  };
  const std::size_t threads =
      spooler.concurrent() ? std::min<std::size_t>(static_cast<std::size_t>(std::max(parallel, 1)), members) : 1;
  if (threads <= 1) {
    work();
    return;
  }
  std::vector<std::thread> pool;
  for (std::size_t t = 0; t < threads; ++t) pool.emplace_back(work);
  for (std::thread& t : pool) t.join();
}

}  // namespace

SendOutcome SendJob(Spooler& spooler, const GroupReader& readGroup, const std::string& docName,
                    const std::string& filePath, const std::string& target, const SendWatch& watch, int parallel) {
  return SendJob(spooler, readGroup, DirectRoutes{}, docName, filePath, target, watch, parallel);
}

SendOutcome SendJob(Spooler& spooler, const GroupReader& readGroup, const DirectRoutes& direct,
                    const std::string& docName, const std::string& filePath, const std::string& target,
                    const SendWatch& watch, int parallel) {
  if (target == noPrintersSentinel()) return SendOutcome();

  std::vector<Slot> slots;
  if (isGroupTarget(target)) {
    const std::string group = stripGroupMarker(target);
    // A printer stored twice in the group still gets the job once.
    const std::vector<std::string> members = UniqueMembers(readGroup(group));
    if (members.empty()) return failure(kEmptyGroupMessage + group);
    // The local list is asked for only when a member needs it: a fleet of
    // other servers' queues and direct printers never waits on it.
    std::optional<std::vector<std::string>> installed;
    for (const std::string& member : members) {
      Slot slot;
      slot.printer = member;
      slot.direct = FindDirectTarget(direct, member);
      // Queues of other servers and IPP printers are not in the local
      // list; the submission itself reaches them.
      slot.installed = slot.direct || isRoutedToNetwork(member);
      if (!slot.installed) {
        if (!installed) installed = spooler.EnumeratePrinters();
        slot.installed = std::any_of(installed->begin(), installed->end(),
                                     [&](const std::string& printer) { return equalsNoCase(printer, member); });
      }
      if (!slot.installed) slot.result.error = "not an installed printer that takes raw PostScript";
      slots.push_back(std::move(slot));
    }
  } else {
    Slot slot;
    slot.printer = target;
    slot.direct = FindDirectTarget(direct, target);
    slots.push_back(std::move(slot));
  }
  // Members on a server found unreachable in this send fail at once.
  UnreachableMemo memo(spooler);
  submitAll(memo, direct, docName, filePath, slots, watch, parallel);

  std::vector<std::string> failed;
  std::vector<std::string> reasons;
  std::vector<SendOutcome::SentJob> sent;
  std::vector<std::string> cancelledPrinters;
  std::vector<SendOutcome::Answer> answers;
  for (Slot& slot : slots) {
    if (slot.answer) answers.push_back({slot.printer, std::move(*slot.answer)});
    if (slot.result.cancelled) {
      cancelledPrinters.push_back(slot.printer);
    } else if (slot.result.ok) {
      sent.push_back({slot.printer, slot.result.jobId, slot.direct.has_value()});
    } else {
      failed.push_back(slot.printer);
      reasons.push_back(slot.result.error);
    }
  }

  SendOutcome outcome;
  if (!cancelledPrinters.empty()) {
    // Nobody to blame: the operator stopped it.
    outcome.status = SendOutcome::Status::Cleared;
    outcome.cancelled = true;
    outcome.cancelledPrinters = std::move(cancelledPrinters);
    outcome.failedPrinters = std::move(failed);
    outcome.failureReasons = std::move(reasons);
  } else if (!failed.empty()) {
    std::string list;
    for (const std::string& name : failed) {
      if (!list.empty()) list += '\n';
      list += name;
    }
    outcome = failure(kSendFailedMessage + list);
    outcome.failedPrinters = std::move(failed);
    outcome.failureReasons = std::move(reasons);
  } else {
    outcome.beep = true;
    outcome.status = SendOutcome::Status::Set;
    outcome.statusText = docName + translated(kSuccessSuffix);
  }
  outcome.sent = std::move(sent);
  outcome.answers = std::move(answers);
  return outcome;
}

SendOutcome SendJob(const std::string& docName, const std::string& filePath, const std::string& target) {
  return SendJob(
      systemSpooler(), [](const std::string& group) { return ReadPrinterGroup(group); }, DirectRoutesFromConfig(""),
      docName, filePath, target, SendWatch(), kDefaultParallelSends);
}
