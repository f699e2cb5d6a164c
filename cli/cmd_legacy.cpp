// load-files, remove-files, send-file, load-fonts
#include <iostream>
#include <optional>

#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "krmsdk/krm_printer_names.h"
#include "krmsdk/krm_wildcard.h"
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

// An operand of load-files. One that names an existing file (or folder)
// is that file, whatever its name holds: a received file called
// "a=Sys/Start" must not become file "a" under the printer name
// "Sys/Start". Otherwise FILE=PRINTER-NAME splits at the first "=" that
// follows an existing file's name, else at the first "=".
struct LoadOperand {
  std::string local;
  std::optional<std::string> printerName;
};
LoadOperand splitLoadOperand(const std::string& arg) {
  if (sdkFileExists(arg.c_str())) return {arg, std::nullopt};
  for (auto eq = arg.find('='); eq != std::string::npos; eq = arg.find('=', eq + 1)) {
    const std::string local = arg.substr(0, eq);
    if (sdkFileExists(local.c_str()) && !sdkIsDirectory(local.c_str())) return {local, arg.substr(eq + 1)};
  }
  const auto eq = arg.find('=');
  if (eq == std::string::npos) return {arg, std::nullopt};
  return {arg.substr(0, eq), arg.substr(eq + 1)};
}

// A name for a message, cut so that a 1024-byte name does not fill the
// screen; its control bytes are escaped where the message is printed.
std::string shownName(const std::string& name) {
  return name.size() > 160 ? name.substr(0, 160) + "..." : name;
}

// The start of a message about an operand's printer name.
std::string aboutName(const std::string& operand, const std::string& printerName) {
  return "'" + shownName(operand) + "': the printer name '" + shownName(printerName) + "' ";
}

// False, after the usage error naming the operand, for a printer name the
// printer would refuse.
bool printerTakesName(const std::string& command, const std::string& operand, const std::string& printerName) {
  const KrmNameFault fault = krmPrinterNameFault(printerName);
  if (fault == KrmNameFault::kNone) return true;
  usageError(command, aboutName(operand, printerName) + krmNameFaultText(fault) + ", which the printer refuses");
  return false;
}

// False, after the usage error, for a load that would replace one of the
// printer's own files when the operator did not ask for that.
bool systemNameAllowed(const std::string& operand, const std::string& local, const std::string& printerName,
                       bool allowSystemNames) {
  const KrmSystemArea area = systemAreaOfLoad(local, printerName);
  if (area == KrmSystemArea::kNone || allowSystemNames) return true;
  usageError("load-files", aboutName(operand, printerName) + "belongs to " + systemAreaWords(area) +
                               "; give --allow-system-names to load it there anyway");
  return false;
}

int loadFiles(const ParsedArgs& a, OpContext& ctx) {
  LegacyLoadList list;
  bool guessed = false;
  const bool allowSystemNames = a.has("allow-system-names");
  for (const std::string& arg : a.positionals()) {
    const LoadOperand operand = splitLoadOperand(arg);
    if (reportMissing("file", operand.local)) return kExitFailed;
    std::string message;
    if (!operand.printerName) {
      bool recognised = true;
      message = list.add(operand.local, recognised);
      guessed = guessed || !recognised;
    } else {
      // A typed name the printer refuses is a command-line error (the list
      // would refuse it too, as a failed operation); the list drops one
      // leading "/".
      const std::string& typed = *operand.printerName;
      if (!printerTakesName("load-files", arg, !typed.empty() && typed.front() == '/' ? typed.substr(1) : typed))
        return kExitUsage;
      message = list.put(operand.local, typed);
    }
    if (!message.empty()) {
      sayError(oneLine(message));
      return kExitFailed;
    }
    // The name as the list keeps it (a leading "/" dropped).
    for (const auto& [local, printer] : list.rows())
      if (local == operand.local && (!printerTakesName("load-files", arg, printer) ||
                                     !systemNameAllowed(arg, local, printer, allowSystemNames)))
        return kExitUsage;
  }
  for (const auto& [local, printer] : list.rows()) std::cerr << cliShowable(local + " -> " + printer) << std::endl;
  if (guessed)
    sayError("some printer names above are only guessed from the file's extension; give FILE=PRINTER-NAME to "
             "choose them");
  return reportResult(a, loadLegacyFiles(ctx, list.rows(), allowSystemNames));
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
  // A font is stored under "fonts/" + its name; a name the printer would
  // refuse fails here, before the list is shown.
  for (const auto& [file, name] : list.rows()) {
    const std::string printerName = "fonts/" + name;
    if (KrmNameFault fault = krmPrinterNameFault(printerName); fault != KrmNameFault::kNone) {
      sayError("the font file '" + shownName(file) + "': the printer name '" + shownName(printerName) + "' " +
               krmNameFaultText(fault) + ", which the printer refuses");
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
                              "derived from the file's folder (formlib, imglib, ...) or its extension. An operand "
                              "that names an existing file is that file, also when its name holds \"=\"; "
                              "FILE=PRINTER-NAME applies only to an operand that is not a file. Names of the "
                              "printer's own files (Sys/..., tqf/..., fonts/... for a file that is no font) are "
                              "refused without --allow-system-names.",
               .options = {{"allow-system-names", 0, "",
                            "load under the printer's start-up, Tessel or font names too"}},
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
                   for (const std::string& n : a.positionals()) {
                     list.put(n);
                     // A name no printer file can have; "*" and its kin mean everything.
                     const std::string kept = n.starts_with('/') ? n.substr(1) : n;
                     if (!krmMeansEverything(n) && !printerTakesName("remove-files", n, kept))
                       return kExitUsage;
                   }
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
