// The one table of commands and options that parsing, help, the manual page
// and the shell completion all read.
#include <iostream>

#include "cli/cli_command.h"

std::vector<OptionDef> destinationOptions() {
  return {
      {"printer",
       'd',
       "NAME",
       "send the job to this printer (a spooler printer, a direct printer, or socket://HOST[:PORT])",
       {},
       ValueHint::Printer},
      {"group", 'g', "NAME", "send the job to every printer of this printer group", {}, ValueHint::Group},
      {"destination", 0, "TEXT", "the destination as the desktop shows it (a printer, or \\\\\\ and a group)"},
      {"output", 'o', "FILE",
       "write the job to FILE ('-': standard output) instead of sending it; not with a destination",
       {},
       ValueHint::File},
      {"wait", 'w', "", "follow each sent job until it is completed, stopped, cancelled or aborted"},
      {"parallel", 0, "N", "send to at most N printers of a group at once (1 to 64; default: parallelSends, 8)"},
      {"status-page", 's', "", "have the printer print a status page"},
      {"show-answer", 0, "", "print everything a direct printer answered (control characters escaped)"},
  };
}

OptionDef configOption() {
  return {"config", 'c', "FILE", "the configuration file instead of the installed quaymaster.ini", {},
          ValueHint::File};
}

std::vector<OptionDef> tesselOptions() {
  return {
      {"builtin-tessel", 0, "", "use the Tessel built into Quaymaster (projects need --stub too)"},
      {"stub", 0, "FILE", "the stub file of the built-in Tessel", {}, ValueHint::File},
      {"tessel", 't', "DIR", "use the Tessel installed in the local folder DIR", {}, ValueHint::Folder},
      {"lustrine", 0, "", "include the optional Lustrine imaging module"},
  };
}

std::vector<Command> allCommands() {
  std::vector<Command> all;
  for (auto group : {tesselCommands(), projectCommands(), printerFileCommands(), legacyCommands(),
                     previewCommands(), projectToolCommands(), printerCommands(), groupCommands(), serverCommands(),
                     directCommands(), inventoryCommands(), historyCommands(), resendCommands()})
    all.insert(all.end(), group.begin(), group.end());
  return all;
}

const Command* findCommand(const std::vector<Command>& commands, const std::string& name) {
  for (const Command& c : commands)
    if (c.name == name) return &c;
  return nullptr;
}

std::vector<OptionDef> optionsOf(const Command& cmd) {
  std::vector<OptionDef> opts = cmd.options;
  if (cmd.sendsJob)
    for (auto& o : destinationOptions()) opts.push_back(o);
  if (cmd.config != ConfigUse::None) opts.push_back(configOption());
  if (cmd.tessel != TesselUse::None)
    for (auto& o : tesselOptions()) opts.push_back(o);
  opts.push_back({"help", 'h', "", "show this help"});
  return opts;
}

std::vector<OptionDef> globalOptions() {
  return {configOption(),
          {"help", 'h', "", "show the list of commands"},
          {"version", 0, "", "show the version"}};
}

int usageError(const std::string& command, const std::string& message) {
  std::string where = command.empty() ? "" : command + ": ";
  sayError(where + message + " (see '" + kProgramName + " help" + (command.empty() ? "" : " " + command) + "')");
  return kExitUsage;
}

bool operandsFit(const std::string& command, const std::vector<std::string>& operands, std::size_t minimum,
                 std::size_t maximum) {
  if (operands.size() > maximum) {
    usageError(command, "unexpected argument '" + operands[maximum] + "'");
    return false;
  }
  if (operands.size() < minimum) {
    const std::vector<Command> commands = allCommands();
    const Command* cmd = findCommand(commands, command);
    usageError(command, "missing arguments; usage: " + std::string(kProgramName) + " " + command +
                            (cmd ? " " + cmd->usage : std::string()));
    return false;
  }
  return true;
}
