// servers: the further print servers of the configuration file, whose
// queues the destination list offers as QUEUE@HOST[:PORT].
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "cli/cli_suggest.h"
#include "delivery/app_config.h"
#include "delivery/config_lock.h"
#include "delivery/print_servers.h"

namespace {
const std::vector<std::string> kActions{"list", "add", "remove"};

bool checkServersLine(const ParsedArgs& a) {
  const auto& pos = a.positionals();
  if (pos.empty()) return true;
  const std::string& action = pos[0];
  if (action == "list") return operandsFit("servers", pos, 1, 1);
  if (action == "add" || action == "remove") {
    if (!operandsFit("servers", pos, 2, 2)) return false;
    // Refused where it is typed: a name that is not host[:port] never
    // reaches the file or a connection.
    if (ServerCheck check = CheckServerName(pos[1]); !check.accepted()) {
      usageError("servers", cliShowable(check.message));
      return false;
    }
    return true;
  }
  usageError("servers", "'" + cliShowable(action) + "' is not one of list, add, remove" + didYouMean(action, kActions));
  return false;
}

int listServers(const ParsedArgs& a, const AppFileConfig& config) {
  const std::vector<ServerAddress> servers = ReadPrintServers(config);
  if (a.has("json")) {
    std::vector<std::string> names;
    for (const ServerAddress& s : servers) names.push_back(s.text());
    JsonWriter json;
    std::cout << json.beginObject().key("servers").value(names).endObject().str();
    return kExitOk;
  }
  for (const ServerAddress& s : servers) std::cout << s.text() << "\n";
  return kExitOk;
}

int runServers(const ParsedArgs& a, OpContext& ctx) {
  const auto& pos = a.positionals();
  const std::string action = pos.empty() ? "list" : pos[0];
  if (action == "list") {
    AppFileConfig config(kAppName, "", ctx.configFile);
    return listServers(a, config);
  }
  const ServerAddress server = *CheckServerName(pos[1]).address;
  // Reading the list and writing it back are one step under the lock.
  ConfigLock lock(resolveConfigFile(kAppName, ctx.configFile).fullPath);
  if (!lock.held()) {
    sayError(lock.error());
    return kExitFailed;
  }
  AppFileConfig config(kAppName, "", ctx.configFile);
  std::vector<ServerAddress> servers = ReadPrintServers(config);
  std::vector<ServerAddress> kept;
  for (const ServerAddress& s : servers)
    if (s.text() != server.text()) kept.push_back(s);
  if (action == "add") {
    if (kept.size() != servers.size()) {
      std::cout << "Print server " << server.text() << " is configured already\n";
      return kExitOk;
    }
    kept.push_back(server);
  } else if (kept.size() == servers.size()) {
    std::vector<std::string> names;
    for (const ServerAddress& s : servers) names.push_back(s.text());
    sayError("'" + server.text() + "' is not a configured print server" + didYouMean(server.text(), names));
    return kExitFailed;
  }
  if (!WritePrintServers(config, kept) || !config.save()) {
    sayError(config.saveError().empty() ? "cannot write '" + config.fullPath() + "'" : config.saveError());
    return kExitFailed;
  }
  std::cout << "Print server " << server.text() << (action == "add" ? " added" : " removed") << "\n";
  return kExitOk;
}
}  // namespace

std::vector<Command> serverCommands() {
  return {{.name = "servers",
           .summary = "list, add or remove further print servers",
           .usage = "[list] | add HOST[:PORT] | remove HOST[:PORT]",
           .description = "Further print servers offer their printers beside the local ones, as QUEUE@HOST or "
                          "QUEUE@HOST:PORT ('" + std::string(kProgramName) +
                          " printers' lists them). They live in the configuration file:\n"
                          "  list    the configured servers (the default)\n"
                          "  add     a server\n"
                          "  remove  a server\n"
                          "A server is a host name, an IPv4 address or an IPv6 address in brackets, with an "
                          "optional port (1 to 65535). A destination QUEUE@HOST[:PORT] or ipp://HOST[:PORT]/PATH can be given with --printer "
                          "without configuring anything.",
           .options = {{"json", 0, "", "list: print JSON: servers (names)"}},
           .config = ConfigUse::Required,
           .operandWords = kActions,
           .maxOperands = 2,
           .validate = checkServersLine,
           .run = runServers}};
}
