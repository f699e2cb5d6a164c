// Runs one external program to completion.
//
// The program is looked up on the search path when its name has no
// directory part. Standard input reads from an empty source; standard
// output and standard error go to the given files (created or truncated),
// or are discarded when a path is empty. Extra environment variables are
// added to (or replace those of) the calling process's environment. A
// program still running after the time limit is killed. Nothing raises;
// the outcome says what happened.
//
// runProcessStreaming is the same run with standard output and standard
// error joined in one pipe: its bytes go to the sink as they come, while
// the program runs (the output paths are ignored). A program is killed,
// as on a time-out, as soon as the request's stop flag is set. POSIX only;
// on Windows it reports that it cannot start.
#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ProcessRequest {
  std::vector<std::string> arguments;  // arguments[0] is the program
  std::vector<std::pair<std::string, std::string>> environment;
  std::string stdoutPath;
  std::string stderrPath;
  int timeoutSeconds = 0;  // 0: no limit
  const volatile std::sig_atomic_t* stop = nullptr;  // streaming: set means kill the program
};

struct ProcessOutcome {
  bool started = false;   // false: the program could not be run at all
  bool timedOut = false;  // killed after the time limit
  int exitCode = -1;      // exit code of a program that ended by itself, else -1
  std::string error;      // why it could not be started
};

ProcessOutcome runProcess(const ProcessRequest& request);

using OutputSink = std::function<void(std::string_view)>;
ProcessOutcome runProcessStreaming(const ProcessRequest& request, const OutputSink& sink);
