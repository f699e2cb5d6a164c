// Keeping each send in the send history (delivery/send_history.h): one
// record per delivered job file, one member row per printer tried.
//
// The history never holds up a send: it is written after the hand-over,
// and when it cannot be kept the result carries one warning, given once
// per run of the program (later sends stay silent about the same fault).
#pragma once

#include <cstdint>
#include <string>

#include "delivery/send_job.h"
#include "delivery/spooler_jobs.h"

struct SendTimes {
  std::int64_t started = 0;
  std::int64_t ended = 0;
};

// Seconds since 1970, now.
std::int64_t secondsNow();

struct RecordedSend {
  std::int64_t id = 0;  // the send's id in the history; 0 when it was not kept
  std::string warning;  // "" or the warning to show (see above)
};

// Records the send of jobFile under title to destination. historyFile ""
// is the user's history.
RecordedSend recordSend(const std::string& historyFile, const std::string& title, const std::string& destination,
                        const std::string& jobFile, const SendOutcome& outcome, const SendTimes& times);

// Keeps the final state a follower learnt for member's job of send sendId
// (nothing for a send that was not kept, or a state the spooler could not
// tell). A history that fails here stays silent: the send was reported.
void keepJobState(const std::string& historyFile, std::int64_t sendId, const std::string& member, JobState state);
