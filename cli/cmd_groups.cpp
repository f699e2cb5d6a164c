// groups: the printer groups of the configuration file, kept under the
// same names and rules as the desktop's printer-groups dialog.
#include <algorithm>
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "cli/cli_suggest.h"
#include "delivery/app_config.h"
#include "delivery/config_lock.h"
#include "delivery/direct_printer.h"
#include "delivery/network_spooler.h"
#include "delivery/printer_groups.h"
#include "delivery/send_job.h"
#include "delivery/spooler.h"

namespace {
const std::vector<std::string> kActions{"list", "create", "set", "delete"};

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
  return text;
}

bool checkGroupsLine(const ParsedArgs& a) {
  const auto& pos = a.positionals();
  if (pos.empty()) return true;
  const std::string& action = pos[0];
  if (action == "list") return operandsFit("groups", pos, 1, 1);
  if (action == "delete") return operandsFit("groups", pos, 2, 2);
  if (action == "create" || action == "set") {
    if (pos.size() < 2) {
      usageError("groups", action + " needs a group name");
      return false;
    }
    for (std::size_t i = 2; i < pos.size(); ++i) {
      if (!isRoutedToNetwork(pos[i])) continue;
      if (std::string problem = CheckNetworkDestination(pos[i]); !problem.empty()) {
        usageError("groups", cliShowable(problem));
        return false;
      }
    }
    return true;
  }
  usageError("groups", "'" + action + "' is not one of list, create, set, delete" + didYouMean(action, kActions));
  return false;
}

// The stored spelling of an existing group, or empty after the error.
std::string existingGroup(const AppFileConfig& config, const std::string& name) {
  std::vector<std::string> groups = ListPrinterGroups(config);
  for (const std::string& g : groups)
    if (g == name) return g;
  for (const std::string& g : groups)
    if (equalsNoCase(g, name)) return g;
  sayError("unknown printer group '" + name + "'" + didYouMean(name, groups));
  return {};
}

// The member text for the named printers: each must be a printer that takes
// Tessel jobs (its name as the spooler spells it), a direct printer (its
// name as kept) or a good socket:// address, each once.
bool memberText(const std::vector<std::string>& names, const std::string& configFile, std::string& text) {
  std::vector<std::string> printers;
  bool local = false;
  for (const std::string& name : names) local = local || !isRoutedToNetwork(name);
  if (local && !offeredPrinters(printers)) return false;
  AppFileConfig config(kAppName, "", configFile);
  std::vector<std::string> members;
  for (const std::string& name : names) {
    // Queues of other servers and IPP printers are taken as written (their
    // form was checked with the command line).
    if (isRoutedToNetwork(name) && !isSocketUri(name)) {
      members.push_back(name);
      continue;
    }
    std::string found = FindDirectPrinter(config, name);
    if (isSocketUri(name)) {
      AddressCheck check = ParseSocketUri(name);
      if (!check.accepted()) {
        sayError(name + ": " + check.message);
        return false;
      }
      found = check.address->uri();
    }
    for (const std::string& p : printers)
      if (equalsNoCase(p, name)) found = p;
    if (found.empty()) {
      sayError("unknown printer '" + name + "'" + didYouMean(name, printers) + " ('" + kProgramName +
               " printers' lists the printers that take Tessel jobs)");
      return false;
    }
    bool twice = false;
    for (const std::string& m : members) twice = twice || m == found;
    if (!twice) members.push_back(found);
  }
  for (const std::string& m : members) {
    if (m.find(',') != std::string::npos) {
      sayError("the printer '" + m + "' cannot be a group member: the member list is separated by ','");
      return false;
    }
  }
  text = BuildMemberText(members);
  return true;
}

bool save(AppFileConfig& config) {
  if (config.save()) return true;
  sayError(config.saveError());
  return false;
}

// A new group's name: false after the message.
bool nameAccepted(const GroupNameCheck& check) {
  if (check.verdict == GroupNameCheck::Verdict::Empty) {
    sayError("an empty group name");
    return false;
  }
  if (!check.accepted()) {
    sayError(oneLine(check.message));
    return false;
  }
  return true;
}

int listGroups(const ParsedArgs& a, AppFileConfig& config) {
  std::vector<std::string> groups = ListPrinterGroups(config);
  if (a.has("json")) {
    JsonWriter json;
    json.beginObject().key("groups").beginArray();
    for (const std::string& g : groups)
      json.beginObject().key("name").value(g).key("members").value(ReadPrinterGroup(config, g)).endObject();
    std::cout << json.endArray().endObject().str();
    return kExitOk;
  }
  for (const std::string& g : groups) {
    std::vector<std::string> members = ReadPrinterGroup(config, g);
    std::cout << cliShowable(g + ":" + (members.empty() ? "" : " " + joined(members))) << "\n";
  }
  return kExitOk;
}

int runGroups(const ParsedArgs& a, OpContext& ctx) {
  const auto& pos = a.positionals();
  const std::string action = pos.empty() ? "list" : pos[0];
  if (action == "list") {
    AppFileConfig config(kAppName, "", ctx.configFile);
    return listGroups(a, config);
  }
  // Asked before the lock is taken: an answer may take the operator a while.
  if (action == "delete" && !a.has("yes")) {
    AppFileConfig config(kAppName, "", ctx.configFile);
    const std::string group = existingGroup(config, pos[1]);
    if (group.empty()) return kExitFailed;
    std::vector<std::string> members = ReadPrinterGroup(config, group);
    if (!confirm("delete printer group " + group + (members.empty() ? "" : " (" + joined(members) + ")") + "?")) {
      sayError("nothing deleted");
      return kExitFailed;
    }
  }
  // What the spooler says is asked before the lock is taken, so that the
  // lock is held only as long as the file takes.
  const std::vector<std::string> printers(pos.begin() + 2, pos.end());
  std::string text;
  std::string name = pos[1];
  if (action == "create") {
    GroupNameCheck check =
        CheckNewGroupName(name, {}, [](const std::string& entered) { return IsInstalledPrinter(entered); });
    if (!nameAccepted(check)) return kExitFailed;
    name = check.name;
  }
  if (action != "delete" && !memberText(printers, ctx.configFile, text)) return kExitFailed;

  // The checks on the file (the name is free, the group exists) and the
  // write are one step: another program's change cannot come between them.
  ConfigLock lock(resolveConfigFile(kAppName, ctx.configFile).fullPath);
  if (!lock.held()) {
    sayError(lock.error());
    return kExitFailed;
  }
  AppFileConfig config(kAppName, "", ctx.configFile);

  if (action == "create") {
    // The printer names were checked above.
    GroupNameCheck check = CheckNewGroupName(name, ListPrinterGroups(config), [](const std::string&) { return false; });
    if (!nameAccepted(check)) return kExitFailed;
    if (!WriteGroup(config, check.name, text) || !save(config)) return kExitFailed;
    std::cout << "Printer group " << check.name << " created\n";
    return kExitOk;
  }

  const std::string group = existingGroup(config, pos[1]);
  if (group.empty()) return kExitFailed;
  if (action == "set") {
    if (!WriteGroup(config, group, text) || !save(config)) return kExitFailed;
    std::cout << "Printer group "
              << cliShowable(group + ": " + (text.empty() ? "no printers" : joined(ReadPrinterGroup(config, group))))
              << "\n";
    return kExitOk;
  }
  // delete
  if (!DeletePrinterGroup(config, group) || !save(config)) {
    if (!config.saveError().empty()) return kExitFailed;
    sayError("cannot remove the printer group '" + group + "' from '" + config.fullPath() + "'");
    return kExitFailed;
  }
  std::cout << "Printer group " << cliShowable(group) << " deleted\n";
  return kExitOk;
}
}  // namespace

std::vector<Command> groupCommands() {
  return {{.name = "groups",
           .summary = "list, create, change or delete printer groups",
           .usage = "[list] | create NAME [PRINTER...] | set NAME [PRINTER...] | delete NAME",
           .description = "Printer groups send one job to several printers. They live in the configuration "
                          "file, as the desktop's printer-groups dialog keeps them:\n"
                          "  list    every group with its printers (the default)\n"
                          "  create  a new group, with the printers given (none is fine)\n"
                          "  set     a group's printers, in the order given (none empties it)\n"
                          "  delete  a group; on a terminal it asks first\n"
                          "A group name has 1 to 32 letters, digits or underscores and is not the name of a "
                          "printer or of another group (letter case ignored). Members are printers that take "
                          "Tessel jobs, direct printers and socket:// addresses.",
           .options = {{"json", 0, "", "list: print JSON: groups (name, members)"},
                       {"yes", 'y', "", "delete: do not ask for confirmation"}},
           .config = ConfigUse::Required,
           .operandWords = kActions,
           .operandHint = ValueHint::Printer,
           .maxOperands = kAnyNumber,
           .validate = checkGroupsLine,
           .run = runGroups}};
}
