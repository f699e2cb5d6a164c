// printers
#include <iostream>

#include "cli/cli_command.h"
#include "delivery/app_config.h"
#include "delivery/printer_groups.h"
#include "delivery/spooler.h"

std::vector<Command> printerCommands() {
  Command printers{"printers",
                   "list the printers that take Tessel jobs, and the printer groups",
                   "[options]",
                   "Lists the destinations: printer queues that accept raw PostScript, then the\n"
                   "printer groups of the configuration (marked with \\\\\\).",
                   {{"config", 'c', "FILE", "configuration file instead of the installed quaymaster.ini"}},
                   false,
                   [](const ParsedArgs&, OpContext& ctx) {
                     AppFileConfig config(kAppName, "", ctx.configFile);
                     for (const std::string& d : BuildDestinationList(EnumeratePrinters(), ListPrinterGroups(config)))
                       std::cout << d << "\n";
                     return kExitOk;
                   }};
  return {printers};
}
