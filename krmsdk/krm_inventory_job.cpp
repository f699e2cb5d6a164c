// krmCreatePrinterInventory: a job that only answers on the connection,
// telling in brief what the printer's disk holds.
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krmsdk.h"

extern const unsigned char kKrmAnswerPs[];
extern const std::size_t kKrmAnswerPs_size;
extern const unsigned char kKrmInventoryPs[];
extern const std::size_t kKrmInventoryPs_size;

int krmCreatePrinterInventory(const krmVOS* vos) {
  static const char* const kFunction = "krmCreatePrinterInventory";
  if (int rc = krmCheckStarted()) return rc;
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;

  SdkString job;
  krmWriteJobHeader(job, kFunction, "");
  krmAppendProlog(job);
  // The listing's procset brings the hexadecimal and disk-space lines.
  job.append("\n");
  job.append(std::string_view(reinterpret_cast<const char*>(kKrmAnswerPs), kKrmAnswerPs_size));
  job.append(std::string_view(reinterpret_cast<const char*>(kKrmInventoryPs), kKrmInventoryPs_size));
  job.append("answer_inventory\n");
  job.append(kKrmTrailer);
  const char* out = vos->krmVOSGetOutputPath();
  int rc = krmWriteWholeText(out, job.view()) ? kKrmOk : kKrmWriteError;
  return krmReportResult(kFunction, rc, out);
}
