// install, startup
#include "cli/cli_command.h"
#include "ops/operations.h"

std::vector<Command> tesselCommands() {
  Command install{
      .name = "install",
      .summary = "install Tessel on the printer",
      .usage = "[options]",
      .description = "Installs Tessel on the destination printer or group: the built-in Tessel or the local "
                     "Tessel folder of the configuration (or of --tessel / --builtin-tessel).",
      .options = {{"auto-start", 'a', "", "start Tessel automatically when the printer is powered on"},
                  {"keep", 'k', "", "keep Tessel in the printer's memory (needs --auto-start)"},
                  {"error-handler", 0, "", "use Tessel's own PostScript error handler"}},
      .sendsJob = true,
      .config = ConfigUse::Optional,
      .tessel = TesselUse::Tessel,
      .validate =
          [](const ParsedArgs& a) {
            if (a.has("keep") && !a.has("auto-start")) {
              usageError("install", "--keep needs --auto-start (Tessel stays in memory when it starts at power-on)");
              return false;
            }
            return true;
          },
      .run =
          [](const ParsedArgs& a, OpContext& ctx) {
            InstallChoice c{a.has("auto-start"), a.has("keep"), a.has("error-handler")};
            return reportResult(a, installTessel(ctx, c));
          }};
  Command startup{.name = "startup",
                  .summary = "start Tessel on the printer",
                  .usage = "[options]",
                  .description = "Starts an installed Tessel on the destination printer or group.",
                  .options = {{"keep", 'k', "", "keep Tessel in the printer's memory"}},
                  .sendsJob = true,
                  .config = ConfigUse::Optional,
                  .run = [](const ParsedArgs& a, OpContext& ctx) {
                    return reportResult(a, startupTessel(ctx, StartupChoice{a.has("keep")}));
                  }};
  return {install, startup};
}
