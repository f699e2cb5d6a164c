// delete, list
#include "cli/cli_command.h"
#include "ops/operations.h"

namespace {
// The arguments "CHOICE" or, for the last choice, "project FOLDER PROJECT":
// the choice's index, or -1 when the arguments do not fit.
int parseChoice(const std::vector<std::string>& pos, std::initializer_list<const char*> choices,
                std::string& folder, std::string& project) {
  if (pos.empty()) return -1;
  int item = 0;
  for (const char* c : choices) {
    if (pos[0] == c) break;
    ++item;
  }
  int projectItem = static_cast<int>(choices.size()) - 1;
  if (item > projectItem || pos.size() != (item == projectItem ? 3u : 1u)) return -1;
  if (item == projectItem) {
    folder = pos[1];
    project = pos[2];
  }
  return item;
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
        DeleteChoice c;
        c.item = parseChoice(a.positionals(), {"all", "tessel", "resources", "project"}, c.folder, c.project);
        if (c.item < 0) return kExitUsage;
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
                 ListChoice c;
                 c.item = parseChoice(a.positionals(), {"all", "fonts", "project"}, c.folder, c.project);
                 if (c.item < 0) return kExitUsage;
                 return reportResult(listPrinterFiles(ctx, c));
               }};
  return {del, list};
}
