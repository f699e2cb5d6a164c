#include <windows.h>

#include <cstring>
#include <map>
#include <string>

#include "tools/printer_sim/process_runner.h"
#include "tools/win32_arguments.h"

namespace {

HANDLE openOutput(const std::string& path) {
  SECURITY_ATTRIBUTES sa{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileA(path.empty() ? "NUL" : path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The calling environment with the extra variables applied, as a block of
// NUL-terminated entries ended by an empty one.
std::string environmentBlock(const std::vector<std::pair<std::string, std::string>>& extra) {
  std::map<std::string, std::string> merged;
  if (char* strings = GetEnvironmentStringsA()) {
    for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) {
      const char* eq = std::strchr(entry + 1, '=');  // names may start with '='
      if (eq != nullptr) merged[std::string(entry, static_cast<std::size_t>(eq - entry))] = eq + 1;
    }
    FreeEnvironmentStringsA(strings);
  }
  for (const auto& [name, value] : extra) merged[name] = value;
  std::string block;
  for (const auto& [name, value] : merged) {
    block += name + "=" + value;
    block += '\0';
  }
  block += '\0';
  return block;
}

}  // namespace

ProcessOutcome runProcess(const ProcessRequest& request) {
  ProcessOutcome outcome;
  if (request.arguments.empty()) {
    outcome.error = "no program given";
    return outcome;
  }
  std::string commandLine;
  for (const std::string& a : request.arguments) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += quotedWindowsArgument(a);
  }
  std::string environment = environmentBlock(request.environment);

  SECURITY_ATTRIBUTES sa{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE out = openOutput(request.stdoutPath);
  HANDLE err = openOutput(request.stderrPath);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = input;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  BOOL created = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                environment.data(), nullptr, &si, &pi);
  CloseHandle(input);
  CloseHandle(out);
  CloseHandle(err);
  if (!created) {
    outcome.error = "cannot run " + request.arguments[0];
    return outcome;
  }
  outcome.started = true;
  DWORD wait = WaitForSingleObject(pi.hProcess, request.timeoutSeconds > 0 ? request.timeoutSeconds * 1000u : INFINITE);
  if (wait == WAIT_TIMEOUT) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, INFINITE);
    outcome.timedOut = true;
  } else {
    DWORD code = 0;
    if (GetExitCodeProcess(pi.hProcess, &code)) outcome.exitCode = static_cast<int>(code);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return outcome;
}

ProcessOutcome runProcessStreaming(const ProcessRequest&, const OutputSink&) {
  ProcessOutcome outcome;
  outcome.error = "streaming a program's output is not available on Windows";
  return outcome;
}
