// The job library: turns a request, described in settings records, into
// one PostScript job file for a Tessel printer.
//
// Start the library once with krmInitialize and stop it with krmFinished.
// In between, every job function validates its records, writes exactly one
// job file to krmVOS's output path and returns a result code (1001 is
// success); after each job, krmGetLastMessage and krmGetLastArgument tell
// what happened. Job functions take their records by pointer and never keep
// them. Failures are values; nothing throws. A job that fails leaves no
// output file behind. The library may be called from several threads and
// processes: each output file is guarded by a lock shared across processes.
// The debug log "krmdebug.log" is written only when that file already exists
// in the directory that is current at krmInitialize. A caller may follow a
// long job and stop it through krmVOS's progress hook (krm_progress.h).
#pragma once

#include "krmsdk/krm_records.h"

// Result codes; krmResultText(code) gives their texts.
enum KrmResultCode : int {
  kKrmOk = 1001,
  kKrmNoOverwrite = 1002,
  kKrmSourceMissing = 1003,
  kKrmAccessError = 1004,
  kKrmWriteError = 1005,
  kKrmNotInitialized = 1006,
  kKrmAlreadyInitialized = 1007,
  kKrmAlreadyTerminated = 1008,
  kKrmProjectMissing = 1009,
  kKrmProjectOpenError = 1010,
  kKrmParseError = 1011,
  kKrmLoadError = 1012,
  kKrmNoResource = 1013,
  kKrmKoroFilesMissing = 1014,
  kKrmPrintFileMissing = 1015,
  kKrmBadMode = 1016,
  kKrmBadParameter = 1017,
  kKrmPathOutsideKoro = 1018,
  kKrmNoFontName = 1019,
  kKrmNotKoroProject = 1020,
  kKrmLoadingResource = 1021,
  kKrmPdfSegment = 1022,
  kKrmFileSize = 1023,
  // The caller's progress hook stopped the job (krm_progress.h): nothing
  // was written, the output is gone.
  kKrmCancelled = 1024,
};

// Text of a result code, "" for a number outside 1001..1024.
const char* krmResultText(int code);

// Lifetime. krmInitialize: 1001, or 1007 when already started.
// krmFinished: 1001, or 1008 when not started.
int krmInitialize();
int krmFinished();

// "[function] result text [argument]" of the last job or lifetime call, and
// its argument part; null while the library is not started. Borrowed until
// the next call of the library.
const char* krmGetLastMessage();
const char* krmGetLastArgument();

// "KRMSDK 1.8.7".
const char* krmGetVersion();
// Version of the Tessel set built into the library ("11.0").
const char* krmGetBuiltInKOROVersion();

// Jobs. Each returns a result code and records the last message.
int krmListPrinterFiles(const krmFOS* fos, const krmVOS* vos);
// A job that prints nothing and writes back on its connection whether
// Tessel is there (its version file), the files per scope and the disk's
// free space (krmsdk/ps/krminventory.ps has the lines).
int krmCreatePrinterInventory(const krmVOS* vos);
int krmCreateFileLoader(const krmFOS* fos, const krmVOS* vos);
int krmCreatePSFontLoader(const krmFOS* fos, const krmVOS* vos);
int krmCreateFileRemover(const krmFOS* fos, const krmVOS* vos);
int krmCreateProjectRemover(const krmPPS* pps, const krmVOS* vos);
int krmListPrinterProjectResources(const krmPPS* pps, const krmVOS* vos);
int krmCreateProjectResourceLoader(const krmPPS* pps, const krmVOS* vos);
int krmListProjectResources(const krmPPS* pps, const krmVOS* vos);
// The resources a load leaves out because an earlier one has the same name
// but for letter case: "left-out<TAB>kept" a line, into the output path.
int krmListLetterCaseDrops(const krmPPS* pps, const krmVOS* vos);
int krmCreatePrintableContainer(const krmPPS* pps, const krmVOS* vos);
int krmInstallKORO(const krmIOS* ios, const krmVOS* vos);
int krmStartupKORO(const krmIOS* ios, const krmVOS* vos);
int krmUninstallKORO(const krmIOS* ios, const krmVOS* vos);
