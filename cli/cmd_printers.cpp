// printers
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "delivery/app_config.h"
#include "delivery/direct_printer.h"
#include "delivery/network_spooler.h"
#include "delivery/print_servers.h"
#include "delivery/printer_groups.h"
#include "delivery/send_job.h"

std::vector<Command> printerCommands() {
  Command printers{
      .name = "printers",
      .summary = "list the printers that take Tessel jobs, and the printer groups",
      .usage = "[options]",
      .description = "Lists the destinations: the printers whose queues take raw PostScript, then those of the "
                     "print servers of the configuration ('QUEUE@HOST', see servers), then the printer "
                     "groups of the configuration (marked with \\\\\\), then its direct printers. Without a "
                     "configuration file only the printers are listed.",
      .options = {{"json", 0, "", "print JSON: printers (names), serverPrinters (names), unavailableServers (names), "
                                   "groups (name, members), direct (name, address)"}},
      .config = ConfigUse::Optional,
      .run = [](const ParsedArgs& a, OpContext& ctx) {
        std::vector<std::string> printers;
        if (!offeredPrinters(printers)) return kExitFailed;
        std::vector<std::string> groups;
        std::vector<std::string> direct;
        if (!ctx.configFile.empty()) {
          AppFileConfig config(kAppName, "", ctx.configFile);
          groups = ListPrinterGroups(config);
          direct = ListDirectPrinters(config);
        }
        // The configured servers' queues come after the local ones; a
        // server that does not answer is named once, with the reason.
        ServerPrinters remote;
        if (!ctx.configFile.empty()) {
          AppFileConfig config(kAppName, "", ctx.configFile);
          remote = EnumerateServerPrinters(ReadPrintServers(config));
        }
        for (const UnreachableServer& u : remote.unreachable)
          sayError("print server " + u.server + " is unavailable: " + cliShowable(u.reason));
        if (a.has("json")) {
          std::vector<std::string> unreachable;
          for (const UnreachableServer& u : remote.unreachable) unreachable.push_back(u.server);
          JsonWriter json;
          json.beginObject().key("printers").value(printers);
          json.key("serverPrinters").value(remote.printers).key("unavailableServers").value(unreachable);
          json.key("groups").beginArray();
          for (const std::string& g : groups) {
            AppFileConfig config(kAppName, "", ctx.configFile);
            json.beginObject().key("name").value(g).key("members").value(ReadPrinterGroup(config, g)).endObject();
          }
          json.endArray().key("direct").beginArray();
          for (const std::string& d : direct) {
            AppFileConfig config(kAppName, "", ctx.configFile);
            std::optional<DirectAddress> address = ReadDirectPrinter(config, d);
            json.beginObject().key("name").value(d).key("address").value(address ? address->uri() : "").endObject();
          }
          std::cout << json.endArray().endObject().str();
          return kExitOk;
        }
        if (printers.empty()) sayError("no printer takes Tessel jobs (none has a queue that takes raw PostScript)");
        // The group marker stays as the desktop shows it; only the name is escaped.
        for (const std::string& d : BuildDestinationList(printers, remote.printers, groups, direct))
          std::cout << (isGroupTarget(d) ? kGroupMarker + cliShowable(stripGroupMarker(d)) : cliShowable(d)) << "\n";
        return kExitOk;
      }};
  return {printers};
}
