// Windows has no CUPS scheduler to start: start() says so, and the tests
// that need one skip themselves with that text. Running a program works as
// on POSIX, so tests of the command line against printers inside the test
// (loopback listeners) run here too.
#include "tools/cups/private_cups.h"

#include <windows.h>

#include "tools/win32_arguments.h"

std::unique_ptr<PrivateCups> PrivateCups::start(const std::string&, const std::string&, std::string& error, bool) {
  error = "needs a private CUPS scheduler, which Windows does not have";
  return nullptr;
}

PrivateCups::~PrivateCups() = default;

bool PrivateCups::run(const std::vector<std::string>&, std::string*) {
  error_ = "no CUPS scheduler";
  return false;
}

bool PrivateCups::addCapture(const std::string&, std::string&) { return run({}); }

bool PrivateCups::addSimulated(const std::string&, std::string&, std::string&, const std::string&) {
  return run({});
}

bool PrivateCups::addDriver(const std::string&, const std::string&) { return run({}); }

bool PrivateCups::addDirect(const std::string&, int&, std::string&, std::string&) { return run({}); }

void PrivateCups::useForClients() const {}

int freeLoopbackPort() { return 0; }

int runProgram(const std::vector<std::string>& args, std::string& output) {
  output.clear();
  if (args.empty()) return -1;
  std::string line;
  for (const std::string& arg : args) line += (line.empty() ? "" : " ") + quotedWindowsArgument(arg);
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');

  // Standard output and error share one pipe; standard input is NUL, so
  // the program never waits for a terminal.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  // Only the child holds the write end now: reading ends when it exits.
  CloseHandle(writeEnd);
  if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
  if (!started) {
    CloseHandle(readEnd);
    output = "cannot start " + args[0];
    return -1;
  }
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  CloseHandle(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  const bool known = GetExitCodeProcess(process.hProcess, &code) != 0;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return known ? static_cast<int>(code) : -1;
}

std::vector<std::string> waitForCapturedJobs(const std::string&, std::size_t, int) { return {}; }

bool waitForEmptyQueues(int) { return true; }
