// load-files, remove-files, send-file, load-fonts
#include <iostream>

#include "cli/cli_command.h"
#include "ops/legacy_lists.h"
#include "ops/operations.h"

std::vector<Command> legacyCommands() {
  Command load{
      "load-files",
      "load loose (legacy) files onto the printer",
      "FILE[=PRINTER-NAME]... [options]",
      "Loads local files onto the printer disk. Without =PRINTER-NAME the printer name is\n"
      "derived from the file's folder (formlib, imglib, ...) or its extension.",
      {},
      true,
      [](const ParsedArgs& a, OpContext& ctx) {
        if (a.positionals().empty()) return kExitUsage;
        LegacyLoadList list;
        bool guessed = false;
        for (const std::string& arg : a.positionals()) {
          std::string message;
          auto eq = arg.find('=');
          if (eq == std::string::npos) {
            bool recognised = true;
            message = list.add(arg, recognised);
            guessed = guessed || (!recognised && message.empty());
          } else {
            message = list.put(arg.substr(0, eq), arg.substr(eq + 1));
          }
          if (!message.empty()) {
            sayError(message);
            return kExitFailed;
          }
        }
        if (guessed) std::cerr << unrecognisedNamesNotice() << std::endl;
        for (const auto& [local, printer] : list.rows()) std::cerr << local << " -> " << printer << std::endl;
        return reportResult(loadLegacyFiles(ctx, list.rows()));
      }};
  Command remove{"remove-files",
                 "remove files from the printer by name or pattern",
                 "PRINTER-NAME... [options]",
                 "Removes printer files by name; \"*\", \"?\" and [sets] match like the printer does.",
                 {},
                 true,
                 [](const ParsedArgs& a, OpContext& ctx) {
                   if (a.positionals().empty()) return kExitUsage;
                   LegacyRemovalList list;
                   for (const std::string& n : a.positionals()) list.put(n);
                   return reportResult(removeLegacyFiles(ctx, list.rows()));
                 }};
  Command send{"send-file",
               "send a submission file to the printer unchanged",
               "FILE [options]",
               "Sends a submission file to the destination as it is.",
               {},
               true,
               [](const ParsedArgs& a, OpContext& ctx) {
                 if (a.positionals().size() != 1) return kExitUsage;
                 return reportResult(sendSubmissionFile(ctx, a.positionals()[0]));
               }};
  Command fonts{"load-fonts",
                "load PostScript Type 1 fonts (PFA or PFB) onto the printer",
                "FONT-FILE... [options]",
                "Loads PostScript fonts; each is stored under its own font name.",
                {},
                true,
                [](const ParsedArgs& a, OpContext& ctx) {
                  if (a.positionals().empty()) return kExitUsage;
                  FontList list;
                  int status = kExitOk;
                  for (const std::string& f : a.positionals()) {
                    std::string message = list.add(f);
                    if (!message.empty()) {
                      sayError(message);
                      status = kExitFailed;
                    }
                  }
                  for (const auto& [file, name] : list.rows()) std::cerr << file << " -> " << name << std::endl;
                  int sent = reportResult(loadFonts(ctx, list.files()));
                  return sent != kExitOk ? sent : status;
                }};
  return {load, remove, send, fonts};
}
