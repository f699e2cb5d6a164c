// Loose files and fonts: loading, removing, and a project's printer files.
#include "base/sdk_fs.h"
#include "kpsdk/kx_names.h"
#include "krmsdk/krm_font.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_koro_texts.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_printer_names.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_transfer.h"
#include "krmsdk/krm_wildcard.h"
#include "krmsdk/krmsdk.h"

namespace {

bool isEmpty(const char* text) { return text == nullptr || *text == '\0'; }

const char* orEmpty(const char* text) { return text ? text : ""; }

// Writes header and prolog to a freshly opened stream.
void writeFraming(KrmStream& stream, const char* title, const char* headerComments) {
  SdkString text;
  krmWriteJobHeader(text, title, headerComments);
  krmAppendProlog(text);
  stream.write(text.view());
}

// Sends one font file: its PFB segments unwrapped, under "fonts/" + its
// font name.
void sendFont(KrmStream& stream, const char* path, const std::string& options, bool hex) {
  if (!sdkFileExists(path) || sdkIsDirectory(path)) {
    stream.fail(kKrmSourceMissing, path);
    return;
  }
  if (stream.refusesInput(path)) return;
  KrmFileSource source;
  if (!source.open(path)) {
    stream.fail(kKrmLoadError, path);
    return;
  }
  if (source.fileSize() < 1 || source.fileSize() > kKrmMaxEmbeddedFileSize) {
    stream.fail(kKrmFileSize, path);
    return;
  }
  KrmRanges ranges;
  switch (krmUnwrapPFBRanges(source, ranges)) {
    case KrmPfbStatus::kNotPfb:
      ranges = {{0, source.fileSize()}};
      break;
    case KrmPfbStatus::kUnwrapped:
      break;
    case KrmPfbStatus::kMalformed:
      stream.fail(kKrmNoFontName, path);
      return;
  }
  KrmFontNameScanner scanner;
  bool read = source.forEachPiece(ranges, 64 * 1024, [&](const unsigned char* data, std::size_t n) {
    scanner.feed(reinterpret_cast<const char*>(data), n);
    return !scanner.done();
  });
  const bool readFailed = !read && !scanner.done();
  scanner.finish();
  std::optional<std::string> name = scanner.result();
  if (readFailed) {
    stream.fail(kKrmLoadError, path);
    return;
  }
  if (!name) {
    stream.fail(kKrmNoFontName, path);
    return;
  }
  // A font name the printer would not store ("..", control bytes, a name
  // too long) is no font name to load under.
  if (krmPrinterNameFault(*name) != KrmNameFault::kNone) {
    stream.fail(kKrmNoFontName, krmShownName(*name));
    return;
  }
  krmDiskLoadRanges(stream, source, ranges, *name, options, hex, path);
}

// Tells the caller which of the job's files comes next.
void reportFile(const char* path, int index, int count) {
  if (!krmProgressWanted() || path == nullptr) return;
  krmProgressFile(KrmProgressStep::kWriting, sdkFileNamePart(path), sdkFileSize(path), index + 1, count);
}

// 1017 with the first name of the list that the printer would refuse
// (removal: apart from the entries that mean everything), else 0. Nothing
// has been written then.
int refuseBadNames(const char* function, const SdkList& names, bool removal) {
  for (int i = 0; i < names.count(); ++i) {
    const std::string_view name = orEmpty(names.get(i));
    if (removal && krmMeansEverything(name)) continue;
    if (krmPrinterNameFault(name) != KrmNameFault::kNone)
      return krmReportResult(function, kKrmBadParameter, krmShownName(name));
  }
  return 0;
}

// Removal line: "(" entry ") (" printer ") " status " true list&remove\n".
std::string removalLine(const std::string& entry, const std::string& printer, bool status) {
  return "(" + krmPsString(entry) + ") (" + printer + ") " + krmPsBool(status) + " true list&remove\n";
}

}  // namespace

int krmCreateFileLoader(const krmFOS* fos, const krmVOS* vos) {
  static const char* const kFunction = "krmCreateFileLoader";
  KrmProgressScope progress(vos);
  if (int rc = krmCheckStarted()) return rc;
  if (fos == nullptr || fos->krmFOSGetLoadFilesList().count() == 0 ||
      fos->krmFOSGetLoadFilesList().count() != fos->krmFOSGetPrinterFilesList().count())
    return krmMissingField(kFunction, "krmFOS.loadFilesList or krmFOS.printerFilesList");
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;
  if (int rc = refuseBadNames(kFunction, fos->krmFOSGetPrinterFilesList(), false)) return rc;

  const int flags = fos->krmFOSGetFlags();
  const bool status = flags & kKrmFlagStatusPage;
  const std::string options =
      krmTransferOptions(fos->krmFOSGetPrinterName(), status, flags & kKrmFlagOverwrite);
  KrmStream stream(kFunction, vos->krmVOSGetOutputPath());
  if (stream.open() == kKrmOk) {
    writeFraming(stream, kFunction, fos->krmFOSGetHeaderComments());
    const SdkList& locals = fos->krmFOSGetLoadFilesList();
    const SdkList& targets = fos->krmFOSGetPrinterFilesList();
    for (int i = 0; i < locals.count() && stream.ok(); ++i) {
      reportFile(locals.get(i), i, locals.count());
      krmSendLocalFile(stream, locals.get(i), targets.get(i), options, flags & kKrmFlagHex);
    }
    stream.write(status ? kKrmListTrailer : kKrmTrailer);
  }
  return stream.close();
}

int krmCreatePSFontLoader(const krmFOS* fos, const krmVOS* vos) {
  static const char* const kFunction = "krmCreatePSFontLoader";
  KrmProgressScope progress(vos);
  if (int rc = krmCheckStarted()) return rc;
  if (fos == nullptr || fos->krmFOSGetLoadFontsList().count() == 0)
    return krmMissingField(kFunction, "krmFOS.loadFontsList");
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;

  const int flags = fos->krmFOSGetFlags();
  const bool status = flags & kKrmFlagStatusPage;
  // Fonts never overwrite.
  const std::string options = krmTransferOptions(fos->krmFOSGetPrinterName(), status, false);
  KrmStream stream(kFunction, vos->krmVOSGetOutputPath());
  if (stream.open() == kKrmOk) {
    writeFraming(stream, kFunction, fos->krmFOSGetHeaderComments());
    const SdkList& fonts = fos->krmFOSGetLoadFontsList();
    for (int i = 0; i < fonts.count() && stream.ok(); ++i) {
      reportFile(fonts.get(i), i, fonts.count());
      sendFont(stream, fonts.get(i), options, flags & kKrmFlagHex);
    }
    stream.write(status ? kKrmListTrailer : kKrmTrailer);
  }
  return stream.close();
}

int krmCreateFileRemover(const krmFOS* fos, const krmVOS* vos) {
  static const char* const kFunction = "krmCreateFileRemover";
  if (int rc = krmCheckStarted()) return rc;
  if (fos == nullptr || fos->krmFOSGetRemoveFilesList().count() == 0)
    return krmMissingField(kFunction, "krmFOS.removeFilesList");
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;
  if (int rc = refuseBadNames(kFunction, fos->krmFOSGetRemoveFilesList(), true)) return rc;

  const bool status = fos->krmFOSGetFlags() & kKrmFlagStatusPage;
  const std::string printer = krmPsString(orEmpty(fos->krmFOSGetPrinterName()));
  const char* comments = fos->krmFOSGetHeaderComments();
  SdkString job;
  krmWriteJobHeader(job, kFunction, comments);
  krmAppendProlog(job);
  bool everything = false;
  const SdkList& entries = fos->krmFOSGetRemoveFilesList();
  for (int i = 0; i < entries.count(); ++i) {
    std::string entry = entries.get(i);
    if (krmMeansEverything(entry)) {
      // Removing everything also removes Tessel: leave job encapsulation
      // and switch the power-on start off.
      krmWriteJobHeader(job, kFunction, comments);
      job.append(kKrmStartJobExit);
      krmAppendProlog(job);
      job.append(removalLine("tqf/*", printer, status));
      job.append(removalLine("tqfc/*", printer, status));
      job.append(krmAutoStartCommand(fos->krmFOSGetPrinterName(), status, 0));
      everything = true;
      break;
    }
    job.append(removalLine(entry, printer, status));
  }
  if (status) job.append(kKrmEndList);
  if (everything) job.append("\nfalse () startjob pop");
  job.append(kKrmTrailer);
  const char* out = vos->krmVOSGetOutputPath();
  return krmReportResult(kFunction, krmWriteWholeText(out, job.view()) ? kKrmOk : kKrmWriteError, out);
}

namespace {

// Required folder and project names of the project jobs (0 when both are
// there, else the recorded 1017). Each is one level of "tqfc/" on the
// printer, and not one of the shared scopes' folders there: a project
// "fshared" would be its folder's shared files.
int checkProjectNames(const char* function, const krmPPS* pps) {
  auto plain = [](const char* name, std::string_view reserved) {
    return kxIsSafeFolderName(name) && !kxIsSharedLevel(name, reserved) && !kxIsReservedPrinterName(name);
  };
  if (pps == nullptr || isEmpty(pps->krmPPSGetFolderName()) || !plain(pps->krmPPSGetFolderName(), kKxGlobalSharedLevel))
    return krmMissingField(function, "krmPPS.folderName");
  if (isEmpty(pps->krmPPSGetProjectName()) || !plain(pps->krmPPSGetProjectName(), kKxFolderSharedLevel))
    return krmMissingField(function, "krmPPS.projectName");
  return 0;
}

std::string projectArray(const krmPPS* pps, int digit) {
  return "[(" + krmPsString(pps->krmPPSGetFolderName()) + ") (" + krmPsString(pps->krmPPSGetProjectName()) +
         ") " + std::to_string(digit) + "]";
}

}  // namespace

int krmCreateProjectRemover(const krmPPS* pps, const krmVOS* vos) {
  static const char* const kFunction = "krmCreateProjectRemover";
  if (int rc = krmCheckStarted()) return rc;
  if (int rc = checkProjectNames(kFunction, pps)) return rc;
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;

  const int flags = pps->krmPPSGetFlags();
  const bool status = flags & kKrmPpsStatusPage;
  int digit = 0;
  if (flags & kKrmPpsNoFolderShared) digit += 1;
  if (flags & kKrmPpsNoGlobalShared) digit += 2;
  SdkString job;
  krmWriteJobHeader(job, kFunction, pps->krmPPSGetHeaderComments());
  krmAppendProlog(job);
  job.append("\n\n" + projectArray(pps, digit) + " (" + krmPsString(orEmpty(pps->krmPPSGetPrinterName())) +
             ") " + krmPsBool(status) + " true list&remove\n");
  job.append(status ? kKrmListTrailer : kKrmTrailer);
  const char* out = vos->krmVOSGetOutputPath();
  return krmReportResult(kFunction, krmWriteWholeText(out, job.view()) ? kKrmOk : kKrmWriteError, out);
}

int krmListPrinterProjectResources(const krmPPS* pps, const krmVOS* vos) {
  static const char* const kFunction = "krmListPrinterProjectResources";
  if (int rc = krmCheckStarted()) return rc;
  if (int rc = checkProjectNames(kFunction, pps)) return rc;
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;

  const int flags = pps->krmPPSGetFlags();
  const bool answer = (flags & kKrmFlagAnswerListing) != 0;
  SdkString job;
  krmWriteJobHeader(job, kFunction, pps->krmPPSGetHeaderComments());
  krmAppendProlog(job);
  if (answer) krmAppendAnswerListing(job, projectArray(pps, 0));
  if (answer && (flags & kKrmFlagNoListPage)) {
    job.append(kKrmTrailer);
  } else {
    job.append("\n" + projectArray(pps, 0) + " (" + krmPsString(orEmpty(pps->krmPPSGetPrinterName())) +
               ") true false list&remove");
    job.append(kKrmListTrailer);
  }
  const char* out = vos->krmVOSGetOutputPath();
  return krmReportResult(kFunction, krmWriteWholeText(out, job.view()) ? kKrmOk : kKrmWriteError, out);
}
