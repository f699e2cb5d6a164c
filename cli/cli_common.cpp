#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <iostream>

#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "delivery/app_config.h"
#include "delivery/send_job.h"

std::vector<OptionSpec> deliveryOptions() {
  return {
      {"printer", 'd', "NAME", "send the job to this printer queue"},
      {"group", 'g', "NAME", "send the job to every printer of this printer group"},
      {"destination", 0, "TEXT", "destination text as the desktop shows it (printer, or \\\\\\group)"},
      {"output", 'o', "FILE", "only write the job to FILE; send nothing"},
      {"status-page", 's', "", "have the printer print a status page"},
      {"config", 'c', "FILE", "configuration file instead of the installed quaymaster.ini"},
  };
}

std::vector<OptionSpec> interpreterOptions() {
  return {
      {"builtin-tessel", 0, "", "use the Tessel built into Quaymaster (needs --stub)"},
      {"stub", 0, "FILE", "stub file of the built-in Tessel"},
      {"tessel", 't', "DIR", "use the local Tessel folder DIR"},
      {"lustrine", 0, "", "include the optional Lustrine imaging module"},
  };
}

bool buildContext(const ParsedArgs& args, bool needsDestination, OpContext& ctx, std::string& error) {
  ctx.configFile = args.value("config");
  ctx.statusPage = args.has("status-page");
  ctx.jobOutputPath = args.value("output");
  int given = args.has("printer") + args.has("group") + args.has("destination");
  if (given > 1) {
    error = "give only one of --printer, --group and --destination";
    return false;
  }
  if (args.has("printer")) ctx.destination = args.value("printer");
  if (args.has("group")) ctx.destination = std::string(kGroupMarker) + args.value("group");
  if (args.has("destination")) ctx.destination = args.value("destination");
  if (needsDestination && ctx.destination.empty() && ctx.jobOutputPath.empty()) {
    error = "no destination: give --printer NAME, --group NAME or --output FILE";
    return false;
  }
  if (args.has("builtin-tessel") || args.has("tessel") || args.has("stub") || args.has("lustrine")) {
    // Interpreter options replace the configuration's choice as a whole.
    InterpreterChoice ic = readInterpreterChoice(ctx);
    if (args.has("tessel")) {
      ic.useBuiltin = false;
      ic.koroCore = args.value("tessel");
    }
    if (args.has("builtin-tessel")) ic.useBuiltin = true;
    if (args.has("stub")) ic.koroStub = args.value("stub");
    if (args.has("lustrine")) ic.includeLUS = true;
    ctx.interpreter = ic;
  }
  return true;
}

void sayError(const std::string& message) { std::cerr << "quaymaster-cli: " << message << std::endl; }

bool stderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) == 1;
#endif
}

int usageError(const Command& cmd, const std::string& message) {
  sayError(cmd.name + ": " + message);
  std::cerr << "Try 'quaymaster-cli " << cmd.name << " --help'." << std::endl;
  return kExitUsage;
}

int reportResult(const OpResult& r) {
  using Kind = OpResult::Kind;
  switch (r.kind) {
    case Kind::Sent:
      if (!r.outcome.statusText.empty()) std::cout << r.outcome.statusText << std::endl;
      return kExitOk;
    case Kind::Written:
      std::cout << "Job written to " << r.jobFile << std::endl;
      return kExitOk;
    case Kind::NothingToDo:
      return kExitOk;
    case Kind::Cancelled:
      sayError(r.message.empty() ? "cancelled" : r.message);
      return kExitFailed;
    case Kind::JobFailed:
      sayError(r.message);
      // The temporary job file of a failed job stays for inspection.
      if (!r.jobFile.empty() && sdkFileExists(r.jobFile.c_str()))
        std::cerr << "(job file left at " << r.jobFile << ")" << std::endl;
      return kExitFailed;
    case Kind::SendFailed:
    case Kind::TempFileFailed:
    case Kind::Refused:
      sayError(r.message);
      return kExitFailed;
  }
  return kExitFailed;
}
