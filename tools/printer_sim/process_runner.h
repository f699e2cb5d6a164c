// Runs one external program to completion.
//
// The program is looked up on the search path when its name has no
// directory part. Standard input reads from an empty source; standard
// output and standard error go to the given files (created or truncated),
// or are discarded when a path is empty. Extra environment variables are
// added to (or replace those of) the calling process's environment. A
// program still running after the time limit is killed. Nothing raises;
// the outcome says what happened.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProcessRequest {
  std::vector<std::string> arguments;  // arguments[0] is the program
  std::vector<std::pair<std::string, std::string>> environment;
  std::string stdoutPath;
  std::string stderrPath;
  int timeoutSeconds = 0;  // 0: no limit
};

struct ProcessOutcome {
  bool started = false;   // false: the program could not be run at all
  bool timedOut = false;  // killed after the time limit
  int exitCode = -1;      // exit code of a program that ended by itself, else -1
  std::string error;      // why it could not be started
};

ProcessOutcome runProcess(const ProcessRequest& request);
