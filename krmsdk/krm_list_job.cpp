// krmListPrinterFiles: a job that prints the names of the printer's files
// that match a pattern, and on request writes them to its connection too.
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

  const int flags = fos ? fos->krmFOSGetFlags() : 0;
  const bool answer = (flags & kKrmFlagAnswerListing) != 0;
  const bool page = !answer || (flags & kKrmFlagNoListPage) == 0;

  SdkString job;
  krmWriteJobHeader(job, kFunction, fos ? fos->krmFOSGetHeaderComments() : "");
  krmAppendProlog(job);
  // The connection's listing holds the whole disk for "everything", not
  // just the two areas the page lists.
  if (answer) krmAppendAnswerListing(job, "(" + krmPsString(krmMeansEverything(pattern) ? "*" : pattern) + ")");
  if (!page) {
    job.append(kKrmTrailer);
  } else if (krmMeansEverything(pattern)) {
    job.append("\n(tqf/*) (" + printerOperand + ") true false list&remove\n");
    job.append("\n(tqfc/*) (" + printerOperand + ") true false list&remove\n");
  } else {
    job.append("\n(" + krmPsString(pattern) + ") (" + printerOperand + ") true false list&remove");
  }
  if (page) job.append(kKrmListTrailer);
  const char* out = vos->krmVOSGetOutputPath();
  int rc = krmWriteWholeText(out, job.view()) ? kKrmOk : kKrmWriteError;
  return krmReportResult(kFunction, rc, out);
}
