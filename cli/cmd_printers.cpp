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
#include "delivery/unavailable_printers.h"

std::vector<Command> printerCommands() {
  Command printers{
      .name = "printers",
      .summary = "list the printers that take Tessel jobs, and the printer groups",
      .usage = "[options]",
      .description = "Lists the destinations: the printers whose queues take raw PostScript, then those of the "
                     "print servers of the configuration ('QUEUE@HOST', see servers), then the printer "
                     "groups of the configuration (marked with \\\\\\), then its direct printers. The printers "
                     "of a server that does not answer that the groups or the send history name are listed "
                     "after its other queues, marked '(unavailable)'. Without a configuration file only the "
                     "printers are listed.",
      .options = {{"json", 0, "", "print JSON: printers (names), serverPrinters (names), unavailableServers (names), "
                                   "unavailablePrinters (name, server, reason), groups (name, members), "
                                   "direct (name, address)"}},
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
          AddUnavailablePrinters(remote, config, ctx.historyFile);
        }
        for (const UnreachableServer& u : remote.unreachable)
          sayError("print server " + u.server + " is unavailable: " + cliShowable(u.reason));
        if (a.has("json")) {
          std::vector<std::string> unreachable;
          for (const UnreachableServer& u : remote.unreachable) unreachable.push_back(u.server);
          JsonWriter json;
          json.beginObject().key("printers").value(printers);
          json.key("serverPrinters").value(remote.printers).key("unavailableServers").value(unreachable);
          json.key("unavailablePrinters").beginArray();
          for (const UnavailablePrinter& p : remote.unavailablePrinters)
            json.beginObject().key("name").value(p.printer).key("server").value(p.server).key("reason")
                .value(p.reason).endObject();
          json.endArray();
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
        std::vector<std::string> serverPrinters = remote.printers;
        for (const UnavailablePrinter& p : remote.unavailablePrinters) serverPrinters.push_back(p.printer);
        // The group marker stays as the desktop shows it; only the name is escaped.
        for (const std::string& d : BuildDestinationList(printers, serverPrinters, groups, direct))
          std::cout << (isGroupTarget(d) ? kGroupMarker + cliShowable(stripGroupMarker(d)) : cliShowable(d))
                    << (isUnavailablePrinter(remote, d) ? "  (unavailable)" : "") << "\n";
        return kExitOk;
      }};
  return {printers};
}
