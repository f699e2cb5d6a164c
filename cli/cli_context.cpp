// Turning the common options into an operation context, with every check
// an operator needs to hear about before anything is built or sent: the
// configuration file, the Tessel choice, the destination and the job
// output.
#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/console.h"
#include "cli/cli_suggest.h"
#include "delivery/app_config.h"
#include "delivery/direct_printer.h"
#include "delivery/network_spooler.h"
#include "delivery/printer_groups.h"
#include "delivery/send_job.h"
#include "delivery/spooler_jobs.h"

namespace {

// A job written for standard output goes to this temporary file first.
std::string stdoutJobFile;
// What the report needs to know of the destination: whether it was a group.
std::string destinationChosen;

// The error is printed; the exit status travels back.
struct Failure {
  int status = kExitOk;
  bool failed() const { return status != kExitOk; }
};

Failure fail(const std::string& message) {
  sayError(message);
  return {kExitFailed};
}

Failure usage(const std::string& command, const std::string& message) { return {usageError(command, message)}; }

bool isUnset(const std::string& value) { return value.empty() || value == cfgkey::kUnsetPath; }

bool readable(const std::string& path) { return std::ifstream(path, std::ios::binary).is_open(); }

// Where the configuration is and whether it can be read.
struct ConfigFacts {
  std::string path;
  bool present = false;
  bool explicitlyGiven = false;
};

std::string createHint() {
  return "create it with install-config.sh (scripts/ in the source tree, share/quaymaster/ when installed), "
         "set " +
         std::string(kConfigDirVariable) + " to the folder that holds it, or give --config FILE";
}

// The message for a configuration that is needed but missing.
std::string missingConfig(const ConfigFacts& config, const std::string& neededFor) {
  return "no configuration file (needed for " + neededFor + "): '" + config.path + "' does not exist; " +
         createHint();
}

Failure findConfig(const Command& cmd, const ParsedArgs& a, ConfigFacts& config) {
  if (a.has("config")) {
    config.explicitlyGiven = true;
    config.path = a.value("config");
    if (config.path.empty()) return usage(cmd.name, "--config needs a file name");
    if (sdkIsDirectory(config.path.c_str()))
      return usage(cmd.name, "--config: '" + config.path + "' is a folder, not a configuration file");
    if (!sdkFileExists(config.path.c_str()))
      return usage(cmd.name, "--config: the configuration file '" + config.path + "' does not exist");
  } else {
    ConfigLocation location = resolveConfigFile(kAppName, "");
    config.path = location.fullPath;
    if (!location.exists) return {};
  }
  if (!readable(config.path)) return fail("cannot read the configuration file '" + config.path + "'");
  // A file that does not read as a configuration gives no settings and is
  // never written back.
  if (std::string problem = configFileProblem(config.path); !problem.empty()) return fail(problem);
  config.present = true;
  return {};
}

// The Tessel settings: the configuration's, replaced option by option.
Failure chooseTessel(const Command& cmd, const ParsedArgs& a, const ConfigFacts& config, InterpreterChoice& ic) {
  const bool folderGiven = a.has("tessel");
  const bool builtinGiven = a.has("builtin-tessel");
  if (folderGiven && builtinGiven) return usage(cmd.name, "give either --tessel DIR or --builtin-tessel, not both");
  if (config.present) {
    OpContext fromFile;
    fromFile.configFile = config.path;
    ic = readInterpreterChoice(fromFile);
  }
  if (folderGiven) {
    ic.useBuiltin = false;
    ic.koroCore = a.value("tessel");
    if (!sdkIsDirectory(ic.koroCore.c_str()))
      return usage(cmd.name, "--tessel: the folder '" + ic.koroCore + "' does not exist");
  }
  if (builtinGiven) ic.useBuiltin = true;
  if (a.has("stub")) {
    ic.koroStub = a.value("stub");
    if (!sdkFileExists(ic.koroStub.c_str()) || sdkIsDirectory(ic.koroStub.c_str()))
      return usage(cmd.name, "--stub: the file '" + ic.koroStub + "' does not exist");
  }
  if (a.has("lustrine")) ic.includeLUS = true;

  const std::string chooseHint = "choose one with --tessel DIR or --builtin-tessel --stub FILE";
  const bool needsStub = ic.useBuiltin && cmd.tessel == TesselUse::TesselWithStub;
  const bool decidedByOptions = folderGiven || (builtinGiven && (!needsStub || a.has("stub")));
  if (!config.present && !decidedByOptions)
    return fail("no configuration file '" + config.path + "' to take the Tessel settings from; " + chooseHint +
                ", or " + createHint());
  const std::string inConfig = " in '" + config.path + "'";
  if (ic.useBuiltin) {
    if (!needsStub) return {};
    if (isUnset(ic.koroStub))
      return builtinGiven ? usage(cmd.name, "the built-in Tessel needs its stub file here: give --stub FILE")
                          : fail("the built-in Tessel is chosen but no stub file (koroStub" + inConfig +
                                 "); give --stub FILE");
    if (!sdkFileExists(ic.koroStub.c_str()) || sdkIsDirectory(ic.koroStub.c_str()))
      return fail("the stub file '" + ic.koroStub + "' (koroStub" + inConfig + ") does not exist; give --stub FILE");
    return {};
  }
  if (isUnset(ic.koroCore)) return fail("no Tessel chosen (useBuiltin, koroCore" + inConfig + "); " + chooseHint);
  if (!sdkIsDirectory(ic.koroCore.c_str()))
    return fail("the Tessel folder '" + ic.koroCore + "' (koroCore" + inConfig + ") does not exist; " + chooseHint);
  return {};
}

std::vector<std::string> groupNames(const ConfigFacts& config) {
  if (!config.present) return {};
  AppFileConfig file(kAppName, "", config.path);
  return ListPrinterGroups(file);
}

std::vector<std::string> directNames(const ConfigFacts& config) {
  if (!config.present) return {};
  AppFileConfig file(kAppName, "", config.path);
  return ListDirectPrinters(file);
}

// A socket:// address or the name of a kept direct printer: the
// destination as it is to be used (the address in full, the name as kept).
// False when it is neither; a bad address is a usage error.
bool directDestination(const Command& cmd, const ConfigFacts& config, std::string& text, Failure& failure) {
  if (isSocketUri(text)) {
    AddressCheck check = ParseSocketUri(text);
    if (!check.accepted()) {
      failure = usage(cmd.name, "--printer " + text + ": " + check.message);
      return true;
    }
    text = check.address->uri();
    return true;
  }
  if (!config.present) return false;
  AppFileConfig file(kAppName, "", config.path);
  const std::string kept = FindDirectPrinter(file, text);
  if (kept.empty()) return false;
  if (!ReadDirectPrinter(file, kept)) {
    failure = fail("the direct printer '" + kept + "' in '" + config.path + "' has no good socket:// address ('" +
                   kProgramName + " direct add' sets it again)");
    return true;
  }
  text = kept;
  return true;
}

Failure listPrinters(std::vector<std::string>& printers) {
  return offeredPrinters(printers) ? Failure{} : Failure{kExitFailed};
}

std::string lastPrinterOf(const ConfigFacts& config) {
  std::string last;
  if (config.present) {
    AppConfig file(kAppName, "", config.path);
    file.readText(cfgkey::kLastPrinter, last);
  }
  return last;
}

// No destination given: the configuration's lastPrinter, else $PRINTER,
// else the spooler's default; source says which.
Failure defaultDestination(const Command& cmd, const ConfigFacts& config, std::string& text, std::string& source) {
  if (std::string last = lastPrinterOf(config); !last.empty() && last != noPrintersSentinel()) {
    // A queue of another server or an IPP printer is used as saved; it is
    // checked like a typed one.
    if (isRoutedToNetwork(last)) {
      text = last;
      source = "lastPrinter in '" + config.path + "'";
      return {};
    }
    std::vector<std::string> printers;
    if (Failure f = listPrinters(printers); f.failed()) return f;
    text = FindSavedDestination(BuildDestinationList(printers, groupNames(config), directNames(config)), last);
    if (!text.empty()) {
      source = "lastPrinter in '" + config.path + "'";
      return {};
    }
  }
  if (const char* env = std::getenv("PRINTER"); env != nullptr && *env != '\0') {
    text = env;
    source = "$PRINTER";
    return {};
  }
  text = SpoolerDefaultPrinter();
  if (!text.empty()) {
    source = "the spooler's default printer";
    return {};
  }
  if (std::string reason = SpoolerUnreachableReason(); !reason.empty()) return fail(reason);
  return usage(cmd.name,
               "no destination: give --printer NAME, --group NAME or --output FILE (no lastPrinter in the "
               "configuration, $PRINTER is not set and the spooler has no default printer)");
}

Failure checkGroup(const ConfigFacts& config, std::string& group) {
  if (!config.present) return fail(missingConfig(config, "printer groups"));
  std::vector<std::string> groups = groupNames(config);
  for (const std::string& g : groups)
    if (g == group) return {};
  for (const std::string& g : groups)
    if (equalsNoCase(g, group)) {
      group = g;
      return {};
    }
  return fail("unknown printer group '" + group + "'" + didYouMean(group, groups) + " ('" + kProgramName +
              " groups' lists the groups)");
}

Failure checkPrinter(const Command& cmd, const ConfigFacts& config, std::string& printer, const std::string& source) {
  // A queue of another server or an IPP printer needs no configuration:
  // its form is checked here and the server or printer answers for the rest.
  if (isRoutedToNetwork(printer)) {
    if (std::string problem = CheckNetworkDestination(printer); !problem.empty())
      return usage(cmd.name, cliShowable(problem));
    return {};
  }
  std::vector<std::string> printers;
  if (Failure f = listPrinters(printers); f.failed()) return f;
  for (const std::string& p : printers)
    if (equalsNoCase(p, printer)) {
      printer = p;
      return {};
    }
  std::string hint = didYouMean(printer, printers);
  for (const std::string& g : groupNames(config))
    if (equalsNoCase(g, printer)) hint = "; '" + g + "' is a printer group: give --group " + g;
  std::string from = source.empty() ? "" : " (" + source + ")";
  return fail("unknown printer '" + printer + "'" + from + hint + " ('" + kProgramName +
              " printers' lists the printers that take Tessel jobs)");
}

Failure chooseDestination(const Command& cmd, const ParsedArgs& a, const ConfigFacts& config, OpContext& ctx) {
  const int given = a.has("printer") + a.has("group") + a.has("destination");
  if (a.has("output") && given > 0)
    return usage(cmd.name,
                 "--output writes the job to a file instead of sending it; give either --output or a "
                 "destination (--printer, --group), not both");
  if (given > 1) return usage(cmd.name, "give only one of --printer, --group and --destination");
  if (a.has("parallel")) {
    const std::string n = a.value("parallel");
    const bool number = !n.empty() && n.size() <= 2 && std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!number || std::stoi(n) < 1 || std::stoi(n) > 64)
      return usage(cmd.name, "--parallel takes a number of printers from 1 to 64");
  }
  if (a.has("output")) {
    if (a.has("wait")) return usage(cmd.name, "--wait follows sent jobs, and --output sends none");
    if (a.has("parallel")) return usage(cmd.name, "--parallel sends to printers, and --output sends none");
    std::string out = a.value("output");
    if (out.empty()) return usage(cmd.name, "--output needs a file name ('-' for standard output)");
    if (out == "-") {
      stdoutJobFile = createTempJobFile();
      if (stdoutJobFile.empty()) return fail("cannot create a temporary file for the job");
      out = stdoutJobFile;
    } else if (sdkIsDirectory(out.c_str())) {
      return usage(cmd.name, "--output: '" + out + "' is a folder");
    }
    ctx.jobOutputPath = out;
    return {};
  }

  std::string text, source;
  if (a.has("printer")) text = a.value("printer");
  if (a.has("group")) text = kGroupMarker + a.value("group");
  if (a.has("destination")) text = a.value("destination");
  if (given == 0) {
    if (Failure f = defaultDestination(cmd, config, text, source); f.failed()) return f;
  }
  if (text == noPrintersSentinel())
    return usage(cmd.name, "'" + text + "' is not a printer ('" + kProgramName + " printers' lists the printers)");
  if (isGroupTarget(text)) {
    std::string group = stripGroupMarker(text);
    if (group.empty()) return usage(cmd.name, "--group needs a group name");
    if (Failure f = checkGroup(config, group); f.failed()) return f;
    text = kGroupMarker + group;
  } else {
    if (text.empty()) return usage(cmd.name, "--printer needs a printer name");
    Failure direct;
    if (directDestination(cmd, config, text, direct)) {
      if (direct.failed()) return direct;
    } else if (Failure f = checkPrinter(cmd, config, text, source); f.failed()) {
      return f;
    }
  }
  ctx.destination = text;
  if (!source.empty()) {
    std::string what = isGroupTarget(text) ? "printer group " + stripGroupMarker(text) : text;
    sayError("sending to " + what + " (" + source + ")");
  }
  return {};
}

}  // namespace

bool offeredPrinters(std::vector<std::string>& printers) {
  printers = EnumeratePrinters();
  if (printers.size() == 1 && printers[0] == noPrintersSentinel()) {
    printers.clear();
    if (std::string reason = SpoolerUnreachableReason(); !reason.empty()) {
      sayError(reason);
      return false;
    }
  }
  return true;
}

int buildContext(const Command& cmd, const ParsedArgs& a, OpContext& ctx) {
  ConfigFacts config;
  if (cmd.config != ConfigUse::None || a.has("config")) {
    if (Failure f = findConfig(cmd, a, config); f.failed()) return f.status;
  }
  if (cmd.config == ConfigUse::Required && !config.present) {
    sayError(missingConfig(config, cmd.name == "direct" ? "direct printers" : "printer groups"));
    return kExitFailed;
  }
  if (config.present) ctx.configFile = config.path;
  ctx.statusPage = a.has("status-page");
  if (a.has("parallel")) ctx.parallel = std::stoi(a.value("parallel"));
  if (stderrIsTerminal()) ctx.progress = terminalJobProgress();
  if (cmd.tessel != TesselUse::None && (!cmd.needsTessel || cmd.needsTessel(a))) {
    InterpreterChoice ic;
    if (Failure f = chooseTessel(cmd, a, config, ic); f.failed()) return f.status;
    ctx.interpreter = ic;
  }
  if (cmd.sendsJob) {
    if (Failure f = chooseDestination(cmd, a, config, ctx); f.failed()) return f.status;
    destinationChosen = ctx.destination;
  }
  return kExitOk;
}

const std::string& stdoutJob() { return stdoutJobFile; }

const std::string& chosenDestination() { return destinationChosen; }

void setChosenDestination(const std::string& destination) { destinationChosen = destination; }

void finishContext() {
  if (!stdoutJobFile.empty()) sdkDeleteFile(stdoutJobFile.c_str());
  stdoutJobFile.clear();
  destinationChosen.clear();
}
