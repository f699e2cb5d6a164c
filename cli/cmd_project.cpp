// load-project, list-project, send-container
#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "ops/operations.h"

namespace {
const OptionDef kNoFolderShared{"no-folder-shared", 0, "", "leave out folder-shared resources"};
const OptionDef kNoGlobalShared{"no-global-shared", 0, "", "leave out global-shared resources"};

bool checkSendContainer(const ParsedArgs& a) {
  auto refuse = [](const std::string& message) {
    usageError("send-container", message);
    return false;
  };
  int first = 0, last = 0;
  if (a.has("pages") && !parsePageRange(a.value("pages"), first, last))
    return refuse("--pages: '" + a.value("pages") + "' is not a page range; give FIRST-LAST, e.g. 3-7");
  if (a.has("external") && a.has("submission")) return refuse("give either --submission or --external, not both");
  const std::string resources = a.value("resources", "stored");
  if (a.has("keep") && !a.has("embed-tessel") && resources != "included")
    return refuse("--keep needs --embed-tessel or --resources included (something to keep)");
  if (a.has("no-overwrite") && resources != "deploy") return refuse("--no-overwrite needs --resources deploy");
  if ((a.has("no-folder-shared") || a.has("no-global-shared")) && resources == "stored")
    return refuse("--no-folder-shared and --no-global-shared need --resources included or deploy");
  return true;
}

int sendContainerRun(const ParsedArgs& a, OpContext& ctx) {
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
    parsePageRange(a.value("pages"), c.firstPage, c.lastPage);
  }
  const std::string mode = a.value("resources", "stored");
  c.resources = mode == "included" ? ContainerResources::Included
                : mode == "deploy"  ? ContainerResources::IncludedAndStored
                                    : ContainerResources::OnPrinter;
  c.embedTessel = a.has("embed-tessel");
  c.noFolderShared = a.has("no-folder-shared");
  c.noGlobalShared = a.has("no-global-shared");
  c.noOverwrite = a.has("no-overwrite");
  c.keepInMemory = a.has("keep");
  const bool printAll = a.value("if-bad-range", "stop") == "print-all";
  OpResult r = sendContainer(ctx, c, [&] {
    if (printAll) sayError("Invalid page range " + a.value("pages") + "; printing every page (--if-bad-range)");
    return printAll;
  });
  if (r.kind == OpResult::Kind::Cancelled)
    r.message = "Invalid page range " + a.value("pages") + "; nothing sent (--if-bad-range print-all prints every page)";
  return reportResult(a, r);
}
}  // namespace

std::vector<Command> projectCommands() {
  Command load{
      .name = "load-project",
      .summary = "load a KX project's resources onto the printer",
      .usage = "PROJECT.kpf|PROJECT.kpc [options]",
      .description = "Loads the resources of a KX project (project file or container) to their places on the "
                     "printer disk. Without --resource every resource is loaded.",
      .options = {{"resource", 'r', "NAME", "load only this resource (repeatable; wildcards allowed)"},
                  kNoFolderShared,
                  kNoGlobalShared,
                  {"no-overwrite", 'n', "", "keep resources that already exist on the printer"}},
      .sendsJob = true,
      .config = ConfigUse::Optional,
      .tessel = TesselUse::TesselWithStub,
      .operandHint = ValueHint::File,
      .minOperands = 1,
      .maxOperands = 1,
      .run =
          [](const ParsedArgs& a, OpContext& ctx) {
            LoadProjectChoice c;
            c.projectPath = a.positionals()[0];
            c.checkedNames = a.values("resource");
            c.noFolderShared = a.has("no-folder-shared");
            c.noGlobalShared = a.has("no-global-shared");
            c.noOverwrite = a.has("no-overwrite");
            const int status = reportResult(a, loadProjectResources(ctx, c));
            // What the load left out, by name.
            if (status == kExitOk && c.checkedNames.empty())
              for (const std::string& warning : letterCaseWarnings(ctx, c.projectPath)) sayError("WARNING: " + warning);
            return status;
          }};
  Command list{
      .name = "list-project",
      .summary = "list a KX project's resources (type and local path)",
      .usage = "PROJECT.kpf|PROJECT.kpc [options]",
      .description = "Prints one line per resource: its type and its local file.",
      .options = {{"with-submissions", 0, "", "include the submission files"},
                  {"json", 0, "", "print JSON: project, resources (type, path, name)"}},
      .config = ConfigUse::Optional,
      .tessel = TesselUse::TesselWithStub,
      .operandHint = ValueHint::File,
      .minOperands = 1,
      .maxOperands = 1,
      .run =
          [](const ParsedArgs& a, OpContext& ctx) {
            const std::string project = a.positionals()[0];
            ProjectListing l = listProjectResources(ctx, project, a.has("with-submissions"));
            if (!l.result.message.empty()) return reportResult(a, l.result);
            clearProgressLine();
            if (a.has("json")) {
              JsonWriter json;
              json.beginObject().key("project").value(project).key("resources").beginArray();
              for (const ProjectResource& r : l.resources)
                json.beginObject().key("type").value(r.type).key("path").value(r.path).key("name").value(r.name)
                    .endObject();
              std::cout << json.endArray().endObject().str();
              return kExitOk;
            }
            for (const ProjectResource& r : l.resources) std::cout << cliShowable(r.type + " " + r.path) << "\n";
            return kExitOk;
          }};
  Command send{
      .name = "send-container",
      .summary = "send a printable container (self-contained data stream) of a project",
      .usage = "PROJECT.kpf|PROJECT.kpc [options]",
      .description = "Builds one data stream that prints a submission file of the project with what it needs, "
                     "and sends it.",
      .options = {{"submission", 0, "NAME", "the project's submission file to print (default: the project's own)"},
                  {"external", 0, "FILE", "print this external submission file instead", {}, ValueHint::File},
                  {"pages", 0, "FIRST-LAST", "print only these pages"},
                  {"if-bad-range", 0, "ACTION", "when the page range is invalid: stop (default) or print-all",
                   {"stop", "print-all"}},
                  {"embed-tessel", 'e', "", "embed Tessel in the data stream"},
                  {"resources", 0, "WHERE",
                   "stored: the project resources are already on the printer (default); included: in the stream; "
                   "deploy: in the stream and stored on the printer",
                   {"stored", "included", "deploy"}},
                  kNoFolderShared,
                  kNoGlobalShared,
                  {"no-overwrite", 'n', "", "deploy: keep resources that already exist on the printer"},
                  {"keep", 'k', "", "keep the included Tessel and resources in the printer's memory"}},
      .sendsJob = true,
      .config = ConfigUse::Optional,
      .tessel = TesselUse::TesselWithStub,
      .operandHint = ValueHint::File,
      .minOperands = 1,
      .maxOperands = 1,
      .validate = checkSendContainer,
      .run = sendContainerRun};
  return {load, list, send};
}
