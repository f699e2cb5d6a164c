// delete, list
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "cli/cli_listing.h"
#include "cli/cli_suggest.h"
#include "delivery/printer_listing.h"
#include "delivery/send_job.h"
#include "ops/operations.h"
#include "ops/two_way_members.h"

namespace {
// The arguments "CHOICE" or, for the last choice, "project FOLDER PROJECT":
// the choice's index, or -1 after a usage error.
int parseChoice(const std::string& command, const std::vector<std::string>& pos,
                const std::vector<std::string>& choices, std::string& folder, std::string& project) {
  int item = 0;
  while (item < static_cast<int>(choices.size()) && choices[static_cast<std::size_t>(item)] != pos[0]) ++item;
  if (item == static_cast<int>(choices.size())) {
    std::string all;
    for (const std::string& c : choices) all += (all.empty() ? "" : ", ") + c;
    usageError(command, "'" + pos[0] + "' is not one of " + all + didYouMean(pos[0], choices));
    return -1;
  }
  const bool isProject = item + 1 == static_cast<int>(choices.size());
  if (!operandsFit(command, pos, isProject ? 3 : 1, isProject ? 3 : 1)) return -1;
  if (isProject) {
    folder = pos[1];
    project = pos[2];
    if (folder.empty() || project.empty()) {
      usageError(command, std::string(folder.empty() ? "the folder name" : "the project name") + " is empty");
      return -1;
    }
  }
  return item;
}

const std::vector<std::string> kDeleteChoices{"all", "tessel", "resources", "project"};
const std::vector<std::string> kListChoices{"all", "fonts", "project"};

// The listings two-way printers wrote back, after the send's own report:
// a table each, or one JSON object (for a group: its printers, each with
// its listing). An incomplete listing fails the command.
int reportListings(const ParsedArgs& a, const OpContext& ctx, const OpResult& r) {
  const bool json = a.has("json");
  int status = kExitOk;
  if (!json || !r.ok()) status = reportResult(a, r);
  std::string entries;
  std::string single;
  for (const auto& reply : r.outcome.answers) {
    const PrinterListing listing = parsePrinterListing(reply.answer.kept);
    if (!listing.complete) {
      sayError(reply.printer + ": the listing is incomplete");
      status = kExitFailed;
    }
    if (!json) {
      std::cout << "\n" << cliShowable(reply.printer) << ":\n" << listingTable(listing);
      continue;
    }
    single = listingJson(listing);
    if (!entries.empty()) entries += ",\n";
    entries += "{\"printer\": " + jsonString(reply.printer) + ", \"listing\": " +
               single.substr(0, single.size() - 1) + "}";  // without its line end
  }
  if (json && isGroupTarget(ctx.destination)) {
    std::cout << "{\"printers\": [" << entries << "]}\n";
  } else if (json) {
    std::cout << single;
  }
  std::cout << std::flush;
  return status;
}

std::string destinationWords(const OpContext& ctx) {
  return isGroupTarget(ctx.destination) ? "every printer of group " + stripGroupMarker(ctx.destination)
                                        : "printer " + ctx.destination;
}
}  // namespace

std::vector<Command> printerFileCommands() {
  Command del{
      .name = "delete",
      .summary = "delete Tessel, resources or one project's resources from the printer",
      .usage = "all | tessel | resources | project FOLDER PROJECT [options]",
      .description = "Deletes from the printer disk:\n"
                     "  all        every Tessel file and every KX resource file\n"
                     "  tessel     every Tessel file\n"
                     "  resources  every KX resource file\n"
                     "  project    the resource files of one KX project (and, unless excluded, the\n"
                     "             shared resources recorded for it)\n"
                     "On a terminal it asks before sending the job.",
      .options = {{"no-folder-shared", 0, "", "project: keep folder-shared resources"},
                  {"no-global-shared", 0, "", "project: keep global-shared resources"},
                  {"yes", 'y', "", "do not ask for confirmation"}},
      .sendsJob = true,
      .config = ConfigUse::Optional,
      .operandWords = kDeleteChoices,
      .minOperands = 1,
      .maxOperands = 3,
      .validate =
          [](const ParsedArgs& a) {
            std::string folder, project;
            int item = parseChoice("delete", a.positionals(), kDeleteChoices, folder, project);
            if (item < 0) return false;
            if (item != 3 && (a.has("no-folder-shared") || a.has("no-global-shared"))) {
              usageError("delete", "--no-folder-shared and --no-global-shared go with 'delete project'");
              return false;
            }
            return true;
          },
      .run =
          [](const ParsedArgs& a, OpContext& ctx) {
            DeleteChoice c;
            c.item = static_cast<DeleteItem>(
                parseChoice("delete", a.positionals(), kDeleteChoices, c.folder, c.project));
            c.noFolderShared = a.has("no-folder-shared");
            c.noGlobalShared = a.has("no-global-shared");
            if (!ctx.destination.empty() && !a.has("yes") &&
                !confirm("delete " + describeDeletion(c) + " from " + destinationWords(ctx) + "?")) {
              sayError("nothing deleted");
              return kExitFailed;
            }
            return reportResult(a, deleteFiles(ctx, c));
          }};
  Command list{.name = "list",
               .summary = "have the printer print a list of its files",
               .usage = "all | fonts | project FOLDER PROJECT [options]",
               .description = "Has the printer print a list of:\n"
                              "  all      its Tessel and KX resource files\n"
                              "  fonts    its PostScript fonts\n"
                              "  project  one KX project's resource files\n"
                              "A two-way printer (a direct printer, a socket:// address, or a group holding\n"
                              "them) also writes the listing back; it is shown as a table per printer. An\n"
                              "incomplete listing fails the command.",
               .options = {{"json", 0, "", "two-way printers: give the listing as JSON"},
                           {"no-page", 0, "", "two-way printers: leave out the printed page"}},
               .sendsJob = true,
               .config = ConfigUse::Optional,
               .operandWords = kListChoices,
               .minOperands = 1,
               .maxOperands = 3,
               .validate =
                   [](const ParsedArgs& a) {
                     std::string folder, project;
                     return parseChoice("list", a.positionals(), kListChoices, folder, project) >= 0;
                   },
               .run = [](const ParsedArgs& a, OpContext& ctx) {
                 ListChoice c;
                 c.item = static_cast<ListItem>(parseChoice("list", a.positionals(), kListChoices, c.folder, c.project));
                 const TwoWayReach reach = twoWayReach(destinationMembers(ctx));
                 // A queue of the group would get neither the page nor the
                 // listing.
                 if (a.has("no-page") && reach != TwoWayReach::All)
                   return usageError("list", "--no-page is for two-way printers only");
                 if (a.has("json") && reach == TwoWayReach::None)
                   return usageError("list", "--json is for two-way printers only");
                 if (reach == TwoWayReach::None) return reportResult(a, listPrinterFiles(ctx, c));
                 c.answerOnConnection = true;
                 c.printedPage = !a.has("no-page");
                 return reportListings(a, ctx, listPrinterFiles(ctx, c));
               }};
  return {del, list};
}
