#include "delivery/send_job.h"

#include <wx/intl.h>

#include "delivery/app_config.h"
#include "delivery/network_spooler.h"
#include "delivery/printer_groups.h"

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

SendOutcome SendJob(Spooler& spooler, const GroupReader& readGroup, const std::string& docName,
                    const std::string& filePath, const std::string& target, const SendWatch& watch) {
  if (target == noPrintersSentinel()) return SendOutcome();

  std::vector<std::string> failed;
  std::vector<std::string> reasons;
  std::vector<SendOutcome::SentJob> sent;
  bool cancelled = false;
  std::string cancelledPrinter;
  auto submit = [&](const std::string& printer) {
    if (cancelled) return;
    Submission s = spooler.SubmitFile(docName, filePath, printer, watch);
    if (s.cancelled) {
      cancelled = true;
      cancelledPrinter = printer;
    } else if (s.ok) {
      sent.push_back({printer, s.jobId});
    } else {
      failed.push_back(printer);
      reasons.push_back(s.error);
    }
  };
  if (isGroupTarget(target)) {
    const std::string group = stripGroupMarker(target);
    // A printer stored twice in the group still gets the job once.
    const std::vector<std::string> members = UniqueMembers(readGroup(group));
    if (members.empty()) return failure(kEmptyGroupMessage + group);
    const std::vector<std::string> installed = spooler.EnumeratePrinters();
    for (const std::string& member : members) {
      bool found = false;
      for (const std::string& printer : installed) {
        if (equalsNoCase(printer, member)) {
          found = true;
          break;
        }
      }
      // Queues of other servers and IPP printers are not in the local
      // list; the submission itself reaches them.
      if (found || isRoutedToNetwork(member)) {
        submit(member);
      } else {
        failed.push_back(member);
        reasons.push_back("not an installed printer that takes raw PostScript");
      }
    }
  } else {
    submit(target);
  }

  SendOutcome outcome;
  if (cancelled) {
    // Nobody to blame: the operator stopped it.
    outcome.status = SendOutcome::Status::Cleared;
    outcome.cancelled = true;
    outcome.cancelledPrinter = cancelledPrinter;
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
  return outcome;
}

SendOutcome SendJob(const std::string& docName, const std::string& filePath, const std::string& target) {
  return SendJob(
      systemSpooler(), [](const std::string& group) { return ReadPrinterGroup(group); }, docName, filePath, target);
}
