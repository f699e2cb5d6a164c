// Progress of a long operation, and the caller's way to stop it.
//
// An operation that can take long (opening a container for the resource
// list, writing a load job or a printable container of a big project,
// loading many legacy files or fonts) reports what it is doing through
// OpContext::progress when the caller set it. The callback runs on the
// caller's thread, from inside the operation function, never from another
// thread; it must not start another operation and must not throw. It is
// called when a phase begins and then, while files are unpacked, placed or
// streamed, at most about every kOpProgressInterval: a page can update a
// progress dialog and pump its events from it. Returning false cancels: the
// operation stops at its next piece, sends nothing, deletes its temporary
// job or list file, its partial output and any files it unpacked, and
// returns OpResult::Kind::Cancelled with no message. Then the finished job
// is handed to the spooler (Phase::Sending) on a thread of its own while
// the caller's thread reports, about every kOpProgressInterval, the bytes
// each printer has taken; returning false there cancels the spooler's job
// under way (nothing of it reaches that printer) and sends to no further
// group member, and the result is Cancelled with the printers that had
// the job already in its outcome.
//
// Without a callback the operations do exactly what they did before.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "delivery/send_board.h"
#include "krmsdk/krm_progress.h"

struct OpProgressStep {
  enum class Phase {
    Opening,  // the project's container is being unpacked
    Listing,  // the project's resources are being listed
    Writing,  // the job is being written
    Sending,  // the finished job is about to go to the spooler
  };
  Phase phase = Phase::Opening;
  // The file being unpacked or written (a resource or entry name, or a
  // local file's name); empty when the phase is between files.
  std::string item;
  // Its number from 1 and the number of files or resources the phase
  // walks; files 0 when unknown.
  long file = 0;
  long files = 0;
  // Share of the phase done, 0 to 1; negative when unknown (a pulsing bar).
  double fraction = -1;
  // While sending: bytes the printer named by item has taken of the job.
  std::uint64_t bytes = 0;
  std::uint64_t totalBytes = 0;
  // While sending to a printer group: every member and where it stands,
  // in the group's order (empty for a single printer).
  std::vector<MemberState> members;

  // 0 to 100, or -1 when unknown.
  int percent() const;
  // One translated line for a progress dialog, such as
  // "Writing the job: logo.tif" or
  // "Sending the job: Tessel_1 (12.5 MB of 600.0 MB)".
  std::string text() const;
};

// true: go on; false: cancel.
using OpProgress = std::function<bool(const OpProgressStep& step)>;

// Least time between two reports of one phase.
inline constexpr std::chrono::milliseconds kOpProgressInterval{50};

// The job library's progress hook that feeds progress, throttled to
// kOpProgressInterval (the first report of a phase always goes through);
// an empty hook when progress is empty. A listing job reports its writing
// as Phase::Listing.
KrmProgressHook opJobProgressHook(const OpProgress& progress, bool listing = false);

// The step that a job library report amounts to.
OpProgressStep opProgressStep(const KrmProgress& report, bool listing = false);
