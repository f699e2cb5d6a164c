// Following sent jobs in the background: every change reported once, final
// states end the following, and destroying the follower does not wait for
// jobs that never end.
#include "ops/job_follower.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(JobFollowerTest, ReportsEachChangeUntilEveryJobIsFinal) {
  // Tessel_1 prints, then completes; Tessel_2 is aborted at once; a job
  // without a number cannot be followed.
  std::atomic<int> asked{0};
  JobQuery query = [&](const std::string& printer, int) {
    ++asked;
    JobStatus s;
    if (printer == "Tessel_2") {
      s.state = JobState::Aborted;
      s.reason = "PostScript error: undefined in RUN";
    } else {
      s.state = asked < 4 ? JobState::Processing : JobState::Completed;
    }
    return s;
  };
  std::mutex mutex;
  std::vector<std::string> seen;
  JobFollower follower(
      {{"Tessel_1", 7}, {"Tessel_2", 8}, {"Win", 0}},
      [&](const FollowedJob& job) {
        std::lock_guard<std::mutex> lock(mutex);
        seen.push_back(job.printer + " " + followedJobText(job));
      },
      1ms, query);
  for (int i = 0; i < 2000 && !follower.finished(); ++i) std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(follower.finished());
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"Tessel_1 processing", "Tessel_2 aborted: PostScript error: undefined in RUN",
                                      "Win cannot be followed", "Tessel_1 completed"}));
}

TEST(JobFollowerTest, StopsWithoutWaitingForAJobThatNeverEnds) {
  JobQuery pending = [](const std::string&, int) { return JobStatus{JobState::Pending, ""}; };
  const auto start = std::chrono::steady_clock::now();
  {
    JobFollower follower(
        {{"Tessel_1", 1}}, [](const FollowedJob&) {}, 10s, pending);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(follower.finished());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "closing the window stops following at once";
}

}  // namespace
