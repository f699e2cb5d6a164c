#include "ops/history_refresh.h"

#include "delivery/spooler_jobs.h"

int refreshHistoryStates(SendHistory& history) {
  int updated = 0;
  for (const auto& [sendId, member] : history.unfinished()) {
    // Jobs of the local spooler only: other servers keep their own.
    if (!member.server.empty()) continue;
    const JobStatus status = QueryJob(member.member, member.jobId);
    if (status.state == JobState::Unknown) continue;
    if (!history.updateJobState(sendId, member.member, jobStateName(status.state))) break;
    ++updated;
  }
  return updated;
}
