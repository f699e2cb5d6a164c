// load-project, list-project, send-container
#include <cstdlib>
#include <iostream>

#include "cli/cli_command.h"
#include "ops/operations.h"

namespace {
// "FIRST-LAST" into two numbers; false when it is not of that form.
bool parsePageRange(const std::string& text, int& first, int& last) {
  auto dash = text.find('-');
  if (dash == std::string::npos || dash == 0 || dash + 1 >= text.size()) return false;
  char* end = nullptr;
  long f = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + dash) return false;
  long l = std::strtol(text.c_str() + dash + 1, &end, 10);
  if (*end != '\0') return false;
  first = static_cast<int>(f);
  last = static_cast<int>(l);
  return true;
}
}  // namespace

std::vector<Command> projectCommands() {
  Command load{
      "load-project",
      "load a KX project's resources onto the printer",
      "PROJECT.kpf|PROJECT.kpc [options]",
      "Loads the resources of a KX project (project file or container) to their places on\n"
      "the printer disk. Without --resource every resource is loaded.",
      {{"resource", 'r', "NAME", "load only this resource (repeatable; wildcards allowed)"},
       {"no-folder-shared", 0, "", "leave out folder-shared resources"},
       {"no-global-shared", 0, "", "leave out global-shared resources"},
       {"no-overwrite", 'n', "", "keep resources that already exist on the printer"}},
      true,
      [](const ParsedArgs& a, OpContext& ctx) {
        if (a.positionals().size() != 1) return kExitUsage;
        LoadProjectChoice c;
        c.projectPath = a.positionals()[0];
        c.checkedNames = a.values("resource");
        c.noFolderShared = a.has("no-folder-shared");
        c.noGlobalShared = a.has("no-global-shared");
        c.noOverwrite = a.has("no-overwrite");
        return reportResult(loadProjectResources(ctx, c));
      }};
  Command list{"list-project",
               "list a KX project's resources (type and local path)",
               "PROJECT.kpf|PROJECT.kpc [options]",
               "Prints one line per resource: its type and its local file.",
               {{"submission", 0, "", "include the submission files"},
                {"config", 'c', "FILE", "configuration file instead of the installed quaymaster.ini"}},
               false,
               [](const ParsedArgs& a, OpContext& ctx) {
                 if (a.positionals().size() != 1) return kExitUsage;
                 ProjectListing l = listProjectResources(ctx, a.positionals()[0], a.has("submission"));
                 if (!l.result.message.empty()) return reportResult(l.result);
                 for (const ProjectResource& r : l.resources) std::cout << r.type << " " << r.path << "\n";
                 return kExitOk;
               }};
  Command send{
      "send-container",
      "send a printable container (self-contained data stream) of a project",
      "PROJECT.kpf|PROJECT.kpc [options]",
      "Builds one data stream that prints a submission file of the project with what it\n"
      "needs, and sends it.",
      {{"submission", 0, "NAME", "the project's submission file to print (default: the project's own)"},
       {"external", 0, "FILE", "print this external submission file instead"},
       {"pages", 0, "FIRST-LAST", "print only these pages"},
       {"if-bad-range", 0, "print-all|stop", "when the page range is invalid (default: stop)"},
       {"embed-tessel", 'e', "", "embed Tessel in the data stream"},
       {"resources", 0, "stored|included|deploy",
        "the project resources are already on the printer (default), included in the stream,\n"
        "                              or included and also stored on the printer"},
       {"no-folder-shared", 0, "", "leave out folder-shared resources"},
       {"no-global-shared", 0, "", "leave out global-shared resources"},
       {"no-overwrite", 'n', "", "deploy: keep resources that already exist on the printer"},
       {"keep", 'k', "", "keep the included Tessel and resources in the printer's memory"}},
      true,
      [](const ParsedArgs& a, OpContext& ctx) {
        if (a.positionals().size() != 1) return kExitUsage;
        SendContainerChoice c;
        c.projectPath = a.positionals()[0];
        if (a.has("external")) {
          c.externalSubmission = true;
          c.submission = a.value("external");
        } else {
          c.submission = a.value("submission");
        }
        if (a.has("pages")) {
          c.pageRange = true;
          if (!parsePageRange(a.value("pages"), c.firstPage, c.lastPage)) {
            sayError("--pages takes FIRST-LAST, e.g. 3-7");
            return kExitUsage;
          }
        }
        std::string mode = a.value("resources", "stored");
        if (mode == "stored") {
          c.resources = 0;
        } else if (mode == "included") {
          c.resources = 1;
        } else if (mode == "deploy") {
          c.resources = 2;
        } else {
          sayError("--resources takes stored, included or deploy");
          return kExitUsage;
        }
        c.embedTessel = a.has("embed-tessel");
        c.noFolderShared = a.has("no-folder-shared");
        c.noGlobalShared = a.has("no-global-shared");
        c.noOverwrite = a.has("no-overwrite");
        c.keepInMemory = a.has("keep");
        std::string badRange = a.value("if-bad-range", "stop");
        OpResult r = sendContainer(ctx, c, [&] {
          std::cerr << "Invalid page range." << std::endl;
          return badRange == "print-all";
        });
        if (r.kind == OpResult::Kind::Cancelled) r.message = "Invalid page range; nothing sent.";
        return reportResult(r);
      }};
  return {load, list, send};
}
