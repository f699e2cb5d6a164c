// preview: runs a job file on the simulated printer.
#include <filesystem>
#include <iostream>
#include <map>

#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "tools/printer_sim/printer_simulator.h"

namespace {
std::map<std::string, std::uint64_t> byName(const std::vector<DiskFile>& files) {
  std::map<std::string, std::uint64_t> m;
  for (const auto& f : files) m[f.name] = f.size;
  return m;
}

int runPreview(const ParsedArgs& a, OpContext&) {
  const std::string job = a.positionals()[0];
  if (sdkIsDirectory(job.c_str())) {
    sayError("'" + job + "' is a folder, not a job file");
    return kExitFailed;
  }
  if (!sdkFileExists(job.c_str())) {
    sayError("the job file '" + job + "' does not exist");
    return kExitFailed;
  }
  PrinterSimOptions opt;
  std::string scratch;
  if (a.has("disk")) {
    opt.diskDir = a.value("disk");
  } else {
    SdkString dir;
    if (!sdkMakeTempDir(dir)) {
      sayError("cannot create a temporary printer disk");
      return kExitFailed;
    }
    scratch = dir.str();
    opt.diskDir = sdkJoinPath(scratch, "disk");
  }
  opt.pagesDir = a.value("pages-dir", "preview-pages");
  std::string format = a.value("format", "png");
  opt.format = format == "pdf" ? PageFormat::kPdf : PageFormat::kPng;
  opt.powerOn = !a.has("no-power-on");
  opt.printerName = a.value("printer-name");
  PrinterSimulator printer(opt);
  auto before = byName(printer.listDisk());
  PrinterSimResult r = printer.run(job);
  auto after = byName(r.disk);

  for (const auto& [name, size] : after) {
    auto it = before.find(name);
    if (it == before.end()) {
      std::cout << "stored   " << cliShowable(name) << " (" << size << " bytes)\n";
    } else if (it->second != size) {
      std::cout << "replaced " << cliShowable(name) << " (" << size << " bytes)\n";
    }
  }
  for (const auto& [name, size] : before)
    if (!after.count(name)) std::cout << "removed  " << cliShowable(name) << "\n";
  for (const std::string& p : r.pages) std::cout << "page     " << p << "\n";
  if (!r.output.empty())
    std::cout << "--- printer output ---\n" << cliShowableLines(r.output) << (r.output.back() == '\n' ? "" : "\n");
  if (a.has("disk")) std::cout << "disk     " << opt.diskDir << " (" << after.size() << " files)\n";
  if (!scratch.empty()) std::filesystem::remove_all(scratch);
  if (!r.ran) {
    sayError("the printer simulator could not start Ghostscript");
    return kExitFailed;
  }
  if (r.timedOut) {
    sayError("the job did not finish in time");
    return kExitFailed;
  }
  if (!r.ok()) {
    sayError("PostScript error: " + (r.errorText.empty() ? std::string("exit status ") + std::to_string(r.exitStatus)
                                                          : r.errorText));
    return kExitFailed;
  }
  return kExitOk;
}
}  // namespace

std::vector<Command> previewCommands() {
  return {{.name = "preview",
           .summary = "run a job file on a simulated printer and show what it does",
           .usage = "JOB-FILE [options]",
           .description = "Runs a job in Ghostscript as a Tessel printer with a disk would, and shows the files it "
                          "stored, replaced or removed and the pages it printed. Without --disk the printer starts "
                          "with an empty disk that is thrown away afterwards.",
           .options = {{"disk", 0, "DIR", "the folder that holds the printer's disk (kept between runs)", {},
                        ValueHint::Folder},
                       {"pages-dir", 0, "DIR", "where printed pages go (default: ./preview-pages)", {},
                        ValueHint::Folder},
                       {"format", 0, "FORMAT", "page format: png (default) or pdf", {"png", "pdf"}},
                       {"printer-name", 0, "NAME", "the name the simulated printer gives itself"},
                       {"no-power-on", 0, "", "do not run the printer's start-up file first"}},
           .operandHint = ValueHint::File,
           .minOperands = 1,
           .maxOperands = 1,
           .run = runPreview}};
}
