#include "tools/cups/private_cups.h"

#include <cups/cups.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

int runProgram(const std::vector<std::string>& args, std::string& output) {
  output.clear();
  if (args.empty()) return -1;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (spawned != 0) {
    close(pipeFds[0]);
    return -1;
  }
  char buffer[4096];
  for (;;) {
    ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    output.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int freeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  return port;
}

std::unique_ptr<PrivateCups> PrivateCups::start(const std::string& script, const std::string& simulator,
                                                std::string& error, bool listenOnTcp) {
  char folderTemplate[] = "/tmp/qmcups.XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) {
    error = "cannot create a folder under /tmp";
    return nullptr;
  }
  std::vector<std::string> args{"bash", script, "start", folderTemplate};
  if (!simulator.empty()) {
    args.push_back("--sim");
    args.push_back(simulator);
  }
  const int port = listenOnTcp ? freeLoopbackPort() : 0;
  if (listenOnTcp && port == 0) {
    error = "no free TCP port on 127.0.0.1";
    return nullptr;
  }
  if (port != 0) {
    args.push_back("--port");
    args.push_back(std::to_string(port));
  }
  std::string output;
  if (runProgram(args, output) != 0) {
    error = "the private scheduler did not start: " + output;
    std::string ignored;
    runProgram({"bash", script, "destroy", folderTemplate}, ignored);
    std::error_code ec;
    fs::remove_all(folderTemplate, ec);
    return nullptr;
  }
  std::unique_ptr<PrivateCups> cups(new PrivateCups(script, folderTemplate));
  cups->tcpPort_ = port;
  return cups;
}

PrivateCups::~PrivateCups() {
  std::string ignored;
  runProgram({"bash", script_, "destroy", folder_}, ignored);
}

bool PrivateCups::run(const std::vector<std::string>& args, std::string* output) {
  std::vector<std::string> all{"bash", script_};
  all.insert(all.end(), args.begin(), args.end());
  std::string text;
  const bool ran = runProgram(all, text) == 0;
  if (!ran) error_ = text;
  if (output != nullptr) *output = text;
  return ran;
}

bool PrivateCups::addCapture(const std::string& name, std::string& jobsFolder) {
  jobsFolder = folder_ + "/printers/" + name + "/jobs";
  return run({"add-capture", folder_, name, jobsFolder});
}

bool PrivateCups::addSimulated(const std::string& name, std::string& diskFolder, std::string& pagesFolder,
                               const std::string& format) {
  diskFolder = folder_ + "/printers/" + name + "/disk";
  pagesFolder = folder_ + "/printers/" + name + "/pages";
  return run({"add-sim", folder_, name, diskFolder, pagesFolder, format});
}

bool PrivateCups::addDriver(const std::string& name, const std::string& model) {
  return run({"add-driver", folder_, name, model});
}

bool PrivateCups::addDriverless(const std::string& name, int port, const std::string& formats,
                                std::string& spoolFolder) {
  spoolFolder = folder_ + "/printers/" + name + "/eve";
  return run({"add-eve", folder_, name, std::to_string(port), formats});
}

bool PrivateCups::addDirect(const std::string& name, int& port, std::string& diskFolder, std::string& pagesFolder) {
  diskFolder = folder_ + "/printers/" + name + "/disk";
  pagesFolder = folder_ + "/printers/" + name + "/pages";
  std::string output;
  if (!run({"add-direct", folder_, name, "0", diskFolder, pagesFolder}, &output)) return false;
  const std::string key = "QM_DIRECT_PORT='";
  const std::size_t at = output.find(key);
  port = at == std::string::npos ? 0 : std::atoi(output.c_str() + at + key.size());
  if (port > 0) return true;
  error_ = "no port in: " + output;
  return false;
}

void PrivateCups::useForClients() const {
  const std::string socket = socketPath();
  const std::string client = folder_ + "/client";
  setenv("CUPS_SERVER", socket.c_str(), 1);
  setenv("CUPS_SERVERROOT", client.c_str(), 1);
  setenv("HOME", client.c_str(), 1);
  unsetenv("PRINTER");
  unsetenv("LPDEST");
  cupsSetServer(socket.c_str());
}

std::vector<std::string> waitForCapturedJobs(const std::string& folder, std::size_t count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<std::string> jobs;
  for (;;) {
    jobs.clear();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("job-") && name.ends_with(".bin")) jobs.push_back(entry.path().string());
    }
    if (jobs.size() >= count || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  auto number = [](const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    return std::atol(name.c_str() + 4);
  };
  std::sort(jobs.begin(), jobs.end(), [&](const std::string& a, const std::string& b) { return number(a) < number(b); });
  return jobs;
}

bool waitForEmptyQueues(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::string out;
    if (runProgram({"lpstat", "-o"}, out) == 0 && out.find_first_not_of(" \n") == std::string::npos) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}
