// krmListPrinterFiles: a job that prints the names of the printer's files
// that match a pattern.
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_wildcard.h"
#include "krmsdk/krmsdk.h"

int krmListPrinterFiles(const krmFOS* fos, const krmVOS* vos) {
  static const char* const kFunction = "krmListPrinterFiles";
  if (int rc = krmCheckStarted()) return rc;
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;
  const char* pattern = fos ? fos->krmFOSGetFilePattern() : nullptr;
  if (pattern == nullptr || *pattern == '\0') pattern = "*";
  const char* printer = fos ? fos->krmFOSGetPrinterName() : nullptr;
  const std::string printerOperand = krmPsString(printer ? printer : "");

  SdkString job;
  krmWriteJobHeader(job, kFunction, fos ? fos->krmFOSGetHeaderComments() : "");
  krmAppendProlog(job);
  if (krmMeansEverything(pattern)) {
    job.append("\n(tqf/*) (" + printerOperand + ") true false list&remove\n");
    job.append("\n(tqfc/*) (" + printerOperand + ") true false list&remove\n");
  } else {
    job.append("\n(" + krmPsString(pattern) + ") (" + printerOperand + ") true false list&remove");
  }
  job.append(kKrmListTrailer);
  const char* out = vos->krmVOSGetOutputPath();
  int rc = krmWriteWholeText(out, job.view()) ? kKrmOk : kKrmWriteError;
  return krmReportResult(kFunction, rc, out);
}
