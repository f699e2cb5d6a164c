// Delivering one job file to a destination: a printer, every member of a
// printer group, or nothing when the destination is the no-printer
// placeholder.
//
// SendJob decides and delivers but shows nothing: it returns what the user
// is to be told (status line, error message, beep), and the desktop or the
// command line presents it. It never deletes the job file. Group members are
// looked up in a fresh printer list without regard to case and opened by
// the name as stored, each once; members that are not installed, or whose
// copy fails, are named in the failure message while the others still get
// the job; once a member's server cannot be reached, the later members on
// that server fail at once with the same reason (unreachable_memo.h). A
// destination or member that is a socket:// address or the name
// of a direct printer (direct_send.h) is sent to straight, not through the
// spooler; what it answers is kept in the outcome, and an error it answers
// makes it a failed printer with the printer's words as the reason.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "delivery/direct_send.h"
#include "delivery/spooler.h"

// Marks a printer-group destination: three backslashes before the name.
inline constexpr char kGroupMarker[] = "\\\\\\";
inline constexpr char kSuccessSuffix[] = " completed successfully";
inline constexpr char kEmptyGroupMessage[] = "The printer group contains no printer.\n\n";
inline constexpr char kSendFailedMessage[] = "Quaymaster cannot send the job to the printer(s).\n\n";

struct SendOutcome {
  enum class Status {
    Unchanged,  // leave the status line alone
    Cleared,    // clear it
    Set,        // show statusText
  };
  Status status = Status::Unchanged;
  std::string statusText;
  // Text of the error message box (caption "Quaymaster", error icon, OK);
  // empty when there is none.
  std::string message;
  bool beep = false;
  // Printers that did not get the job, in the order they were tried, and
  // why (the spooler's words, or empty), index for index.
  std::vector<std::string> failedPrinters;
  std::vector<std::string> failureReasons;
  // Printers that got the job, in the order they were tried, with the
  // spooler's job number (0 when it gave none).
  struct SentJob {
    std::string printer;
    int jobId = 0;
    bool direct = false;  // sent straight to the printer, not queued
  };
  std::vector<SentJob> sent;
  // What each direct printer answered (sent or failed), in the order they
  // were tried; untrusted text, shown only through ShowableAnswer.
  struct Answer {
    std::string printer;
    PrinterAnswer answer;
  };
  std::vector<Answer> answers;
  // The watch stopped the delivery: the printer being sent to got nothing,
  // later members were not tried; `sent` says who had the job already.
  bool cancelled = false;
  std::vector<std::string> cancelledPrinters;  // those whose hand-over was stopped, or not begun

  // True when every printer got the job (or there was nothing to do).
  bool succeeded() const { return message.empty(); }
};

// Members of a printer group, in stored order.
using GroupReader = std::function<std::vector<std::string>(const std::string& groupName)>;

// The decisions of SendJob over any spooler and group source. A group's
// members are sent at most `parallel` at a time (when the spooler takes
// concurrent submissions), all reading the one job file; the outcome keeps
// the members' order. The watch sees every printer's hand-over, from the
// sending threads (spooler.h); once it answers false nothing more is sent
// and the outcome says cancelled, with no message.
inline constexpr int kDefaultParallelSends = 8;
SendOutcome SendJob(Spooler& spooler, const GroupReader& readGroup, const std::string& docName,
                    const std::string& filePath, const std::string& target, const SendWatch& watch = {},
                    int parallel = 1);
// The same, with direct printers.
SendOutcome SendJob(Spooler& spooler, const GroupReader& readGroup, const DirectRoutes& direct,
                    const std::string& docName, const std::string& filePath, const std::string& target,
                    const SendWatch& watch, int parallel = 1);

// SendJob on the system spooler with groups from the configuration file.
SendOutcome SendJob(const std::string& docName, const std::string& filePath, const std::string& target);

// True when the destination text names a printer group.
bool isGroupTarget(const std::string& target);
// The destination without any group marker.
std::string stripGroupMarker(const std::string& target);
