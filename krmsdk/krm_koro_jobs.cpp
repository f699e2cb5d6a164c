// Tessel installation, start-up and removal.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/sdk_fs.h"
#include "base/sdk_list.h"
#include "krmsdk/krm_builtin.h"
#include "krmsdk/krm_command_file.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_koro_texts.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_transfer.h"
#include "krmsdk/krmsdk.h"

namespace {

// A version file larger than this is not a version file; it is refused.
constexpr std::int64_t kMaxVersionFile = 64 * 1024;

const char* orEmpty(const char* text) { return text ? text : ""; }

std::string lowerCopy(std::string s) {
  sdkLowerAscii(s);
  return s;
}

std::string foldDoubledSeparators(std::string path) {
  const std::string doubled(2, kSdkHostSeparator);
  std::string::size_type at;
  while ((at = path.find(doubled)) != std::string::npos) path.erase(at, 1);
  return path;
}

// A path as the host reads it: where the host separator is "\", a "/"
// separates too (start-up files and users write either), so both are made
// the same before paths are compared.
std::string hostSeparators(std::string path) {
  if constexpr (kSdkHostSeparator == '\\') std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// Printer path of a file of the local Tessel folder, or nothing when the
// file lies outside it.
std::optional<std::string> printerPathIn(const std::string& koroFolder, const std::string& localFile) {
  const std::string koroPath = hostSeparators(koroFolder);
  const std::string file = hostSeparators(localFile);
  if (file.size() <= koroPath.size() || lowerCopy(file.substr(0, koroPath.size())) != lowerCopy(koroPath))
    return std::nullopt;
  std::string rest = file.substr(koroPath.size());
  for (char& c : rest)
    if (c == '\\') c = '/';
  return "tqf/" + rest;
}

// The files a local install sends after the start files: what the start-up
// file runs, the encoding folder, the logo images and segments.
std::vector<std::string> localInstallList(const std::string& koroPath, const SdkList& operands) {
  std::vector<std::string> files = operands.toVector();
  SdkList encodings;
  std::string encodingDir = koroPath + "encoding";
  krmGetFileList(encodings, encodingDir.c_str(), nullptr);
  for (const std::string& name : encodings.toVector()) files.push_back(sdkJoinPath(encodingDir, name));
  auto inFolder = [&](const char* dir, const char* name) { return koroPath + dir + kSdkHostSeparator + name; };
  std::string jpeg = inFolder("imglib", "KOROins.jpg");
  files.push_back(sdkFileExists(jpeg.c_str()) ? jpeg : inFolder("imglib", "KOROins.tif"));
  files.push_back(inFolder("imglib", "nlogo.tif"));
  files.push_back(inFolder("formlib", "tqflogo.seg"));
  files.push_back(inFolder("formlib", "tqflogb.seg"));
  std::string stamp = inFolder("formlib", "kxistamp.seg");
  if (sdkFileExists(stamp.c_str())) files.push_back(stamp);
  return files;
}

void sendText(KrmStream& stream, std::string_view text, const char* target, const std::string& options,
              bool hex) {
  krmDiskLoadFile(stream.function().c_str(), text.data(), text.size(), target, options, hex, stream,
                  stream.outputPath().c_str());
}

}  // namespace

int krmInstallKORO(const krmIOS* ios, const krmVOS* vos) {
  static const char* const kFunction = "krmInstallKORO";
  if (int rc = krmCheckStarted()) return rc;
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;

  const krmIOS defaults;
  if (ios == nullptr) ios = &defaults;
  const int flags = ios->krmIOSGetFlags();
  const std::string koroPath = orEmpty(ios->krmIOSGetKOROPath());
  const bool builtIn = (flags & kKrmIosBuiltIn) || koroPath.empty();
  const bool status = flags & kKrmIosStatusPage;
  const bool hex = flags & kKrmIosHex;
  const bool imaging = flags & kKrmIosImagingModule;
  const std::string options = krmTransferOptions(ios->krmIOSGetPrinterName(), status, true);
  // The job is renamed over its output when complete: an output that is
  // one of the folder's files the job reads would replace it.
  if (!builtIn) {
    for (const std::string& input :
         {koroPath + "VER", krmLocalTqfdosFile(koroPath.c_str()), krmLocalStartupFile(koroPath.c_str())})
      if (int rc = krmCheckOutputApart(kFunction, vos, input)) return rc;
  }

  KrmStream stream(kFunction, vos->krmVOSGetOutputPath());
  if (stream.open() != kKrmOk) return stream.close();

  SdkString head;
  krmWriteJobHeader(head, kFunction, ios->krmIOSGetHeaderComments());
  if (flags & kKrmIosPowerOnStart) {
    head.append(kKrmStartJobExit);
    head.append("currentsystemparams /StartupMode known\n");
    head.append("  { << /StartupMode 1 >> setsystemparams } if\n");
  }
  krmAppendProlog(head);
  stream.write(head.view());

  std::string tqfdep = krmTqfDepPS(builtIn, koroPath.c_str());
  sendText(stream, tqfdep, "tqf/src/tqfdep", options, hex);

  SdkList operands;
  std::string startupFile;
  if (!builtIn) {
    std::string ver = koroPath + "VER";
    // A version file that exists is sent; an empty or oversized one is
    // refused rather than left out without a word.
    if (sdkFileExists(ver.c_str())) {
      std::int64_t size = sdkFileSize(ver.c_str());
      if (size < 1 || size > kMaxVersionFile) {
        stream.fail(kKrmFileSize, ver);
      } else if (auto text = sdkReadWholeFile(ver.c_str())) {
        sendText(stream, *text, "tqf/VER", options, hex);
      }
    }
    startupFile = krmLocalStartupFile(koroPath.c_str());
    krmGetCommandStrings(startupFile.c_str(), "run", 1, 1, operands);
    if (operands.count() == 0) stream.fail(kKrmParseError, startupFile);
  }
  if (stream.ok()) {
    std::string dotRun = krmDotRunPS(builtIn, builtIn && imaging, builtIn ? nullptr : startupFile.c_str());
    sendText(stream, dotRun, "tqf/src/tqfdep.run", options, hex);
  }

  if (stream.ok() && builtIn) {
    krmWriteBuiltInImage(stream, imaging);
  } else if (stream.ok()) {
    for (const std::string& entry : localInstallList(koroPath, operands)) {
      std::string file = foldDoubledSeparators(hostSeparators(entry));
      std::optional<std::string> target = printerPathIn(koroPath, file);
      if (!target) {
        stream.fail(kKrmPathOutsideKoro, entry);
        break;
      }
      if (krmSendLocalFile(stream, file.c_str(), *target, options, hex) != kKrmOk) break;
    }
  }

  if (stream.ok() && (flags & kKrmIosErrorHandler))
    sendText(stream, krmErrorHandlerText(), "tqf/errorh.ps", options, hex);
  if (stream.ok()) sendText(stream, "/krmsdk\n", "tqf/devicetype", options, hex);

  int mode = 0;
  if (flags & kKrmIosPowerOnStart) mode = (flags & kKrmIosDotRun) ? 2 : 1;
  std::string tail = krmAutoStartCommand(ios->krmIOSGetPrinterName(), status, mode);
  if (status) tail += kKrmEndList;
  tail += "\nfalse () startjob pop\n%EOF";
  stream.write(tail);
  return stream.close();
}

int krmStartupKORO(const krmIOS* ios, const krmVOS* vos) {
  static const char* const kFunction = "krmStartupKORO";
  if (int rc = krmCheckStarted()) return rc;
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;

  const int flags = ios ? ios->krmIOSGetFlags() : 0;
  SdkString job;
  krmWriteJobHeader(job, kFunction, ios ? ios->krmIOSGetHeaderComments() : "");
  job.append("true () startjob pop\n");
  job.append((flags & kKrmIosDotRun) ? "(tqf/src/tqfdep.run) run\n" : "(tqf/src/tqfdep) run\n");
  job.append("false () startjob pop\n");
  if (flags & kKrmIosStatusPage) job.append(krmConfirmationPageText());
  job.append("%EOF");
  const char* out = vos->krmVOSGetOutputPath();
  return krmReportResult(kFunction, krmWriteWholeText(out, job.view()) ? kKrmOk : kKrmWriteError, out);
}

int krmUninstallKORO(const krmIOS* ios, const krmVOS* vos) {
  static const char* const kFunction = "krmUninstallKORO";
  if (int rc = krmCheckStarted()) return rc;
  if (int rc = krmCheckOutput(kFunction, vos)) return rc;

  const krmIOS defaults;
  if (ios == nullptr) ios = &defaults;
  const int flags = ios->krmIOSGetFlags();
  const bool status = flags & kKrmIosStatusPage;
  const std::string tail = " (" + krmPsString(orEmpty(ios->krmIOSGetPrinterName())) + ") " + krmPsBool(status) +
                           " true list&remove";
  SdkString job;
  krmWriteJobHeader(job, kFunction, ios->krmIOSGetHeaderComments());
  job.append(kKrmStartJobExit);
  krmAppendProlog(job);
  if (flags & kKrmIosRemoveResources) job.append("\n\n(tqfc/*)" + tail);
  if (flags & kKrmIosRemoveTessel) {
    job.append("\n\n(tqf/*)" + tail);
    job.append(krmAutoStartCommand(ios->krmIOSGetPrinterName(), status, 0));
  }
  if (status) job.append(kKrmEndList);
  job.append("\nfalse () startjob pop\n%EOF");
  const char* out = vos->krmVOSGetOutputPath();
  return krmReportResult(kFunction, krmWriteWholeText(out, job.view()) ? kKrmOk : kKrmWriteError, out);
}
