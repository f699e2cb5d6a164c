#include "delivery/spooler_jobs.h"

const char* jobStateName(JobState state) {
  switch (state) {
    case JobState::Pending:
      return "pending";
    case JobState::Held:
      return "held";
    case JobState::Processing:
      return "processing";
    case JobState::Stopped:
      return "stopped";
    case JobState::Cancelled:
      return "cancelled";
    case JobState::Aborted:
      return "aborted";
    case JobState::Completed:
      return "completed";
    case JobState::Unknown:
      break;
  }
  return "unknown";
}

bool isFinalJobState(JobState state) { return state != JobState::Pending && state != JobState::Processing; }
