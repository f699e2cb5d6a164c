// Test programs that are their own helper processes, on every platform.
//
// A role is a named function registered at static-initialisation time:
//     static const qmtest::Role holdLock("hold-lock", [](const qmtest::RoleArgs& args) { ...; return 0; });
// qmtest::Child::start("hold-lock", {path}) starts this very test program
// again with the role's name and arguments in its environment; that copy
// runs the role before any test (from a global test environment) and ends
// with the role's result. The parent reads what the child prints on
// standard output, line by line, and can kill it without warning (SIGKILL,
// TerminateProcess): nothing in the child gets to clean up, as when a user
// ends the program or the machine loses power. Used where two processes
// must meet (lock files) and where a writer is killed part-way; fork() does
// the same on POSIX but Windows has no fork.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qmtest {

using RoleArgs = std::vector<std::string>;
using RoleBody = std::function<int(const RoleArgs&)>;

inline constexpr char kRoleVariable[] = "QM_TEST_ROLE";
inline constexpr char kRoleArgsVariable[] = "QM_TEST_ROLE_ARGS";  // arguments joined by "\n"

inline std::map<std::string, RoleBody>& roles() {
  static std::map<std::string, RoleBody> table;
  return table;
}

// Runs the role this process was started for, if any, and ends the process.
class RoleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* name = std::getenv(kRoleVariable);
    if (name == nullptr || *name == '\0') return;
    RoleArgs args;
    if (const char* joined = std::getenv(kRoleArgsVariable); joined != nullptr && *joined != '\0') {
      std::string text = joined;
      for (std::size_t start = 0;;) {
        std::size_t end = text.find('\n', start);
        args.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
      }
    }
    auto role = roles().find(name);
    int code = role == roles().end() ? 99 : role->second(args);
    std::fflush(stdout);
    std::_Exit(code);
  }
};

inline ::testing::Environment* const roleEnvironment = ::testing::AddGlobalTestEnvironment(new RoleEnvironment);

class Role {
 public:
  Role(const std::string& name, RoleBody body) { roles()[name] = std::move(body); }
};

// A running copy of this program in one role.
class Child {
 public:
  static std::unique_ptr<Child> start(const std::string& role, const RoleArgs& args) {
    std::string joined;
    for (const std::string& a : args) joined += (joined.empty() ? "" : "\n") + a;
    std::unique_ptr<Child> child(new Child);
    if (!child->launch(role, joined)) return nullptr;
    return child;
  }

  ~Child() {
    if (running_) kill();
    closeOutput();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Reads the child's output up to a line equal to text (the test
  // framework prints lines of its own before the role runs); false when
  // the output ends first.
  bool waitFor(const std::string& text) {
    for (;;) {
      std::string line;
      char c = 0;
      bool more = false;
      while ((more = readByte(c)) && c != '\n') line += c;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line == text) return true;
      if (!more) return false;
    }
  }

  // Kills the child at once and waits until it is gone.
  void kill() {
    if (!running_) return;
#ifdef _WIN32
    TerminateProcess(process_, 9);
    WaitForSingleObject(process_, INFINITE);
    CloseHandle(process_);
#else
    ::kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
#endif
    running_ = false;
  }

  // Waits for the child to end by itself; its exit code (-1 when killed).
  int wait() {
    if (!running_) return -1;
    running_ = false;
#ifdef _WIN32
    WaitForSingleObject(process_, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    return static_cast<int>(code);
#else
    int status = 0;
    waitpid(pid_, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }

 private:
  Child() = default;

#ifdef _WIN32
  bool launch(const std::string& role, const std::string& args) {
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    SECURITY_ATTRIBUTES sa{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string commandLine = "\"" + std::string(self) + "\"";
    // The child inherits the environment; the role is set only around the
    // start so that this process's own later children are unaffected.
    SetEnvironmentVariableA(kRoleVariable, role.c_str());
    SetEnvironmentVariableA(kRoleArgsVariable, args.c_str());
    BOOL created =
        CreateProcessA(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(kRoleVariable, nullptr);
    SetEnvironmentVariableA(kRoleArgsVariable, nullptr);
    CloseHandle(writeEnd);
    if (!created) {
      CloseHandle(readEnd);
      return false;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    output_ = readEnd;
    running_ = true;
    return true;
  }
  bool readByte(char& c) {
    DWORD got = 0;
    return output_ != nullptr && ReadFile(output_, &c, 1, &got, nullptr) && got == 1;
  }
  void closeOutput() {
    if (output_ != nullptr) CloseHandle(output_);
    output_ = nullptr;
  }
  HANDLE process_ = nullptr;
  HANDLE output_ = nullptr;
#else
  bool launch(const std::string& role, const std::string& args) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_t pid = fork();
    if (pid < 0) {
      close(fds[0]);
      close(fds[1]);
      return false;
    }
    if (pid == 0) {
      dup2(fds[1], STDOUT_FILENO);
      close(fds[0]);
      close(fds[1]);
      setenv(kRoleVariable, role.c_str(), 1);
      setenv(kRoleArgsVariable, args.c_str(), 1);
      char self[] = "/proc/self/exe";
      char* argv[] = {self, nullptr};
      execv(self, argv);
      _exit(127);
    }
    close(fds[1]);
    pid_ = pid;
    output_ = fds[0];
    running_ = true;
    return true;
  }
  bool readByte(char& c) { return output_ >= 0 && read(output_, &c, 1) == 1; }
  void closeOutput() {
    if (output_ >= 0) close(output_);
    output_ = -1;
  }
  pid_t pid_ = -1;
  int output_ = -1;
#endif
  bool running_ = false;
};

}  // namespace qmtest
