#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>

#include "tools/printer_sim/process_runner.h"

extern char** environ;

namespace {

// The calling environment with the extra variables applied.
std::vector<std::string> mergedEnvironment(const std::vector<std::pair<std::string, std::string>>& extra) {
  std::map<std::string, std::string> merged;
  for (char** entry = environ; entry && *entry; ++entry) {
    const char* eq = std::strchr(*entry, '=');
    if (eq == nullptr) continue;
    merged[std::string(*entry, static_cast<std::size_t>(eq - *entry))] = eq + 1;
  }
  for (const auto& [name, value] : extra) merged[name] = value;
  std::vector<std::string> out;
  for (const auto& [name, value] : merged) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& t : texts) out.push_back(t.data());
  out.push_back(nullptr);
  return out;
}

void killAndReap(pid_t pid, int& status) {
  kill(pid, SIGKILL);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

ProcessOutcome runProcess(const ProcessRequest& request) {
  ProcessOutcome outcome;
  if (request.arguments.empty()) {
    outcome.error = "no program given";
    return outcome;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const char* out = request.stdoutPath.empty() ? "/dev/null" : request.stdoutPath.c_str();
  const char* err = request.stderrPath.empty() ? "/dev/null" : request.stderrPath.c_str();
  posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err, O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<char*> argv;
  for (const std::string& a : request.arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> envText = mergedEnvironment(request.environment);
  std::vector<char*> envp;
  for (std::string& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = 0;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    outcome.error = std::string("cannot run ") + request.arguments[0] + ": " + std::strerror(spawned);
    return outcome;
  }
  outcome.started = true;

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(request.timeoutSeconds);
  int status = 0;
  for (;;) {
    pid_t done = waitpid(pid, &status, request.timeoutSeconds > 0 ? WNOHANG : 0);
    if (done == pid) break;
    if (done < 0) {
      if (errno == EINTR) continue;
      outcome.error = std::string("waiting for ") + request.arguments[0] + ": " + std::strerror(errno);
      return outcome;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      outcome.timedOut = true;
      return outcome;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  return outcome;
}

ProcessOutcome runProcessStreaming(const ProcessRequest& request, const OutputSink& sink) {
  ProcessOutcome outcome;
  if (request.arguments.empty()) {
    outcome.error = "no program given";
    return outcome;
  }
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    outcome.error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return outcome;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);

  std::vector<std::string> argText = request.arguments;
  std::vector<char*> argv = pointers(argText);
  std::vector<std::string> envText = mergedEnvironment(request.environment);
  std::vector<char*> envp = pointers(envText);

  pid_t pid = 0;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (spawned != 0) {
    close(pipeFds[0]);
    outcome.error = std::string("cannot run ") + request.arguments[0] + ": " + std::strerror(spawned);
    return outcome;
  }
  outcome.started = true;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(request.timeoutSeconds);
  char buffer[16384];
  int status = 0;
  bool killed = false;
  for (;;) {
    if ((request.stop != nullptr && *request.stop) ||
        (request.timeoutSeconds > 0 && std::chrono::steady_clock::now() >= deadline)) {
      killAndReap(pid, status);
      killed = true;
      break;
    }
    pollfd readable{pipeFds[0], POLLIN, 0};
    int ready = poll(&readable, 1, 100);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // every writer is gone: the program has ended
    sink(std::string_view(buffer, static_cast<std::size_t>(got)));
  }
  close(pipeFds[0]);
  if (killed) {
    outcome.timedOut = true;
    return outcome;
  }
  // The pipe closes when the program ends, or when it closes its outputs;
  // either way the wait keeps to the time limit.
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      outcome.error = std::string("waiting for ") + request.arguments[0] + ": " + std::strerror(errno);
      return outcome;
    }
    if ((request.stop != nullptr && *request.stop) ||
        (request.timeoutSeconds > 0 && std::chrono::steady_clock::now() >= deadline)) {
      killAndReap(pid, status);
      outcome.timedOut = true;
      return outcome;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  return outcome;
}
