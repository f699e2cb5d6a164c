// Following sent jobs to their end, the way the command line's --wait does,
// without holding up the caller: the desktop sends, shows "spooled", and
// learns later whether each printer completed the job or the spooler
// stopped, cancelled or aborted it.
//
// A JobFollower asks the spooler about its jobs on a thread of its own,
// every pollInterval, until each is in a final state (or the spooler cannot
// say: no job number to follow). Each change of a job's state is handed to
// the callback on that thread; the caller moves it to its own thread (the
// desktop posts it to the window). Destroying the follower stops it: the
// thread ends at its next wake-up, and no callback runs after the
// destructor returns.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "delivery/send_job.h"
#include "delivery/spooler_jobs.h"

struct FollowedJob {
  std::string printer;
  int jobId = 0;
  JobStatus status;  // Unknown when the spooler cannot follow this job
  bool final = false;
};

// How one job is asked about; the spooler's QueryJob unless a test says.
using JobQuery = std::function<JobStatus(const std::string& printer, int jobId)>;

class JobFollower {
 public:
  using Callback = std::function<void(const FollowedJob& job)>;

  JobFollower(std::vector<SendOutcome::SentJob> jobs, Callback onChange,
              std::chrono::milliseconds pollInterval = std::chrono::milliseconds(500), JobQuery query = {});
  ~JobFollower();
  JobFollower(const JobFollower&) = delete;
  JobFollower& operator=(const JobFollower&) = delete;

  // True once every job is final (the thread has nothing left to ask).
  bool finished() const;

 private:
  void run();

  std::vector<FollowedJob> jobs_;
  Callback onChange_;
  std::chrono::milliseconds interval_;
  JobQuery query_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool finished_ = false;
  std::thread thread_;
};

// The words shown for a followed job: "completed", "aborted: PostScript
// error: undefined in RUN", "cannot be followed" ...
std::string followedJobText(const FollowedJob& job);
