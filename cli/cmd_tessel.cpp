// install, startup
#include "cli/cli_command.h"
#include "ops/operations.h"

std::vector<Command> tesselCommands() {
  Command install{
      "install",
      "install Tessel on the printer",
      "[options]",
      "Installs Tessel on the destination printer or group: the built-in Tessel or the local\n"
      "Tessel folder of the configuration (or of --tessel / --builtin-tessel).",
      {{"auto-start", 'a', "", "start Tessel automatically when the printer is powered on"},
       {"keep", 'k', "", "keep Tessel in the printer's memory (with --auto-start)"},
       {"error-handler", 'e', "", "use Tessel's own PostScript error handler"}},
      true,
      [](const ParsedArgs& a, OpContext& ctx) {
        InstallChoice c{a.has("auto-start"), a.has("keep"), a.has("error-handler")};
        return reportResult(installTessel(ctx, c));
      }};
  Command startup{"startup",
                  "start Tessel on the printer",
                  "[options]",
                  "Starts an installed Tessel on the destination printer or group.",
                  {{"keep", 'k', "", "keep Tessel in the printer's memory"}},
                  true,
                  [](const ParsedArgs& a, OpContext& ctx) {
                    return reportResult(startupTessel(ctx, StartupChoice{a.has("keep")}));
                  }};
  return {install, startup};
}
