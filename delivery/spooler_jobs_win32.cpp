// Windows: the copy goes through WriteFileToPrinter, which keeps no job
// number, so jobs cannot be followed; the default queue is the user's
// default printer.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "delivery/spooler_jobs.h"

Submission SubmitFileToPrinter(const std::string& docName, const std::string& filePath,
                               const std::string& printerName, const SendWatch& watch) {
  Submission s;
  // Shared for reading: the job file is held open (read only) while it is
  // delivered, so that no other run takes it for a leftover.
  HANDLE file = CreateFileA(filePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    s.error = "cannot open the job file";
    return s;
  }
  const ChunkReader fromFile = [file](char* buffer, std::size_t size) -> long {
    DWORD got = 0;
    if (!ReadFile(file, buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
    return static_cast<long>(got);
  };
  bool cancelled = false;
  // A failed reader makes WriteDataToPrinter delete the unfinished job.
  s.ok = WriteDataToPrinter(docName, printerName,
                            watchedReader(fromFile, printerName, jobFileSize(filePath), watch, cancelled));
  CloseHandle(file);
  if (cancelled) {
    s.ok = false;
    s.cancelled = true;
    s.error = "cancelled";
  }
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
