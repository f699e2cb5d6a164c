// preview: runs a job file on the simulated printer.
#include <filesystem>
#include <iostream>
#include <map>

#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "tools/printer_sim/printer_simulator.h"

namespace {
std::map<std::string, std::uint64_t> byName(const std::vector<DiskFile>& files) {
  std::map<std::string, std::uint64_t> m;
  for (const auto& f : files) m[f.name] = f.size;
  return m;
}

int runPreview(const ParsedArgs& a, OpContext&) {
  if (a.positionals().size() != 1) return kExitUsage;
  const std::string job = a.positionals()[0];
  if (!sdkFileExists(job.c_str())) {
    sayError("no such job file: " + job);
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
  opt.pagesDir = a.value("pages", "preview-pages");
  std::string format = a.value("format", "png");
  if (format != "png" && format != "pdf") {
    sayError("--format takes png or pdf");
    return kExitUsage;
  }
  opt.format = format == "pdf" ? PageFormat::kPdf : PageFormat::kPng;
  opt.powerOn = !a.has("no-power-on");
  PrinterSimulator printer(opt);
  auto before = byName(printer.listDisk());
  PrinterSimResult r = printer.run(job);
  auto after = byName(r.disk);

  for (const auto& [name, size] : after) {
    auto it = before.find(name);
    if (it == before.end()) {
      std::cout << "stored   " << name << " (" << size << " bytes)\n";
    } else if (it->second != size) {
      std::cout << "replaced " << name << " (" << size << " bytes)\n";
    }
  }
  for (const auto& [name, size] : before)
    if (!after.count(name)) std::cout << "removed  " << name << "\n";
  for (const std::string& p : r.pages) std::cout << "page     " << p << "\n";
  if (!r.output.empty()) std::cout << "--- printer output ---\n" << r.output << (r.output.back() == '\n' ? "" : "\n");
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
  return {{"preview",
           "run a job file on a simulated printer and show what it does",
           "JOB-FILE [options]",
           "Runs a job in Ghostscript as a Tessel printer with a disk would, and shows the files\n"
           "it stored, replaced or removed and the pages it printed. Without --disk the printer\n"
           "starts with an empty disk that is thrown away afterwards.",
           {{"disk", 0, "DIR", "directory that holds the printer's disk (kept between runs)"},
            {"pages", 0, "DIR", "where printed pages go (default: ./preview-pages)"},
            {"format", 0, "png|pdf", "page format (default png)"},
            {"no-power-on", 0, "", "do not run the printer's start-up file first"}},
           false,
           runPreview}};
}
