// Start and stop of the job library, its last message and its debug log.
#include "krmsdk/krm_lifetime.h"

#include <array>
#include <cstdio>

#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_lock.h"
#include "krmsdk/krmsdk.h"

namespace {

constexpr std::array<const char*, 24> kResultTexts = {
    "Task completes successfully.",
    "Flag not set to overwrite existing file.",
    "Cannot locate source file.",
    "Problem accessing the file.",
    "Problem writing to the file.",
    "KRMSDK library is not initialized.",
    "KRMSDK library is already initialized.",
    "KRMSDK library is already terminated.",
    "Cannot locate the specified project.",
    "Problem opening the specified project file.",
    "Problem parsing the file.",
    "Problem loading a source file.",
    "No resource file loaded.",
    "Cannot find local KORO installation file(s).",
    "Print file is not found.",
    "Invalid processing mode.",
    "Invalid parameter.",
    "Cannot convert local KORO path to printer KORO path.",
    "Cannot obtain the font name from the font file.",
    "The project must be of type KORO.",
    "Loading resource file.",
    "A printable container cannot be generated because this project contains PDF files as "
    "resources of type \"seg\".",
    "Operation cannot be completed because a resource file is too large, or empty.",
    "Task cancelled by the caller.",
};

constexpr const char* kNotice = "Job written by the Quaymaster job library for Tessel printers";

struct LibraryState {
  bool initialised = false;
  SdkString lastMessage;
  SdkString lastArgument;
  SdkString logPath;
  SdkString tempDir;
  SdkLock messageLock;
  SdkLock directoryLock;
  SdkLock projectLock;
};

LibraryState& state() {
  static LibraryState s;
  return s;
}

}  // namespace

const char* krmResultText(int code) {
  if (code < 1001 || code > kKrmCancelled) return "";
  return kResultTexts[static_cast<std::size_t>(code - 1001)];
}

bool krmIsInitialised() {
  LibraryState& s = state();
  SdkLockGuard guard(s.messageLock);
  return s.initialised;
}

int krmSetResult(std::string_view function, int code, std::string_view argument) {
  LibraryState& s = state();
  SdkLockGuard guard(s.messageLock);
  std::string message;
  if (!function.empty()) {
    message += '[';
    message += function;
    message += "] ";
  }
  message += krmResultText(code);
  if (!argument.empty()) {
    message += " [";
    message += argument;
    message += ']';
  }
  s.lastMessage.set(message);
  s.lastArgument.set(argument);
  return code;
}

int krmReportResult(std::string_view function, int code, std::string_view argument) {
  krmSetResult(function, code, argument);
  std::string message;
  {
    LibraryState& s = state();
    SdkLockGuard guard(s.messageLock);
    message = s.lastMessage.str();
  }
  krmLog(message);
  return code;
}

void krmLog(std::string_view message, bool lock) {
  std::string path;
  {
    LibraryState& s = state();
    SdkLockGuard guard(s.messageLock);
    if (!s.initialised && lock) return;
    path = s.logPath.str();
  }
  if (path.empty() || !sdkFileExists(path.c_str())) return;
  if (sdkFileSize(path.c_str()) >= kKrmLogLimit) return;
  KrmLockHandle handle;
  if (lock) {
    handle = krmLockFile(path.c_str());
    if (!handle.valid()) return;
  }
  std::string line = krmLocalTimeText("%x %X");
  line += ": ";
  line += message;
  line += "\r\n";
  sdkAppendTextFile(path.c_str(), line);
  if (lock) krmUnlockFile(handle);
}

std::string krmTempDirectory() {
  LibraryState& s = state();
  SdkLockGuard guard(s.messageLock);
  if (s.initialised && !s.tempDir.isEmpty()) return s.tempDir.str();
  return sdkTempDirectory();
}

const char* krmNoticeText() { return kNotice; }

SdkLock& krmDirectoryLock() { return state().directoryLock; }
SdkLock& krmProjectLock() { return state().projectLock; }

int krmInitialize() {
  LibraryState& s = state();
  {
    SdkLockGuard dirGuard(s.directoryLock);
    SdkLockGuard msgGuard(s.messageLock);
    if (s.initialised) {
      krmSetResult("krmInitialize", kKrmAlreadyInitialized, "");
      std::string message = s.lastMessage.str();
      krmLog(message, false);
      return kKrmAlreadyInitialized;
    }
    SdkString cwd;
    sdkGetCwd(cwd);
    s.logPath.set(sdkJoinPath(cwd.view(), "krmdebug.log"));
    std::string temp = sdkTempDirectory();
    if (temp.empty()) {
#ifdef _WIN32
      temp = "c:\\temp";
#else
      temp = "/tmp";
#endif
      sdkMakeDirs((temp + kSdkHostSeparator).c_str());
    }
    s.tempDir.set(temp);
    s.lastMessage.clear();
    s.lastArgument.clear();
    s.initialised = true;
  }
  krmSetResult("krmInitialize", kKrmOk, "");
  krmLog(krmGetLastMessage(), false);
  krmLog(kKrmVersionText, false);
  return kKrmOk;
}

int krmFinished() {
  LibraryState& s = state();
  if (!krmIsInitialised()) return kKrmAlreadyTerminated;
  krmLog("[krmFinished] START");
  SdkLockGuard msgGuard(s.messageLock);
  SdkLockGuard dirGuard(s.directoryLock);
  s.tempDir.clear();
  s.lastMessage.clear();
  s.lastArgument.clear();
  s.initialised = false;
  return kKrmOk;
}

const char* krmGetLastMessage() {
  LibraryState& s = state();
  SdkLockGuard guard(s.messageLock);
  return s.initialised ? s.lastMessage.text() : nullptr;
}

const char* krmGetLastArgument() {
  LibraryState& s = state();
  SdkLockGuard guard(s.messageLock);
  return s.initialised ? s.lastArgument.text() : nullptr;
}

const char* krmGetVersion() { return kKrmVersionText; }
const char* krmGetBuiltInKOROVersion() { return kKrmBuiltInKoroVersion; }

int krmCheckStarted() { return krmIsInitialised() ? 0 : kKrmNotInitialized; }

int krmMissingField(const char* function, const char* field) {
  return krmReportResult(function, kKrmBadParameter, field);
}

int krmCheckOutputApart(const char* function, const krmVOS* vos, const std::string& path) {
  const char* out = vos ? vos->krmVOSGetOutputPath() : nullptr;
  if (out == nullptr || path.empty() || !sdkSameFile(out, path.c_str())) return 0;
  return krmMissingField(function, "krmVOS.outputPath");
}

int krmCheckOutput(const char* function, const krmVOS* vos) {
  const char* out = vos ? vos->krmVOSGetOutputPath() : nullptr;
  if (out == nullptr || *out == '\0') return krmMissingField(function, "krmVOS.outputPath");
  krmLog(std::string("[") + function + "] START");
  if (sdkFileExists(out) && (vos->krmVOSGetFlags() & kKrmFlagOverwrite) == 0)
    return krmReportResult(function, kKrmNoOverwrite, out);
  return 0;
}
