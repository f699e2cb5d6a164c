// Library-wide state of the job library and the helpers every job uses to
// report: the started flag, the last message, the debug log, the temporary
// directory for lock files and the common checks at the start of a job.
//
// The state exists once per process. The message lock makes recording the
// last message atomic; the directory lock is for callers that search files
// while the process's current directory is changed; the project lock is for
// the project library's own directory changes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/sdk_fs.h"

class krmVOS;

inline constexpr const char* kKrmVersionText = "KRMSDK 1.8.7";
inline constexpr const char* kKrmBuiltInKoroVersion = "11.0";
// Largest local file a job embeds; larger files give 1023. Empty files are
// stored as empty files, except where a job needs content (a font, a
// resource embedded in a printable container).
inline constexpr std::int64_t kKrmMaxEmbeddedFileSize = 134217727;
// Size at and above which the debug log takes no more lines.
inline constexpr std::int64_t kKrmLogLimit = 1048577;

bool krmIsInitialised();

// Records "[function] text [argument]" as the last message and argument as
// the last argument; returns code.
int krmSetResult(std::string_view function, int code, std::string_view argument);
// krmSetResult, then writes the last message to the debug log.
int krmReportResult(std::string_view function, int code, std::string_view argument);

// Appends one line to the debug log when it is switched on; takes the log's
// lock file unless lock is false. Never fails the caller.
void krmLog(std::string_view message, bool lock = true);

// Directory for lock files: the one found at krmInitialize, or the
// platform's temporary directory while the library is not started.
std::string krmTempDirectory();
// One-line notice copied into every job header.
const char* krmNoticeText();

SdkLock& krmDirectoryLock();
SdkLock& krmProjectLock();

// The checks every job makes before it writes anything. Returns 0 to go on,
// else the result code (recorded, except 1006, which leaves the last
// message alone).
int krmCheckStarted();
// 1017 with the field's name as argument (recorded and logged).
int krmMissingField(const char* function, const char* field);
// outputPath set and non-empty (1017), logs the START line, then refuses an
// existing output without overwrite flag 0x8000 (1002).
int krmCheckOutput(const char* function, const krmVOS* vos);
// A job never writes its output over a file it reads: 1017 with
// "krmVOS.outputPath" (recorded) when the output path names the file at
// path, else 0. KrmStream::refusesInput is the same check during the job.
int krmCheckOutputApart(const char* function, const krmVOS* vos, const std::string& path);

