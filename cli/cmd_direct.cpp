// direct: the printers reached on their raw port, kept in the configuration
// file under the same rules as the desktop keeps them.
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "cli/cli_suggest.h"
#include "delivery/app_config.h"
#include "delivery/config_lock.h"
#include "delivery/direct_printer.h"
#include "delivery/printer_groups.h"
#include "delivery/spooler.h"

namespace {
const std::vector<std::string> kActions{"list", "add", "remove"};

bool checkDirectLine(const ParsedArgs& a) {
  const auto& pos = a.positionals();
  if (pos.empty()) return true;
  const std::string& action = pos[0];
  if (action == "list") return operandsFit("direct", pos, 1, 1);
  if (action == "remove") return operandsFit("direct", pos, 2, 2);
  if (action == "add") {
    if (pos.size() < 3) {
      usageError("direct", "add needs a name and an address (socket://HOST[:PORT])");
      return false;
    }
    return operandsFit("direct", pos, 3, 3);
  }
  usageError("direct", "'" + action + "' is not one of list, add, remove" + didYouMean(action, kActions));
  return false;
}

bool save(AppFileConfig& config) {
  if (config.save()) return true;
  sayError(config.saveError());
  return false;
}

int listDirect(const ParsedArgs& a, const AppFileConfig& config) {
  const std::vector<std::string> names = ListDirectPrinters(config);
  auto addressOf = [&config](const std::string& name) {
    std::optional<DirectAddress> address = ReadDirectPrinter(config, name);
    return address ? address->uri() : std::string();
  };
  if (a.has("json")) {
    JsonWriter json;
    json.beginObject().key("direct").beginArray();
    for (const std::string& n : names)
      json.beginObject().key("name").value(n).key("address").value(addressOf(n)).endObject();
    std::cout << json.endArray().endObject().str();
    return kExitOk;
  }
  for (const std::string& n : names) {
    const std::string address = addressOf(n);
    std::cout << cliShowable(n + ": " + (address.empty() ? "(no good socket:// address)" : address)) << "\n";
  }
  return kExitOk;
}

int runDirect(const ParsedArgs& a, OpContext& ctx) {
  const auto& pos = a.positionals();
  const std::string action = pos.empty() ? "list" : pos[0];
  if (action == "list") {
    AppFileConfig config(kAppName, "", ctx.configFile);
    return listDirect(a, config);
  }
  std::optional<DirectAddress> address;
  if (action == "add") {
    AddressCheck check = ParseSocketUri(pos[2]);
    if (!check.accepted()) {
      sayError(pos[2] + ": " + check.message);
      return kExitFailed;
    }
    address = check.address;
  }
  // What the spooler says is asked before the lock is taken, so that the
  // lock is held only as long as the file takes.
  const bool isPrinter = action == "add" && IsInstalledPrinter(pos[1]);

  ConfigLock lock(resolveConfigFile(kAppName, ctx.configFile).fullPath);
  if (!lock.held()) {
    sayError(lock.error());
    return kExitFailed;
  }
  AppFileConfig config(kAppName, "", ctx.configFile);
  if (action == "add") {
    const DirectNameCheck check = CheckDirectPrinterName(pos[1], ListDirectPrinters(config), ListPrinterGroups(config),
                                                         [isPrinter](const std::string&) { return isPrinter; });
    if (check.verdict == DirectNameCheck::Verdict::Empty) {
      sayError("an empty direct printer name");
      return kExitFailed;
    }
    if (!check.accepted()) {
      sayError(oneLine(check.message));
      return kExitFailed;
    }
    if (!WriteDirectPrinter(config, check.name, *address) || !save(config)) return kExitFailed;
    std::cout << "Direct printer " << check.name << " added: " << address->uri() << "\n";
    return kExitOk;
  }
  // remove
  const std::string kept = FindDirectPrinter(config, pos[1]);
  if (kept.empty()) {
    sayError("unknown direct printer '" + pos[1] + "'" + didYouMean(pos[1], ListDirectPrinters(config)));
    return kExitFailed;
  }
  if (!DeleteDirectPrinter(config, kept) || !save(config)) {
    if (!config.saveError().empty()) return kExitFailed;
    sayError("cannot remove the direct printer '" + kept + "' from '" + config.fullPath() + "'");
    return kExitFailed;
  }
  std::cout << "Direct printer " << kept << " removed\n";
  return kExitOk;
}
}  // namespace

std::vector<Command> directCommands() {
  return {{.name = "direct",
           .summary = "list, add or remove printers reached directly on their raw port",
           .usage = "[list] | add NAME socket://HOST[:PORT] | remove NAME",
           .description =
               "Direct printers get their jobs straight over the network (port 9100 unless another is given), "
               "not through the spooler, and what they answer is read back: a printer error fails the operation "
               "with the printer's words, and --show-answer prints the whole answer. They live in the "
               "configuration file:\n"
               "  list    every direct printer with its address (the default)\n"
               "  add     a new direct printer (remove it first to change its address)\n"
               "  remove  a direct printer\n"
               "A name has 1 to 64 letters, digits, '_', '-' or '.', begins with a letter or a digit, and is not "
               "the name of a printer or a printer group (letter case ignored). An address is socket://, a host "
               "name or IP address (IPv6 in brackets) and an optional :PORT, nothing else. "
               "--printer socket://HOST[:PORT] sends to a printer that is not kept.",
           .options = {{"json", 0, "", "list: print JSON: direct (name, address)"}},
           .config = ConfigUse::Required,
           .operandWords = kActions,
           .maxOperands = 3,
           .validate = checkDirectLine,
           .run = runDirect}};
}
