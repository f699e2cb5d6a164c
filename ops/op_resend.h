// Send Again: a kept job file (kept_jobs.h) goes once more to the printers
// of one send in the history that did not get it (failed or cancelled),
// and to no other. The file must still have the digest the history holds.
// The new send is recorded like any other.
#pragma once

#include <cstdint>

#include "ops/operation.h"

struct ResendChoice {
  std::int64_t sendId = 0;  // 0: the latest send with a printer that did not get the job
};

OpResult resendToFailed(const OpContext& ctx, const ResendChoice& choice);
