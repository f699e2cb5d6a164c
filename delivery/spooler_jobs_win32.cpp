// Windows: the copy goes through WriteFileToPrinter, which keeps no job
// number, so jobs cannot be followed; the default queue is the user's
// default printer.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "delivery/spooler_jobs.h"

Submission SubmitFileToPrinter(const std::string& docName, const std::string& filePath,
                               const std::string& printerName) {
  Submission s;
  s.ok = WriteFileToPrinter(docName, filePath, printerName);
  return s;
}

JobStatus QueryJob(const std::string&, int) { return {}; }

std::string SpoolerUnreachableReason() { return {}; }

std::string SpoolerDefaultPrinter() {
  DWORD size = 0;
  GetDefaultPrinterA(nullptr, &size);
  if (size == 0) return {};
  std::vector<char> name(size);
  if (!GetDefaultPrinterA(name.data(), &size)) return {};
  return std::string(name.data());
}
