// delete, list
#include "cli/cli_command.h"
#include "ops/operations.h"

namespace {
// Index of word in choices, or -1.
int choiceIndex(const std::string& word, std::initializer_list<const char*> choices) {
  int i = 0;
  for (const char* c : choices) {
    if (word == c) return i;
    ++i;
  }
  return -1;
}
}  // namespace

std::vector<Command> printerFileCommands() {
  Command del{
      "delete",
      "delete Tessel, resources or one project's resources from the printer",
      "all | tessel | resources | project FOLDER PROJECT [options]",
      "Deletes from the printer disk:\n"
      "  all        every Tessel file and every KX resource file\n"
      "  tessel     every Tessel file\n"
      "  resources  every KX resource file\n"
      "  project    the resource files of one KX project (and, unless excluded, the shared\n"
      "             resources recorded for it)",
      {{"no-folder-shared", 0, "", "project: keep folder-shared resources"},
       {"no-global-shared", 0, "", "project: keep global-shared resources"}},
      true,
      [](const ParsedArgs& a, OpContext& ctx) {
        const auto& pos = a.positionals();
        int item = pos.empty() ? -1 : choiceIndex(pos[0], {"all", "tessel", "resources", "project"});
        if (item < 0 || (item == 3 && pos.size() != 3) || (item != 3 && pos.size() != 1)) {
          return kExitUsage;
        }
        DeleteChoice c;
        c.item = item;
        if (item == 3) {
          c.folder = pos[1];
          c.project = pos[2];
        }
        c.noFolderShared = a.has("no-folder-shared");
        c.noGlobalShared = a.has("no-global-shared");
        return reportResult(deleteFiles(ctx, c));
      }};
  Command list{"list",
               "have the printer print a list of its files",
               "all | fonts | project FOLDER PROJECT [options]",
               "Has the printer print a list of:\n"
               "  all      its Tessel and KX resource files\n"
               "  fonts    its PostScript fonts\n"
               "  project  one KX project's resource files",
               {},
               true,
               [](const ParsedArgs& a, OpContext& ctx) {
                 const auto& pos = a.positionals();
                 int item = pos.empty() ? -1 : choiceIndex(pos[0], {"all", "fonts", "project"});
                 if (item < 0 || (item == 2 && pos.size() != 3) || (item != 2 && pos.size() != 1)) {
                   return kExitUsage;
                 }
                 ListChoice c;
                 c.item = item;
                 if (item == 2) {
                   c.folder = pos[1];
                   c.project = pos[2];
                 }
                 return reportResult(listPrinterFiles(ctx, c));
               }};
  return {del, list};
}
