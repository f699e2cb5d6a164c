// The spooler over the Windows print spooler and the drivers' PostScript
// passthrough escape.
#include <windows.h>
#include <winspool.h>

#include <wx/utils.h>

#include <string>
#include <vector>

#include "delivery/spooler.h"

namespace {

constexpr int kQueryEscSupport = 8;         // QUERYESCSUPPORT
constexpr DWORD kPostScriptPassthrough = 4115;  // POSTSCRIPT_PASSTHROUGH

std::string textOf(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Printers on the "FILE:" port are refused on Windows NT 6.x only.
bool excludesFilePort() {
  int major = 0;
  int minor = 0;
  return wxGetOsVersion(&major, &minor) == wxOS_WINDOWS_NT && major == 6;
}

// Ends a started document as the spooler expects: completed, or deleted when
// the copy failed so that no truncated job is printed.
void endDocument(HANDLE printer, DWORD jobId, bool cancel) {
  if (cancel && jobId != 0) SetJobA(printer, jobId, 0, nullptr, JOB_CONTROL_DELETE);
  EndDocPrinter(printer);
}

}  // namespace

QueueFacts describeQueue(const SpoolerQueue& queue) {
  QueueFacts facts;
  facts.name = queue.name;
  facts.pdfConverter = queue.driver == "Adobe PDF Converter";
  facts.conversionPort = queue.port == "KOROConvert";
  facts.filePort = queue.port == "FILE:";
  facts.acceptsRawPostScript = SupportsPostScriptPassthrough(queue);
  return facts;
}

bool SupportsPostScriptPassthrough(const SpoolerQueue& queue) {
  HDC dc = CreateDCA(queue.driver.c_str(), queue.name.c_str(), nullptr, nullptr);
  if (dc == nullptr) return false;
  DWORD escape = kPostScriptPassthrough;
  int answer = Escape(dc, kQueryEscSupport, sizeof escape, reinterpret_cast<LPCSTR>(&escape), nullptr);
  DeleteDC(dc);
  return answer != 0;
}

std::vector<SpoolerQueue> ListSpoolerQueues() {
  std::vector<SpoolerQueue> queues;
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0;
  DWORD returned = 0;
  EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &returned);
  if (needed == 0) return queues;
  std::vector<BYTE> buffer(needed + 4);
  if (!EnumPrintersA(flags, nullptr, 2, buffer.data(), needed, &needed, &returned)) return queues;
  const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < returned; ++i)
    queues.push_back({textOf(records[i].pPrinterName), textOf(records[i].pPortName), textOf(records[i].pDriverName)});
  return queues;
}

std::vector<std::string> EnumeratePrinters() {
  std::vector<QueueFacts> facts;
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0;
  DWORD returned = 0;
  EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &returned);
  if (needed != 0) {
    std::vector<BYTE> buffer(needed + 4);
    if (EnumPrintersA(flags, nullptr, 2, buffer.data(), needed, &needed, &returned) && returned > 0) {
      const bool fileRule = excludesFilePort();
      const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
      std::size_t accepted = 0;
      for (DWORD i = 0; i < returned && accepted < kMaxPrinters; ++i) {
        SpoolerQueue queue{textOf(records[i].pPrinterName), textOf(records[i].pPortName),
                           textOf(records[i].pDriverName)};
        QueueFacts f = describeQueue(queue);
        if (f.acceptsRawPostScript && !f.pdfConverter && !f.conversionPort && !(f.filePort && fileRule)) ++accepted;
        facts.push_back(f);
      }
      return selectOfferedPrinters(facts, fileRule);
    }
  }
  return selectOfferedPrinters(facts, false);
}

bool WriteDataToPrinter(const std::string& docName, const std::string& printerName, const ChunkReader& reader) {
  HANDLE printer = nullptr;
  if (!OpenPrinterA(const_cast<char*>(printerName.c_str()), &printer, nullptr)) return false;
  DOC_INFO_1A info{};
  info.pDocName = const_cast<char*>(docName.c_str());
  info.pOutputFile = nullptr;
  info.pDatatype = const_cast<char*>("RAW");
  DWORD jobId = StartDocPrinterA(printer, 1, reinterpret_cast<LPBYTE>(&info));
  if (jobId == 0) {
    ClosePrinter(printer);
    return false;
  }
  if (!StartPagePrinter(printer)) {
    endDocument(printer, jobId, true);
    ClosePrinter(printer);
    return false;
  }
  std::vector<char> buffer(kSpoolerChunkSize);
  for (;;) {
    long got = reader(buffer.data(), buffer.size());
    DWORD written = 0;
    bool wrote = got >= 0 && WritePrinter(printer, buffer.data(), static_cast<DWORD>(got < 0 ? 0 : got), &written);
    if (got < 0 || !wrote || written != static_cast<DWORD>(got)) {
      EndPagePrinter(printer);
      endDocument(printer, jobId, true);
      ClosePrinter(printer);
      return false;
    }
    if (static_cast<std::size_t>(got) != buffer.size()) break;
  }
  if (!EndPagePrinter(printer)) {
    endDocument(printer, jobId, false);
    ClosePrinter(printer);
    return false;
  }
  if (!EndDocPrinter(printer)) {
    ClosePrinter(printer);
    return false;
  }
  ClosePrinter(printer);
  return true;
}

bool WriteFileToPrinter(const std::string& docName, const std::string& filePath, const std::string& printerName) {
  // Shared for reading: the job file is held open (read only) while it is
  // delivered, so that no other run takes it for a leftover.
  HANDLE file = CreateFileA(filePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteDataToPrinter(docName, printerName, [file](char* buffer, std::size_t size) -> long {
    DWORD got = 0;
    if (!ReadFile(file, buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
    return static_cast<long>(got);
  });
  CloseHandle(file);
  return ok;
}
