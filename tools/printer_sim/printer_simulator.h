// A simulated Tessel printer: executes PostScript job files in Ghostscript
// the way a printer with a disk would.
//
// A host directory stands for the printer disk and keeps its files from job
// to job (printer names are flat, escaped on the host: disk_names.h). Each
// run starts a fresh interpreter: "power-on" (when enabled) runs the disk
// file "Sys/Start" first, as a printer does at start-up, then the job runs
// encapsulated. Pages go to the pages directory as PNG files
// ("<name>-001.png", ...) or one PDF ("<name>.pdf"), where <name> defaults
// to the job file's name without extension; earlier pages of that name are
// removed first. Ghostscript runs with -dSAFER and may touch only the disk
// directory, the pages directory and a private scratch directory that is
// deleted afterwards. A PostScript error ends the job, as on a printer, and
// is reported in the result. Nothing raises.
//
// The disk has a size: a job's write that would make its files hold more
// fails with ioerror while it is written, as on a full printer disk, and
// writeFile() refuses such a file.
#pragma once

#include <csignal>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class PageFormat { kPng, kPdf };

struct PrinterSimOptions {
  std::string diskDir;   // the printer disk; created when missing
  std::string pagesDir;  // rendered pages; created when missing
  PageFormat format = PageFormat::kPng;
  int resolution = 72;         // PNG pixels per inch
  std::string paperSize = "a4";
  bool powerOn = true;         // run "Sys/Start" before the job when it exists
  int timeoutSeconds = 300;    // a job running longer is killed
  std::string pageName;        // page file name stem; empty: the job file's
  std::string printerName;     // the printer's own name (statusdict printername); empty: none
  std::string ghostscript;     // program; empty: $QM_GHOSTSCRIPT or the platform default
  std::uint64_t diskSize = kDefaultDiskSize;  // bytes the disk's files may hold
  // A PostScript error is answered as a printer reports it on its channel
  // ("%%[ Error: ... ]%%" and "%%[ Flushing: ... ]%%"), not in Ghostscript's
  // form, so errorText stays empty; the rest of the job is not run.
  bool printerErrors = false;
  static constexpr std::uint64_t kDefaultDiskSize = std::uint64_t{1} << 30;
};

struct DiskFile {
  std::string name;  // printer name, e.g. "tqfc/formlib/a.frm"
  std::uint64_t size = 0;
};

struct PrinterSimResult {
  bool ran = false;          // Ghostscript ran (false: it could not be started)
  bool timedOut = false;
  int exitStatus = -1;       // Ghostscript's exit code
  bool poweredOn = false;    // "Sys/Start" ran before the job
  std::string errorText;     // PostScript error, e.g. "undefined in foo"; empty when none
  std::string powerOnError;  // PostScript error inside "Sys/Start", if any
  std::string output;        // what the job printed on stdout (without the error report)
  std::string log;           // everything Ghostscript printed, stdout then stderr
  std::vector<std::string> pages;  // page files written by this run, in order
  std::vector<DiskFile> disk;      // the disk after the job, by name

  // The job ran to its end without a PostScript error.
  bool ok() const { return ran && !timedOut && exitStatus == 0 && errorText.empty(); }
};

class PrinterSimulator {
 public:
  explicit PrinterSimulator(PrinterSimOptions options);

  const PrinterSimOptions& options() const { return options_; }

  // Executes one job file on the printer.
  PrinterSimResult run(const std::string& jobFile) const;
  // The same run, with what Ghostscript writes (output and errors) handed
  // to answer while the job runs, as a printer sends it back on its
  // connection; output and log stay empty. A set stop flag ends the job at
  // once (as a time-out). POSIX only.
  PrinterSimResult runAnswering(const std::string& jobFile, const std::function<void(std::string_view)>& answer,
                                const volatile std::sig_atomic_t* stop = nullptr) const;

  // The disk's files, sorted by printer name.
  std::vector<DiskFile> listDisk() const;
  // Content of a stored file; nothing when the printer has no such file.
  std::optional<std::string> readFile(std::string_view printerName) const;
  // The bytes the disk's files hold now.
  std::uint64_t diskUsed() const;
  // Stores a file directly on the disk (as if a job had loaded it); false
  // also when it does not fit.
  bool writeFile(std::string_view printerName, std::string_view content) const;
  bool removeFile(std::string_view printerName) const;
  // Host path of a printer file (whether or not it exists).
  std::string hostPath(std::string_view printerName) const;

 private:
  PrinterSimResult runJob(const std::string& jobFile, const std::function<void(std::string_view)>* answer,
                          const volatile std::sig_atomic_t* stop) const;

  PrinterSimOptions options_;
};

// The Ghostscript program a simulator runs when its options name none, and
// whether a program can be started at all ("gs --version" succeeds). Tests
// on a machine without Ghostscript (the Windows build under Wine) skip
// themselves on that answer.
std::string defaultGhostscript();
bool ghostscriptAvailable(const std::string& program = defaultGhostscript());

// A disk size as the programs take it: bytes, or with K, M or G (1024,
// 1024 squared, 1024 cubed). False for anything else or a size too large.
bool parseDiskSize(const std::string& text, std::uint64_t& bytes);

// The PostScript error that Ghostscript reported in its output ("undefined in
// foo"), or empty; also the text before the report (the job's own output).
void splitGhostscriptOutput(const std::string& stdoutText, std::string& jobOutput, std::string& errorText,
                            std::string& powerOnError);
