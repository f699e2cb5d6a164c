// Send Again: a kept job file (kept_jobs.h) goes once more to the printers
// of one send in the history that did not get it (failed or cancelled),
// and to no other. The file must still have the digest the history holds.
// The new send is recorded like any other.
#pragma once

#include <cstdint>

#include "ops/operation.h"

// Which send goes again. 0 picks the latest send with a printer that did
// not get the job and has not had the same file (same digest) in a later
// send either, and sends to those printers only; a send given by its id
// goes to all the printers it missed, whatever came after.
struct ResendChoice {
  std::int64_t sendId = 0;
};

// destination, when given, receives where the job went again: the send's
// group (with its marker) or its one printer; empty when nothing went.
OpResult resendToFailed(const OpContext& ctx, const ResendChoice& choice, std::string* destination = nullptr);
