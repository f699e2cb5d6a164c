#include "delivery/spooler.h"

#include <wx/intl.h>

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

namespace {

class SystemSpooler : public Spooler {
 public:
  std::vector<std::string> EnumeratePrinters() override { return ::EnumeratePrinters(); }
  bool WriteFileToPrinter(const std::string& docName, const std::string& filePath,
                          const std::string& printerName) override {
    return ::WriteFileToPrinter(docName, filePath, printerName);
  }
  Submission SubmitFile(const std::string& docName, const std::string& filePath,
                        const std::string& printerName) override {
    return SubmitFileToPrinter(docName, filePath, printerName);
  }
};

}  // namespace

Spooler& systemSpooler() {
  static SystemSpooler spooler;
  return spooler;
}
