// The print spooler: which queues may receive jobs, and raw submission.
//
// Jobs are PostScript for the Tessel interpreter and reach a printer only
// as raw data, so only queues whose device takes raw PostScript are offered,
// and conversion queues (PDF converters, KOROConvert-style virtual ports)
// never are. A job file is copied byte for byte in 32 KiB pieces and never
// parsed. The list of offered printers always has at least one entry: when
// no queue qualifies it is the single placeholder "[No Printers Available]".
// At most 1024 printers are offered, in the spooler's order.
//
// One implementation file per platform: spooler_cups.cpp (libcups; the
// scheduler is the one libcups is pointed at, e.g. by CUPS_SERVER) and
// spooler_win32.cpp (the Windows spooler and the driver's PostScript
// passthrough escape). Nothing here shows anything to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "delivery/send_board.h"

inline constexpr char kNoPrintersAvailable[] = "[No Printers Available]";
inline constexpr std::size_t kMaxPrinters = 1024;
inline constexpr std::size_t kSpoolerChunkSize = 32768;

// One queue as the spooler describes it. Windows: pPrinterName, pPortName,
// pDriverName. CUPS: printer-name, device-uri, printer-make-and-model.
struct SpoolerQueue {
  std::string name;
  std::string port;
  std::string driver;
};

// What the offering rules look at for one queue.
struct QueueFacts {
  std::string name;
  bool acceptsRawPostScript = false;
  bool pdfConverter = false;    // "Adobe PDF Converter" driver, CUPS-PDF
  bool conversionPort = false;  // "KOROConvert" port / koroconvert: device
  bool filePort = false;        // "FILE:" port / file: device
};

// The facts of one queue of this platform (asks the driver whether it takes
// raw PostScript, unless the queue is a converter anyway). CUPS: a cups-pdf
// device or CUPS-PDF model is a PDF converter, a koroconvert device a
// conversion port, a file device a file port.
QueueFacts describeQueue(const SpoolerQueue& queue);

// The offered list: queues that accept raw PostScript and are neither PDF
// converters nor conversion ports, nor file ports when excludeFilePort; in
// the given order, at most kMaxPrinters; the placeholder when none.
std::vector<std::string> selectOfferedPrinters(const std::vector<QueueFacts>& queues, bool excludeFilePort);

// The placeholder text, passed through the translation lookup once.
const std::string& noPrintersSentinel();

// Supplies the next piece of a job: fills up to size bytes, returns how
// many (0 at the end), or a negative number when reading failed.
using ChunkReader = std::function<long(char* buffer, std::size_t size)>;

// What became of one raw submission.
struct Submission {
  bool ok = false;
  bool cancelled = false;  // the watch stopped it; the spooler's job is cancelled
  int jobId = 0;           // the spooler's job number; 0 when it gave none
  std::string error;       // the spooler's reason for a failure, when it gave one
  // No connection to the print server or network printer could be made:
  // nothing reached it, and another job for it now would wait in vain too.
  bool unreachable = false;
};

// How far the hand-over of one job to one printer has come: the bytes the
// spooler has been given of the job file's size.
struct SendProgress {
  std::string printer;
  std::uint64_t bytes = 0;
  std::uint64_t total = 0;
  // Of a group's send: the printers to send to, and how many are done.
  std::size_t members = 1;
  std::size_t finished = 0;
  // Where every printer of the send stands (send_board.h); set by SendJob.
  std::shared_ptr<const SendBoard> board = nullptr;
};

// Told of every piece a submission hands over, from the submitting thread
// (and by SendJob, with no bytes, when a printer's hand-over begins).
// Answering false stops the copy: the spooler's job is cancelled, so
// nothing of it reaches the printer, and the submission says cancelled.
// An empty watch lets every submission run to its end.
using SendWatch = std::function<bool(const SendProgress& progress)>;

// The spooler as the delivery logic sees it; the system one below, fakes in
// tests.
class Spooler {
 public:
  virtual ~Spooler() = default;
  // The offered printers; never empty (see selectOfferedPrinters).
  virtual std::vector<std::string> EnumeratePrinters() = 0;
  // Copies the file raw into the queue as one job named docName. True only
  // when the queue accepted every byte.
  virtual bool WriteFileToPrinter(const std::string& docName, const std::string& filePath,
                                  const std::string& printerName) = 0;
  // The same copy, telling the job's number and the spooler's reason for a
  // failure where the spooler gives them, under a watch. This default asks
  // the watch once before and once after WriteFileToPrinter.
  virtual Submission SubmitFile(const std::string& docName, const std::string& filePath,
                                const std::string& printerName, const SendWatch& watch);
  // True when SubmitFile may run on several threads at once.
  virtual bool concurrent() const { return false; }
};

// The spooler of this system.
Spooler& systemSpooler();

// The functions of the system spooler.
std::vector<std::string> EnumeratePrinters();
// Every local and connected queue with its device (port) and driver, in
// the spooler's order, offered or not.
std::vector<SpoolerQueue> ListSpoolerQueues();
// True when the queue's device takes raw PostScript. CUPS: a raw queue
// ("Local Raw Printer", no driver), or a driver whose filters take
// PostScript through to the device (no filter at all, or PostScript in and
// no foomatic-rip); raster and PCL drivers do not, unless the queue's
// device is an IPP printer that itself lists application/postscript (asked
// once per run, with a short time limit): driverless IPP Everywhere queues
// pass raw jobs through unchanged. Windows: the driver answers the
// POSTSCRIPT_PASSTHROUGH escape query.
bool SupportsPostScriptPassthrough(const SpoolerQueue& queue);
// True when EnumeratePrinters lists the name, compared without regard to
// ASCII case.
bool IsInstalledPrinter(std::string_view name);
bool IsInstalledPrinter(Spooler& spooler, std::string_view name);
// See Spooler::WriteFileToPrinter. A job whose copy fails part-way is
// cancelled, never completed, so no truncated job reaches the printer. An
// empty file has nothing to deliver; on CUPS, which refuses empty documents,
// the queue is still checked (the job is created and cancelled at once) and
// the result is true.
bool WriteFileToPrinter(const std::string& docName, const std::string& filePath, const std::string& printerName);
// The copy under WriteFileToPrinter, from any source (the reader is called
// until it returns 0 or fails).
bool WriteDataToPrinter(const std::string& docName, const std::string& printerName, const ChunkReader& reader);

// ASCII case-insensitive equality, as the spooler's name comparisons use.
bool equalsNoCase(std::string_view a, std::string_view b);
