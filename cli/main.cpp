// quaymaster-cli: every Quaymaster operation from the command line.
#include <wx/debug.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "krmsdk/krmsdk.h"

namespace {
std::vector<Command> allCommands() {
  std::vector<Command> all;
  for (auto group : {tesselCommands(), projectCommands(), printerFileCommands(), legacyCommands(),
                     previewCommands(), projectToolCommands(), printerCommands()})
    all.insert(all.end(), group.begin(), group.end());
  return all;
}

std::vector<OptionSpec> optionsOf(const Command& cmd) {
  std::vector<OptionSpec> opts = cmd.options;
  if (cmd.needsDestination) {
    for (auto& o : deliveryOptions()) opts.push_back(o);
    for (auto& o : interpreterOptions()) opts.push_back(o);
  }
  opts.push_back({"help", 'h', "", "show this help"});
  return opts;
}

void printCommandHelp(const Command& cmd) {
  std::cout << "Usage: quaymaster-cli " << cmd.name << " " << cmd.usage << "\n\n"
            << cmd.description << "\n\nOptions:\n"
            << optionHelp(optionsOf(cmd));
}

void printHelp(const std::vector<Command>& commands) {
  std::cout << "Usage: quaymaster-cli COMMAND [options] [arguments]\n\n"
               "Manages Tessel and KX resources on printers: every command except the local\n"
               "tools builds one job and hands it raw to the print spooler (or only writes it,\n"
               "with --output).\n\nCommands:\n";
  for (const Command& c : commands) {
    std::string name = "  " + c.name;
    std::cout << name << std::string(name.size() < 18 ? 18 - name.size() : 1, ' ') << c.summary << "\n";
  }
  std::cout << "\n'quaymaster-cli COMMAND --help' describes a command and its options.\n"
               "The configuration file is " << "quaymaster.ini (see --config and QUAYMASTER_CONFIG_DIR).\n";
}
}  // namespace

int main(int argc, char** argv) {
  // A damaged configuration file must end in our own messages, not in the
  // toolkit's consistency reports.
  wxSetAssertHandler(nullptr);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<Command> commands = allCommands();
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printHelp(commands);
    return args.empty() ? kExitUsage : kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "quaymaster-cli 11.0 (" << krmGetVersion() << ", built-in Tessel " << krmGetBuiltInKOROVersion()
              << ")\n";
    return kExitOk;
  }
  const Command* cmd = nullptr;
  for (const Command& c : commands)
    if (c.name == args[0]) cmd = &c;
  if (!cmd) {
    sayError("unknown command '" + args[0] + "'");
    std::cerr << "Try 'quaymaster-cli --help'." << std::endl;
    return kExitUsage;
  }
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(optionsOf(*cmd), {args.begin() + 1, args.end()}, parsed, error)) return usageError(*cmd, error);
  if (parsed.has("help")) {
    printCommandHelp(*cmd);
    return kExitOk;
  }
  OpContext ctx;
  if (!buildContext(parsed, cmd->needsDestination, ctx, error)) return usageError(*cmd, error);

  krmInitialize();
  int status = cmd->run(parsed, ctx);
  krmFinished();
  if (status == kExitUsage) return usageError(*cmd, "wrong arguments; usage: " + cmd->name + " " + cmd->usage);
  return status;
}
