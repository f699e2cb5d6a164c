// The subcommands of quaymaster-cli and what they share: the common
// options (destination, job output, status page, configuration,
// interpreter), building the operation context from them, and reporting an
// operation's result the way command-line tools do (one line per error on
// standard error, prefixed with the program name; exit status 0 only on
// success).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "ops/operation.h"

inline constexpr char kProgramName[] = "quaymaster-cli";

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the operation failed
inline constexpr int kExitUsage = 2;   // bad command line

// How a command uses the configuration file.
enum class ConfigUse {
  None,      // never reads it
  Optional,  // printer groups and lastPrinter, when the file exists
  Required,  // works on the file itself
};

// Which Tessel settings a command needs (from the configuration or from
// --tessel / --builtin-tessel --stub).
enum class TesselUse {
  None,
  Tessel,          // the built-in Tessel or a Tessel folder
  TesselWithStub,  // and, for the built-in one, its stub file
};

struct Command {
  std::string name;
  std::string summary;      // one line for the command list
  std::string usage;        // arguments after the name
  std::string description;  // paragraph(s) for the help and the manual page
  std::vector<OptionDef> options;
  bool sendsJob = false;  // builds a job: takes the destination options
  ConfigUse config = ConfigUse::None;
  TesselUse tessel = TesselUse::None;
  // For completion: the words the first operand may be, and what the other
  // operands name.
  std::vector<std::string> operandWords;
  ValueHint operandHint = ValueHint::None;
  // How many operands it takes, checked before anything else runs.
  std::size_t minOperands = 0;
  std::size_t maxOperands = 0;
  // Further checks of the command line (operands that depend on each
  // other, options that go together), before anything else runs; prints
  // the usage error and returns false.
  std::function<bool(const ParsedArgs&)> validate;
  // When set, decides per command line whether the Tessel settings are
  // needed (commands whose actions differ), and configNote says so in the
  // help instead of the sentence made from config and tessel.
  std::function<bool(const ParsedArgs&)> needsTessel;
  std::string configNote;
  std::function<int(const ParsedArgs&, OpContext&)> run;
};

inline constexpr std::size_t kAnyNumber = static_cast<std::size_t>(-1);

// Every command, in the order the help lists them.
std::vector<Command> allCommands();
// The command of that name, or null.
const Command* findCommand(const std::vector<Command>& commands, const std::string& name);
// Every option the command takes: its own, then the shared ones.
std::vector<OptionDef> optionsOf(const Command& cmd);
// Options taken before the command name.
std::vector<OptionDef> globalOptions();
// The shared option groups: where the job goes, the configuration file,
// the Tessel choice.
std::vector<OptionDef> destinationOptions();
OptionDef configOption();
std::vector<OptionDef> tesselOptions();

// Checks the options against each other and the files they name, and
// fills the context: configuration, Tessel choice, destination, job
// output. On failure the message has been printed and the exit status is
// returned (never kExitOk).
int buildContext(const Command& cmd, const ParsedArgs& args, OpContext& ctx);
// Removes what the run left behind (a job written for standard output).
void finishContext();
// The temporary file that holds a job meant for standard output, or empty.
const std::string& stdoutJob();
// The destination of this run (a printer, an address, or a group with its
// marker), as buildContext chose it or a command that finds its own (resend)
// set it; empty when there is none. The report sums up a group's send.
const std::string& chosenDestination();
void setChosenDestination(const std::string& destination);

// The printers that take Tessel jobs (none: an empty list); false, after
// saying what to check, when the spooler cannot be reached.
bool offeredPrinters(std::vector<std::string>& printers);

// Prints the outcome and returns the exit status: job numbers for a sent
// job (followed to their end with --wait), the job bytes for --output -.
int reportResult(const ParsedArgs& args, const OpResult& result);
// Prints a usage error for the command and returns kExitUsage.
int usageError(const std::string& command, const std::string& message);
// Says something on standard error as one line, prefixed by the program
// name.
void sayError(const std::string& message);
// On a terminal, long work (opening a container, writing the job of a big
// project, loading many files) shows what it is doing on one line of
// standard error, renewed as it goes; the line appears only once the work
// has run for a moment and is cleared before anything else is said.
OpProgress terminalJobProgress();
void clearProgressLine();
// The user's message as one line: "Text.\n\nDetail" becomes
// "Text: Detail", further line breaks become ", ", and the archive layer's
// "ERROR (Minizip)" or "ERROR (Tar)" label is dropped.
std::string oneLine(const std::string& message);
// Asks on the terminal; true without asking when there is no terminal.
bool confirm(const std::string& question);

// True when the number of operands is within [minimum, maximum]; else the
// usage error (naming the first extra operand) has been printed.
bool operandsFit(const std::string& command, const std::vector<std::string>& operands, std::size_t minimum,
                 std::size_t maximum);

// The command tables of each source file.
std::vector<Command> tesselCommands();
std::vector<Command> projectCommands();
std::vector<Command> printerFileCommands();
std::vector<Command> legacyCommands();
std::vector<Command> previewCommands();
std::vector<Command> projectToolCommands();
std::vector<Command> printerCommands();
std::vector<Command> groupCommands();
std::vector<Command> directCommands();
std::vector<Command> serverCommands();
std::vector<Command> inventoryCommands();
std::vector<Command> historyCommands();
std::vector<Command> resendCommands();
