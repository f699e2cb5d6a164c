#include "ops/job_follower.h"

#include "ops/translate.h"

JobFollower::JobFollower(std::vector<SendOutcome::SentJob> jobs, Callback onChange,
                         std::chrono::milliseconds pollInterval, JobQuery query)
    : onChange_(std::move(onChange)), interval_(pollInterval), query_(std::move(query)) {
  if (!query_) query_ = [](const std::string& printer, int jobId) { return QueryJob(printer, jobId); };
  for (const SendOutcome::SentJob& sent : jobs) {
    FollowedJob job;
    job.printer = sent.printer;
    job.jobId = sent.jobId;
    job.status.state = JobState::Pending;
    jobs_.push_back(job);
  }
  thread_ = std::thread([this] { run(); });
}

JobFollower::~JobFollower() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

bool JobFollower::finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

void JobFollower::run() {
  for (;;) {
    bool open = false;
    for (FollowedJob& job : jobs_) {
      if (job.final) continue;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
      }
      // No number: the spooler gives nothing to follow (say so once).
      JobStatus status = job.jobId > 0 ? query_(job.printer, job.jobId) : JobStatus{};
      const bool final = status.state == JobState::Unknown || isFinalJobState(status.state);
      const bool changed = status.state != job.status.state || status.reason != job.status.reason || final;
      job.status = status;
      job.final = final;
      if (changed) onChange_(job);
      open = open || !final;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (!open) {
      finished_ = true;
      return;
    }
    if (wake_.wait_for(lock, interval_, [this] { return stopping_; })) return;
  }
}

std::string followedJobText(const FollowedJob& job) {
  if (job.status.state == JobState::Unknown) return tr("cannot be followed");
  std::string text = tr(jobStateName(job.status.state));
  if (!job.status.reason.empty()) text += ": " + job.status.reason;
  return text;
}
