// load-files, remove-files, send-file, load-fonts
#include <iostream>

#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "ops/legacy_lists.h"
#include "ops/operations.h"

namespace {
// The same words for a missing local file in every command.
bool reportMissing(const std::string& what, const std::string& path) {
  if (path.empty()) {
    sayError("an empty " + what + " name");
    return true;
  }
  if (sdkIsDirectory(path.c_str())) {
    sayError("'" + path + "' is a folder, not a " + what);
    return true;
  }
  if (!sdkFileExists(path.c_str())) {
    sayError("the " + what + " '" + path + "' does not exist");
    return true;
  }
  return false;
}

int loadFiles(const ParsedArgs& a, OpContext& ctx) {
  LegacyLoadList list;
  bool guessed = false;
  for (const std::string& arg : a.positionals()) {
    const auto eq = arg.find('=');
    const std::string local = arg.substr(0, eq);
    if (reportMissing("file", local)) return kExitFailed;
    std::string message;
    if (eq == std::string::npos) {
      bool recognised = true;
      message = list.add(local, recognised);
      guessed = guessed || !recognised;
    } else {
      message = list.put(local, arg.substr(eq + 1));
    }
    if (!message.empty()) {
      sayError(oneLine(message));
      return kExitFailed;
    }
  }
  for (const auto& [local, printer] : list.rows()) std::cerr << cliShowable(local + " -> " + printer) << std::endl;
  if (guessed)
    sayError("some printer names above are only guessed from the file's extension; give FILE=PRINTER-NAME to "
             "choose them");
  return reportResult(a, loadLegacyFiles(ctx, list.rows()));
}

int loadFontFiles(const ParsedArgs& a, OpContext& ctx) {
  FontList list;
  bool failed = false;
  for (const std::string& f : a.positionals()) {
    if (reportMissing("font file", f)) {
      failed = true;
      continue;
    }
    if (std::string message = list.add(f); !message.empty()) {
      sayError(oneLine(message));
      failed = true;
    }
  }
  // Nothing is sent unless every font could be read.
  if (failed) return kExitFailed;
  for (const auto& [file, name] : list.rows()) std::cerr << cliShowable(file + " -> " + name) << std::endl;
  return reportResult(a, loadFonts(ctx, list.files()));
}
}  // namespace

std::vector<Command> legacyCommands() {
  Command load{.name = "load-files",
               .summary = "load loose (legacy) files onto the printer",
               .usage = "FILE[=PRINTER-NAME]... [options]",
               .description = "Loads local files onto the printer disk. Without =PRINTER-NAME the printer name is "
                              "derived from the file's folder (formlib, imglib, ...) or its extension.",
               .sendsJob = true,
               .config = ConfigUse::Optional,
               .operandHint = ValueHint::File,
               .minOperands = 1,
               .maxOperands = kAnyNumber,
               .run = loadFiles};
  Command remove{.name = "remove-files",
                 .summary = "remove files from the printer by name or pattern",
                 .usage = "PRINTER-NAME... [options]",
                 .description = "Removes printer files by name; \"*\", \"?\" and [sets] match like the printer does.",
                 .sendsJob = true,
                 .config = ConfigUse::Optional,
                 .minOperands = 1,
                 .maxOperands = kAnyNumber,
                 .run = [](const ParsedArgs& a, OpContext& ctx) {
                   LegacyRemovalList list;
                   for (const std::string& n : a.positionals()) list.put(n);
                   return reportResult(a, removeLegacyFiles(ctx, list.rows()));
                 }};
  Command send{.name = "send-file",
               .summary = "send a submission file to the printer unchanged",
               .usage = "FILE [options]",
               .description = "Sends a submission file to the destination as it is.",
               .sendsJob = true,
               .config = ConfigUse::Optional,
               .operandHint = ValueHint::File,
               .minOperands = 1,
               .maxOperands = 1,
               .run = [](const ParsedArgs& a, OpContext& ctx) {
                 if (reportMissing("submission file", a.positionals()[0])) return kExitFailed;
                 return reportResult(a, sendSubmissionFile(ctx, a.positionals()[0]));
               }};
  Command fonts{.name = "load-fonts",
                .summary = "load PostScript Type 1 fonts (PFA or PFB) onto the printer",
                .usage = "FONT-FILE... [options]",
                .description = "Loads PostScript fonts; each is stored under its own font name.",
                .sendsJob = true,
                .config = ConfigUse::Optional,
                .operandHint = ValueHint::File,
                .minOperands = 1,
                .maxOperands = kAnyNumber,
                .run = loadFontFiles};
  return {load, remove, send, fonts};
}
