// Crash tests: run work in a forked child and kill it (SIGKILL, nothing
// gets to clean up) at a chosen moment. POSIX only: on Windows, which has
// no fork, a test that uses it starts with QM_REQUIRE_FORK() and is
// skipped; tests/common/child_process.h starts helper processes there.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#ifdef _WIN32

#define QM_REQUIRE_FORK() \
  GTEST_SKIP() << "kills a forked copy of the test, and Windows has no fork; the helper-process tests cover it"

namespace qmtest {
// Never reached: every caller has skipped itself first.
template <class Work, class Ready>
bool killChildWhen(Work, Ready, int = 0) {
  return false;
}
template <class Work>
bool killChildAfter(Work, int) {
  return false;
}
template <class Work>
std::optional<int> childResultWithin(Work, int = 0) {
  return std::nullopt;
}
}  // namespace qmtest

#else

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#define QM_REQUIRE_FORK() (void)0

namespace qmtest {

// Forks; the child runs work() and leaves with _exit(0). The parent checks
// ready() every millisecond and kills the child once it holds. Returns true
// when the child was killed, false when it finished first or timeoutMs
// passed (then it is killed as well).
template <class Work, class Ready>
bool killChildWhen(Work work, Ready ready, int timeoutMs = 60000) {
  pid_t pid = fork();
  if (pid == 0) {
    work();
    _exit(0);
  }
  if (pid < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) return false;
    if (ready()) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return false;
}

// Forks; the child runs work() and leaves with its result (0 to 255). The
// result, or nothing when the child has not ended within timeoutMs (it is
// killed then): for work that must not hang, such as opening a FIFO.
template <class Work>
std::optional<int> childResultWithin(Work work, int timeoutMs = 20000) {
  pid_t pid = fork();
  if (pid == 0) _exit(work() & 0xff);
  if (pid < 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return std::nullopt;
}

// Kills the child after a fixed delay, whatever it is doing.
template <class Work>
bool killChildAfter(Work work, int delayMs) {
  const auto at = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
  return killChildWhen(work, [at] { return std::chrono::steady_clock::now() >= at; }, delayMs + 60000);
}

}  // namespace qmtest

#endif
