#include "delivery/spooler.h"

#include <wx/intl.h>

#include <memory>

#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "delivery/spooler_jobs.h"

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

const std::string& noPrintersSentinel() {
  static const std::string sentinel = fromWx(wxGetTranslation(kNoPrintersAvailable));
  return sentinel;
}

std::vector<std::string> selectOfferedPrinters(const std::vector<QueueFacts>& queues, bool excludeFilePort) {
  std::vector<std::string> offered;
  for (const QueueFacts& queue : queues) {
    if (offered.size() >= kMaxPrinters) break;
    if (!queue.acceptsRawPostScript || queue.pdfConverter || queue.conversionPort) continue;
    if (queue.filePort && excludeFilePort) continue;
    offered.push_back(queue.name);
  }
  if (offered.empty()) offered.push_back(noPrintersSentinel());
  return offered;
}

bool IsInstalledPrinter(Spooler& spooler, std::string_view name) {
  for (const std::string& printer : spooler.EnumeratePrinters()) {
    if (equalsNoCase(printer, name)) return true;
  }
  return false;
}

bool IsInstalledPrinter(std::string_view name) { return IsInstalledPrinter(systemSpooler(), name); }

Submission Spooler::SubmitFile(const std::string& docName, const std::string& filePath,
                               const std::string& printerName, const SendWatch& watch) {
  Submission s;
  SendProgress progress{printerName, 0, jobFileSize(filePath)};
  if (watch && !watch(progress)) {
    s.cancelled = true;
    return s;
  }
  s.ok = WriteFileToPrinter(docName, filePath, printerName);
  progress.bytes = progress.total;
  if (s.ok && watch) watch(progress);
  return s;
}

ChunkReader watchedReader(const ChunkReader& inner, const std::string& printer, std::uint64_t total,
                          const SendWatch& watch, bool& cancelled) {
  if (!watch) return inner;
  auto progress = std::make_shared<SendProgress>(SendProgress{printer, 0, total});
  return [inner, watch, progress, &cancelled](char* buffer, std::size_t size) -> long {
    // Asked before each piece, and told of it once read: the spooler may
    // take long over a piece, and Cancel counts at once.
    if (!watch(*progress)) {
      cancelled = true;
      return -1;
    }
    const long got = inner(buffer, size);
    if (got <= 0) return got;
    progress->bytes += static_cast<std::uint64_t>(got);
    if (!watch(*progress)) {
      cancelled = true;
      return -1;
    }
    return got;
  };
}

std::uint64_t jobFileSize(const std::string& filePath) {
  const std::int64_t size = sdkFileSize(filePath.c_str());
  return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

namespace {

class SystemSpooler : public Spooler {
 public:
  std::vector<std::string> EnumeratePrinters() override { return ::EnumeratePrinters(); }
  bool WriteFileToPrinter(const std::string& docName, const std::string& filePath,
                          const std::string& printerName) override {
    return ::WriteFileToPrinter(docName, filePath, printerName);
  }
  Submission SubmitFile(const std::string& docName, const std::string& filePath, const std::string& printerName,
                        const SendWatch& watch) override {
    return SubmitFileToPrinter(docName, filePath, printerName, watch);
  }
};

}  // namespace

Spooler& systemSpooler() {
  static SystemSpooler spooler;
  return spooler;
}
