// krmCreatePrintableContainer: one job that prints a project's submission
// file together with what it needs: optionally the deployment of its
// resources, their in-memory definitions and the whole Tessel interpreter.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

#include "base/sdk_fs.h"
#include "krmsdk/krm_container_tessel.h"
#include "krmsdk/krm_file_copy.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_koro_texts.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krm_project.h"
#include "krmsdk/krm_source.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krmsdk.h"

namespace {

constexpr const char* kSave = "\nuserdict /KOROSAVE save put clear\n";
constexpr const char* kRestoreAfterDeployment = "clear KOROSAVE restore\n";
constexpr const char* kStartIfAbsent = "\n/TQF where {pop} {(Sys/Start) run} ifelse\n";
constexpr const char* kInlineOpening = "%%Start including resources (if any)\n";
constexpr const char* kInlineFontCache = "\n/FSHOW /FCACHE ld\n";
constexpr const char* kInlineClosing = "\n%% End including resources\n\n";
constexpr const char* kDictionaryClosing = "end     % mandatory (remove TQFdict from dict stack)\n";
constexpr const char* kBeforeData = "\nRSAVE\n";
constexpr const char* kTrailerResident = "\n[/KeepVMF false] SETPARAMS\nTQFEND\n%%EOF\n\nclear TQF end end\n%%EOF";
constexpr const char* kTrailer =
    "\n[/KeepVMF false] SETPARAMS\nTQFEND\n%%EOF\n\nclear TQF end end KOROSAVE restore\n%%EOF";
constexpr std::size_t kProbeSize = 65536;

bool isEmpty(const char* text) { return text == nullptr || *text == '\0'; }

// "[ /DefinedDate [Y m d H M S dst] /KeepVMF true ] SETPARAMS" and "TQF".
std::string parametersText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char date[64];
  std::strftime(date, sizeof date, "%Y %m %d %H %M %S", &local);
  return std::string("[ /DefinedDate [") + date + (local.tm_isdst > 0 ? " 1" : " 0") +
         "] /KeepVMF true ] SETPARAMS\n\nTQF\n";
}

std::string pageRangeText(int mode, int first, int last) {
  return "\n[/PageRange " + std::to_string(mode) + "] SETPARAMS\n" + std::to_string(first) + " " +
         std::to_string(last) + " PAGERANGE\n";
}

// The submission file to print, or nothing (1015).
// Copies the submission file into the container, telling the caller.
// A submission file of the project is opened as itself (no link is
// followed); an external one is the operator's choice.
int copySubmission(KrmStream& out, const std::string& path, bool external) {
  const SdkLinks links = external ? SdkLinks::kFollow : SdkLinks::kRefuse;
  std::int64_t size = 0;
  if (sdkFileKindOf(path.c_str(), links, &size) != SdkFileKind::kRegular) return out.fail(kKrmLoadError, path);
  krmProgressFile(KrmProgressStep::kWriting, sdkFileNamePart(path), size);
  return krmCopyFileInChunks(
      out, path.c_str(), kKrmSubmissionChunk,
      [](std::int64_t, std::size_t got) { krmProgressBytes(static_cast<std::int64_t>(got)); }, links);
}

// The job's title names the submission file with "/" between folders on
// every system, so that one project gives the same job bytes everywhere.
std::string jobTitle(std::string path) {
  if (kSdkHostSeparator != '/') std::replace(path.begin(), path.end(), kSdkHostSeparator, '/');
  return path;
}

std::optional<std::string> submissionPath(const krmPPS& pps, const KxProject& project) {
  const char* named = pps.krmPPSGetSubmissionFile();
  std::string path;
  if (pps.krmPPSGetFlags() & kKrmPpsExternalSubmission) {
    path = named ? named : "";
  } else if (!isEmpty(named)) {
    int at = project.FindResource(named);
    if (at < 0) return std::nullopt;
    const KxResource& r = *project.GetResource(at);
    if (r.GetType() != "sub" && r.GetType() != "frm") return std::nullopt;
    path = r.GetPath();
  } else {
    const int count = project.GetSubmissionFileCount();
    if (count == 0) return std::nullopt;
    path = project.GetSubmissionFilePath(count == 1 ? 0 : 1);
  }
  if (path.empty() || !sdkFileExists(path.c_str()) || sdkIsDirectory(path.c_str())) return std::nullopt;
  return path;
}

// The first 64 KiB (or the whole shorter file) can be read.
bool headReadable(const std::string& path, bool external) {
  KrmFileSource source;
  if (!source.open(path.c_str(), external ? SdkLinks::kFollow : SdkLinks::kRefuse)) return false;
  std::string head(kProbeSize, '\0');
  std::size_t got = 0;
  return source.readAt(0, head.data(), head.size(), got);
}

}  // namespace

int krmCopyFileInChunks(KrmStream& stream, const char* path, std::size_t chunk,
                        const std::function<void(std::int64_t, std::size_t)>& onRead, SdkLinks links) {
  if (!stream.ok() || stream.refusesInput(path)) return stream.result();
  // A device or FIFO would give bytes without end or none at all: only a
  // regular file of a size known now is copied.
  SdkRegularFile source = sdkOpenRegularFile(path, links);
  if (!source.file) return stream.fail(kKrmLoadError, path ? path : "");
  std::FILE* output = stream.flushedFile();
  if (output == nullptr) return stream.result();
  // The system copies each chunk from file to file; the job's own buffers
  // never hold the data.
  for (std::int64_t offset = 0;;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(source.size - offset, chunk));
    KrmCopyResult copy = krmCopyFileRange(fileno(source.file.get()), offset, fileno(output), want);
    if (onRead) onRead(offset, copy.copied);
    if (copy.writeFailed) return stream.fail(kKrmWriteError, stream.outputPath());
    // Short of the size it had: the file shrank while it was copied.
    if (copy.readFailed || copy.copied < want) return stream.fail(kKrmLoadError, path);
    offset += static_cast<std::int64_t>(copy.copied);
    if (copy.copied < chunk || offset >= source.size) break;
  }
  // The file's own position follows its descriptor again for later writes.
#ifdef _WIN32
  if (_fseeki64(output, 0, SEEK_END) != 0) return stream.fail(kKrmWriteError, stream.outputPath());
#else
  if (fseeko(output, 0, SEEK_END) != 0) return stream.fail(kKrmWriteError, stream.outputPath());
#endif
  return stream.result();
}

int krmPrintableContainer(const char* function, const krmPPS& pps, KrmProjectJob& job, const char* outputPath) {
  KxProject& project = job.project();
  const int flags = pps.krmPPSGetFlags();
  const char* koroPath = pps.krmPPSGetKOROPath();
  const bool builtIn = (flags & kKrmPpsUseStub) || isEmpty(koroPath);
  const bool selfContained = flags & kKrmPpsSelfContained;
  const bool resident = (flags & (kKrmPpsSelfContained | kKrmPpsInlineResources)) && (flags & kKrmPpsResident);
  const bool imaging = builtIn && (flags & kKrmPpsImagingModule);
  const bool external = flags & kKrmPpsExternalSubmission;

  std::unique_ptr<KrmStream> stream = krmOpenStream(function, outputPath);
  if (!stream->ok()) return krmCloseStream(stream);
  KrmStream& out = *stream;

  std::optional<std::string> submission = submissionPath(pps, project);
  if (!submission) {
    const char* named = pps.krmPPSGetSubmissionFile();
    out.fail(kKrmPrintFileMissing, named ? named : "");
    return krmCloseStream(stream);
  }
  if (flags == 0 || flags == kKrmPpsExternalSubmission) {
    // Nothing to add: the container is the submission file itself.
    copySubmission(out, *submission, external);
    return krmCloseStream(stream);
  }
  if (!headReadable(*submission, external)) {
    out.fail(kKrmLoadError, *submission);
    return krmCloseStream(stream);
  }

  std::string comments = pps.krmPPSGetHeaderComments();
  if (flags & kKrmPpsDeployResources) comments += kKrmDeployMarker;
  SdkString header;
  krmWriteJobHeader(header, jobTitle(*submission).c_str(), comments.c_str());
  if (resident) header.append(kKrmStartJobExit);
  out.write(header.view());

  if ((flags & kKrmPpsDeployResources) && out.ok()) {
    out.write(kSave);
    // Nothing to deploy is fine here: the container still prints.
    int rc = krmLoadProjRes(pps.krmPPSGetResourceList(), project, flags, pps.krmPPSGetPrinterName(), function,
                            out, outputPath);
    if (rc == kKrmOk || rc == kKrmNoResource) out.write(kRestoreAfterDeployment);
  }
  if (!selfContained) out.write(kStartIfAbsent);
  if (!resident) out.write(kSave);

  KrmContainerTessel tessel(out, builtIn, resident, imaging, koroPath ? koroPath : "",
                            builtIn ? std::string() : krmLocalStartupFile(koroPath));
  if (selfContained) {
    tessel.prepare();
    tessel.writeProlog();
    if (flags & kKrmPpsErrorHandler) out.write(krmErrorHandlerText());
  }
  out.write(parametersText());
  if (flags & kKrmPpsInlineResources) out.write(kInlineOpening);
  if (selfContained) tessel.writeEncodings(project);
  if ((flags & kKrmPpsInlineResources) && !(flags & kKrmPpsDeployResources) && out.ok()) {
    out.write(kInlineFontCache);
    if (krmIncludeResources(function, project, flags, out, outputPath) == kKrmOk) out.write(kInlineClosing);
  }
  if (selfContained) {
    out.write(krmTesselConfigText());
    tessel.writeModules();
    out.write(kDictionaryClosing);
  }

  std::string beforeData;
  if (resident) beforeData += kKrmStartJobReturn;
  if (flags & kKrmPpsPageRange)
    beforeData += pageRangeText(pps.krmPPSGetPageRangeMode(), pps.krmPPSGetFirstPage(), pps.krmPPSGetLastPage());
  beforeData += kBeforeData;
  out.write(beforeData);
  copySubmission(out, *submission, external);
  out.write(resident ? kTrailerResident : kTrailer);
  return krmCloseStream(stream);
}

int krmCreatePrintableContainer(const krmPPS* pps, const krmVOS* vos) {
  static const char* const kFunction = "krmCreatePrintableContainer";
  KrmProgressScope progress(vos);
  KrmProjectJob job;
  int rc = krmOpenProjectJob(kFunction, pps, vos, job);
  if (rc != kKrmOk) return rc;
  return krmPrintableContainer(kFunction, *pps, job, vos->krmVOSGetOutputPath());
}
