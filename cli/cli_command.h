// The subcommands of quaymaster-cli and what they share: the common
// options (destination, job output, status page, configuration,
// interpreter), building the operation context from them, and reporting an
// operation's result the way command-line tools do (messages on standard
// error, exit status 0 only on success).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "ops/operation.h"

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // the operation failed
inline constexpr int kExitUsage = 2;    // bad command line

struct Command {
  std::string name;
  std::string summary;      // one line for the command list
  std::string usage;        // arguments after the name
  std::string description;  // paragraph(s) for --help
  std::vector<OptionSpec> options;
  bool needsDestination = false;  // sends a job: takes the common delivery options
  std::function<int(const ParsedArgs&, OpContext&)> run;
};

// Options every job-sending command takes.
std::vector<OptionSpec> deliveryOptions();
// Options of commands that read the interpreter settings.
std::vector<OptionSpec> interpreterOptions();

// Builds the context from the common options; false with a message when
// they do not make sense (e.g. no destination and no --output).
bool buildContext(const ParsedArgs& args, bool needsDestination, OpContext& ctx, std::string& error);

// Prints the outcome and returns the exit status.
int reportResult(const OpResult& result);
// Prints a usage error for the command and returns kExitUsage.
int usageError(const Command& cmd, const std::string& message);
// Says something on standard error, prefixed by the program name.
void sayError(const std::string& message);
// True when standard error is a terminal (progress is shown only then).
bool stderrIsTerminal();

// The command tables of each source file.
std::vector<Command> tesselCommands();
std::vector<Command> projectCommands();
std::vector<Command> printerFileCommands();
std::vector<Command> legacyCommands();
std::vector<Command> previewCommands();
std::vector<Command> projectToolCommands();
std::vector<Command> printerCommands();
