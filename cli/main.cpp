// quaymaster-cli: every Quaymaster operation from the command line.
#include <wx/debug.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_help.h"
#include "cli/cli_suggest.h"
#include "krmsdk/krmsdk.h"

namespace {
std::vector<std::string> commandNames(const std::vector<Command>& commands) {
  std::vector<std::string> names;
  for (const Command& c : commands) names.push_back(c.name);
  names.push_back("help");
  return names;
}

int unknownCommand(const std::vector<Command>& commands, const std::string& name) {
  return usageError("", "unknown command '" + name + "'" + didYouMean(name, commandNames(commands)));
}

// "help [COMMAND]"
int help(const std::vector<Command>& commands, const std::vector<std::string>& operands) {
  if (!operandsFit("help", operands, 0, 1)) return kExitUsage;
  if (operands.empty()) {
    std::cout << generalHelp(commands);
    return kExitOk;
  }
  if (operands[0] == "help") {
    std::cout << "Usage: " << kProgramName << " help [COMMAND]\n\nShows the list of commands, or what COMMAND does.\n";
    return kExitOk;
  }
  const Command* cmd = findCommand(commands, operands[0]);
  if (!cmd) return unknownCommand(commands, operands[0]);
  std::cout << commandHelp(*cmd);
  return kExitOk;
}

// Where the command name is: after the options given before it (and the
// value of --config / -c).
std::size_t commandIndex(const std::vector<std::string>& args) {
  std::size_t i = 0;
  while (i < args.size() && args[i].size() > 1 && args[i][0] == '-') {
    if (args[i] == "--") return i + 1;
    if (args[i] == "--config" || args[i] == "-c") ++i;
    ++i;
  }
  return i;
}
}  // namespace

int main(int argc, char** argv) {
  // A damaged configuration file must end in our own messages, not in the
  // toolkit's consistency reports.
  wxSetAssertHandler(nullptr);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::vector<Command> commands = allCommands();

  const std::size_t at = commandIndex(args);
  ParsedArgs global;
  std::string error;
  std::vector<std::string> leading(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(std::min(at, args.size())));
  if (!leading.empty() && leading.back() == "--") leading.pop_back();
  if (!parseArgs(globalOptions(), leading, global, error)) return usageError("", error);
  if (global.has("version")) {
    std::cout << kProgramName << " 11.0 (" << krmGetVersion() << ", built-in Tessel " << krmGetBuiltInKOROVersion()
              << ")\n";
    return kExitOk;
  }
  if (global.has("help") || at >= args.size()) {
    std::cout << generalHelp(commands);
    return global.has("help") ? kExitOk : kExitUsage;
  }

  const std::string& name = args[at];
  const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(at) + 1, args.end());
  if (name == "help") {
    ParsedArgs parsed;
    if (!parseArgs({}, rest, parsed, error)) return usageError("help", error);
    return help(commands, parsed.positionals());
  }
  const Command* cmd = findCommand(commands, name);
  if (!cmd) return unknownCommand(commands, name);

  ParsedArgs parsed;
  if (!parseArgs(optionsOf(*cmd), rest, parsed, error)) return usageError(cmd->name, error);
  if (parsed.has("help")) {
    std::cout << commandHelp(*cmd);
    return kExitOk;
  }
  if (global.has("config") && !parsed.has("config")) parsed.set("config", global.value("config"));
  if (!operandsFit(cmd->name, parsed.positionals(), cmd->minOperands, cmd->maxOperands)) return kExitUsage;
  if (cmd->validate && !cmd->validate(parsed)) return kExitUsage;

  OpContext ctx;
  int status = buildContext(*cmd, parsed, ctx);
  if (status == kExitOk) {
    krmInitialize();
    status = cmd->run(parsed, ctx);
    krmFinished();
  }
  finishContext();
  return status;
}
