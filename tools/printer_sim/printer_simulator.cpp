#include "tools/printer_sim/printer_simulator.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/sdk_fs.h"
#include "tools/printer_sim/disk_names.h"
#include "tools/printer_sim/process_runner.h"

extern const unsigned char kPrinterInitPs[];
extern const std::size_t kPrinterInitPs_size;

namespace fs = std::filesystem;

namespace {

const char kPowerOnLine[] = "%%[ PowerOn: running Sys/Start ]%%";

// Absolute form of a directory, with "/" separators and a trailing "/", as
// Ghostscript wants it for file permissions and names.
std::string ghostscriptDir(const std::string& dir) {
  std::error_code ec;
  fs::path path = fs::absolute(fs::path(dir), ec).lexically_normal();
  std::string text = path.generic_string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::string absoluteFile(const std::string& file) {
  std::error_code ec;
  return fs::absolute(fs::path(file), ec).lexically_normal().generic_string();
}

}  // namespace

std::string defaultGhostscript() {
  if (const char* env = std::getenv("QM_GHOSTSCRIPT"); env != nullptr && *env != '\0') return env;
#ifdef _WIN32
  return "gswin64c";
#else
  return "gs";
#endif
}

bool ghostscriptAvailable(const std::string& program) {
  ProcessRequest request;
  request.arguments = {program, "--version"};
  request.timeoutSeconds = 60;
  ProcessOutcome outcome = runProcess(request);
  return outcome.started && outcome.exitCode == 0;
}

namespace {

std::string readText(const fs::path& path) {
  auto content = sdkReadWholeFile(path.string().c_str());
  return content ? *content : std::string();
}

// True when name is "<stem>-<digits>.png".
bool isPngPage(const std::string& name, const std::string& stem) {
  const std::string suffix = ".png";
  if (name.size() < stem.size() + 1 + 1 + suffix.size()) return false;
  if (name.compare(0, stem.size(), stem) != 0 || name[stem.size()] != '-') return false;
  if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  for (std::size_t i = stem.size() + 1; i < name.size() - suffix.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

// The page files of one stem in the pages directory, in page order.
std::vector<std::string> pageFiles(const fs::path& pagesDir, const std::string& stem, PageFormat format) {
  std::vector<std::string> pages;
  std::error_code ec;
  if (format == PageFormat::kPdf) {
    fs::path pdf = pagesDir / (stem + ".pdf");
    if (fs::is_regular_file(pdf, ec)) pages.push_back(pdf.string());
    return pages;
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(pagesDir, ec)) {
    if (entry.is_regular_file(ec) && isPngPage(entry.path().filename().string(), stem)) {
      pages.push_back(entry.path().string());
    }
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

// Takes one "%%[ ... ]%%" line starting at pos out of text.
std::string takeLine(std::string& text, std::size_t pos) {
  std::size_t end = text.find('\n', pos);
  std::size_t stop = end == std::string::npos ? text.size() : end + 1;
  std::string line = text.substr(pos, (end == std::string::npos ? text.size() : end) - pos);
  text.erase(pos, stop - pos);
  return line;
}

}  // namespace

void splitGhostscriptOutput(const std::string& stdoutText, std::string& jobOutput, std::string& errorText,
                            std::string& powerOnError) {
  jobOutput = stdoutText;
  errorText.clear();
  powerOnError.clear();

  // Errors in Sys/Start, reported by the start-up file:
  // "%%[ Error: <name>; OffendingCommand: <command>; During: power-on ]%%"
  for (std::size_t pos; (pos = jobOutput.find("%%[ Error: ")) != std::string::npos;) {
    std::string line = takeLine(jobOutput, pos);
    std::size_t name = line.find("Error: ") + 7;
    std::size_t semi = line.find(';', name);
    std::size_t cmd = line.find("OffendingCommand: ", name);
    std::size_t cmdEnd = line.find(';', cmd == std::string::npos ? name : cmd);
    if (semi == std::string::npos || cmd == std::string::npos || cmdEnd == std::string::npos) continue;
    powerOnError = line.substr(name, semi - name) + " in " + line.substr(cmd + 18, cmdEnd - cmd - 18);
  }
  if (std::size_t pos = jobOutput.find(kPowerOnLine); pos != std::string::npos) takeLine(jobOutput, pos);

  // Ghostscript's own report of an error that ended the job:
  // "Error: /<name> in <command>" at the start of a line, or right after
  // what the job printed without a newline, then followed by the stacks.
  const auto reportStartsAt = [&](std::size_t at) {
    if (at == 0 || jobOutput[at - 1] == '\n') return true;
    const std::size_t next = jobOutput.find('\n', at);
    return next != std::string::npos && jobOutput.compare(next + 1, 15, "Operand stack:\n") == 0;
  };
  std::size_t pos = jobOutput.rfind("Error: /");
  while (pos != std::string::npos && !reportStartsAt(pos)) {
    pos = pos == 0 ? std::string::npos : jobOutput.rfind("Error: /", pos - 1);
  }
  if (pos == std::string::npos) return;
  std::size_t end = jobOutput.find('\n', pos);
  std::string line = jobOutput.substr(pos + 8, end == std::string::npos ? std::string::npos : end - pos - 8);
  errorText = line;
  jobOutput.erase(pos);
}

bool parseDiskSize(const std::string& text, std::uint64_t& bytes) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > 15 || text.size() > digits + 1) return false;
  std::uint64_t value = std::stoull(text.substr(0, digits));
  if (text.size() > digits) {
    const char unit = static_cast<char>(text[digits] & ~0x20);  // either case
    const int shift = unit == 'K' ? 10 : unit == 'M' ? 20 : unit == 'G' ? 30 : -1;
    // Ghostscript takes the size as a signed 64-bit integer.
    if (shift < 0 || (value >> (62 - shift)) != 0) return false;
    value <<= shift;
  }
  bytes = value;
  return true;
}

PrinterSimulator::PrinterSimulator(PrinterSimOptions options) : options_(std::move(options)) {}

std::string PrinterSimulator::hostPath(std::string_view printerName) const {
  return sdkJoinPath(options_.diskDir, encodeDiskName(printerName));
}

std::vector<DiskFile> PrinterSimulator::listDisk() const {
  std::vector<DiskFile> files;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(options_.diskDir), ec)) {
    if (!entry.is_regular_file(ec)) continue;
    auto name = decodeDiskName(entry.path().filename().string());
    if (!name) continue;
    files.push_back({*name, static_cast<std::uint64_t>(entry.file_size(ec))});
  }
  std::sort(files.begin(), files.end(), [](const DiskFile& a, const DiskFile& b) { return a.name < b.name; });
  return files;
}

std::uint64_t PrinterSimulator::diskUsed() const {
  // Every file counts, also one whose host name is not a printer name.
  std::uint64_t used = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(options_.diskDir), ec)) {
    if (entry.is_regular_file(ec)) used += static_cast<std::uint64_t>(entry.file_size(ec));
  }
  return used;
}

std::optional<std::string> PrinterSimulator::readFile(std::string_view printerName) const {
  std::string path = hostPath(printerName);
  if (!sdkFileExists(path.c_str())) return std::nullopt;
  return sdkReadWholeFile(path.c_str());
}

bool PrinterSimulator::writeFile(std::string_view printerName, std::string_view content) const {
  if (printerName.empty()) return false;
  sdkMakeDirs(sdkJoinPath(options_.diskDir, "x").c_str());
  std::error_code ec;
  const std::uintmax_t old = fs::is_regular_file(hostPath(printerName), ec) ? fs::file_size(hostPath(printerName), ec) : 0;
  if (diskUsed() - old + content.size() > options_.diskSize) return false;
  return sdkWriteTextFile(hostPath(printerName).c_str(), content) == 1;
}

bool PrinterSimulator::removeFile(std::string_view printerName) const {
  if (printerName.empty()) return false;
  return sdkDeleteFile(hostPath(printerName).c_str()) == 1;
}

PrinterSimResult PrinterSimulator::run(const std::string& jobFile) const { return runJob(jobFile, nullptr, nullptr); }

PrinterSimResult PrinterSimulator::runAnswering(const std::string& jobFile,
                                                const std::function<void(std::string_view)>& answer,
                                                const volatile std::sig_atomic_t* stop) const {
  return runJob(jobFile, &answer, stop);
}

PrinterSimResult PrinterSimulator::runJob(const std::string& jobFile,
                                          const std::function<void(std::string_view)>* answer,
                                          const volatile std::sig_atomic_t* stop) const {
  PrinterSimResult result;
  std::error_code ec;
  if (!fs::is_regular_file(fs::path(jobFile), ec)) {
    result.errorText = "job file not found: " + jobFile;
    return result;
  }
  fs::create_directories(fs::path(options_.diskDir), ec);
  fs::create_directories(fs::path(options_.pagesDir), ec);
  const std::string disk = ghostscriptDir(options_.diskDir);
  const std::string pagesText = ghostscriptDir(options_.pagesDir);
  const fs::path pagesDir(pagesText);
  const std::string stem = options_.pageName.empty() ? fs::path(jobFile).stem().string() : options_.pageName;

  // Pages of an earlier run under the same name would mix with this run's.
  for (const std::string& old : pageFiles(pagesDir, stem, options_.format)) fs::remove(old, ec);

  // The scratch directory holds the start-up file and Ghostscript's output,
  // and is Ghostscript's temporary directory, so that nothing else is writable.
  SdkString scratchText;
  if (!sdkMakeTempDir(scratchText)) {
    result.errorText = "cannot create a scratch directory";
    return result;
  }
  const fs::path scratch(scratchText.str());
  const fs::path initFile = scratch / "printer_init.ps";
  {
    std::ofstream init(initFile, std::ios::binary);
    init.write(reinterpret_cast<const char*>(kPrinterInitPs), static_cast<std::streamsize>(kPrinterInitPs_size));
  }
  const std::string scratchGs = ghostscriptDir(scratch.string());

  ProcessRequest request;
  request.arguments = {options_.ghostscript.empty() ? defaultGhostscript() : options_.ghostscript,
                    "-q", "-dBATCH", "-dNOPAUSE", "-dNOPROMPT", "-dSAFER", "-dJOBSERVER",
                    "-sPAPERSIZE=" + options_.paperSize};
  if (options_.format == PageFormat::kPdf) {
    request.arguments.push_back("-sDEVICE=pdfwrite");
    request.arguments.push_back("-sOutputFile=" + pagesText + stem + ".pdf");
  } else {
    request.arguments.push_back("-sDEVICE=png16m");
    request.arguments.push_back("-r" + std::to_string(options_.resolution));
    request.arguments.push_back("-sOutputFile=" + pagesText + stem + "-%03d.png");
  }
  request.arguments.push_back("-sQM_DISK=" + disk);
  request.arguments.push_back("--permit-file-all=" + disk);
  request.arguments.push_back("-dQM_DISK_SIZE=" + std::to_string(options_.diskSize));
  request.arguments.push_back("-dQM_DISK_USED=" + std::to_string(diskUsed()));
  if (options_.powerOn) request.arguments.push_back("-dQM_POWERON");
  if (!options_.printerName.empty()) request.arguments.push_back("-sQM_PRINTER_NAME=" + options_.printerName);
  if (options_.printerErrors) request.arguments.push_back("-dQM_PRINTER_ERRORS");
  request.arguments.push_back(initFile.generic_string());
  request.arguments.push_back(absoluteFile(jobFile));
  request.environment = {{"TMPDIR", scratchGs}, {"TEMP", scratchGs}, {"TMP", scratchGs}};
  request.stdoutPath = (scratch / "stdout.txt").string();
  request.stderrPath = (scratch / "stderr.txt").string();
  request.timeoutSeconds = options_.timeoutSeconds;
  request.stop = stop;

  std::string out, err;
  ProcessOutcome outcome;
  if (answer != nullptr) {
    // The power-on line is the simulator's own, not part of the answer.
    bool first = true;
    outcome = runProcessStreaming(request, [&](std::string_view bytes) {
      if (first && bytes.starts_with(kPowerOnLine)) {
        result.poweredOn = true;
        bytes.remove_prefix(std::min(bytes.size(), sizeof kPowerOnLine));  // the line and its newline
      }
      first = false;
      if (!bytes.empty()) (*answer)(bytes);
    });
  } else {
    outcome = runProcess(request);
    out = readText(scratch / "stdout.txt");
    err = readText(scratch / "stderr.txt");
  }
  fs::remove_all(scratch, ec);

  result.ran = outcome.started;
  result.timedOut = outcome.timedOut;
  result.exitStatus = outcome.exitCode;
  result.log = out + err;
  result.poweredOn = result.poweredOn || out.find(kPowerOnLine) != std::string::npos;
  splitGhostscriptOutput(out, result.output, result.errorText, result.powerOnError);
  if (!outcome.started) {
    result.errorText = outcome.error;
  } else if (outcome.timedOut) {
    result.errorText = "the job did not end within " + std::to_string(options_.timeoutSeconds) + " seconds";
  } else if (result.errorText.empty() && outcome.exitCode != 0) {
    std::string first = err.substr(0, err.find('\n'));
    result.errorText = "Ghostscript exit code " + std::to_string(outcome.exitCode) + (first.empty() ? "" : ": " + first);
  }
  result.pages = pageFiles(pagesDir, stem, options_.format);
  result.disk = listDisk();
  return result;
}
