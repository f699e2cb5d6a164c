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

struct SendTimes {
  std::int64_t started = 0;
  std::int64_t ended = 0;
};

// Seconds since 1970, now.
std::int64_t secondsNow();

// Records the send of jobFile under title to destination; "" or the
// warning to show (see above). historyFile "" is the user's history.
std::string recordSend(const std::string& historyFile, const std::string& title, const std::string& destination,
                       const std::string& jobFile, const SendOutcome& outcome, const SendTimes& times);
