// Settings records of the job library: krmPPS (projects and printable
// containers), krmVOS (output), krmFOS (loose files and fonts) and krmIOS
// (Tessel install, start-up and removal).
//
// A caller creates a record (directly or with krmNewPPS...), fills it with
// the setters, hands it to one job function and drops it. Texts handed in
// are copied. A text setter given a null pointer returns 0 and changes
// nothing, otherwise 1; setters with a value rule return 0 and leave the
// record unchanged when the rule refuses. Text getters return the borrowed
// text, or null when the field was never set. Every record carries a header
// comment text (empty by default) that jobs copy verbatim into the job
// header just before "%%EndComments".
#pragma once

#include <memory>
#include <optional>

#include "base/sdk_list.h"
#include "base/sdk_string.h"
#include "krmsdk/krm_progress.h"

// Bits of krmPPS::flags (the same bit means the same thing in every job).
enum KrmPpsFlag : int {
  kKrmPpsSelfContained = 0x2,
  kKrmPpsErrorHandler = 0x4,
  kKrmPpsUseStub = 0x8,
  kKrmPpsExternalSubmission = 0x10,
  kKrmPpsInlineResources = 0x20,
  kKrmPpsDeployResources = 0x40,
  kKrmPpsNoImages = 0x80,
  kKrmPpsNoMisc = 0x100,
  kKrmPpsNoFonts = 0x200,
  kKrmPpsWithOther = 0x400,
  kKrmPpsNoFolderShared = 0x800,
  kKrmPpsNoGlobalShared = 0x1000,
  kKrmPpsWithSubmission = 0x2000,
  kKrmPpsStatusPage = 0x4000,
  kKrmPpsOverwrite = 0x8000,
  kKrmPpsPageRange = 0x10000,
  kKrmPpsHex = 0x20000,
  kKrmPpsResident = 0x40000,
  kKrmPpsImagingModule = 0x80000,
};

// Common bits of the other records.
inline constexpr int kKrmFlagStatusPage = 0x4000;
inline constexpr int kKrmFlagOverwrite = 0x8000;
inline constexpr int kKrmFlagHex = 0x20000;
// Listing jobs (krmListPrinterFiles, krmListPrinterProjectResources): the
// printer also writes the listing to its connection (krmsdk/ps/krmanswer.ps),
// for a sender that reads the printer's answer; with kKrmFlagNoListPage as
// well, it prints no page. Without kKrmFlagAnswerListing both are ignored.
inline constexpr int kKrmFlagAnswerListing = 0x100000;
inline constexpr int kKrmFlagNoListPage = 0x200000;

// Bits of krmIOS::flags.
enum KrmIosFlag : int {
  kKrmIosErrorHandler = 0x2,
  kKrmIosBuiltIn = 0x4,
  kKrmIosPowerOnStart = 0x8,
  kKrmIosRemoveTessel = 0x10,
  kKrmIosRemoveResources = 0x20,
  kKrmIosStatusPage = 0x4000,
  kKrmIosHex = 0x20000,
  kKrmIosDotRun = 0x40000,
  kKrmIosImagingModule = 0x80000,
};

namespace krm_detail {
// A text field that is unset until its first set.
class OptText {
 public:
  int set(const char* text) {
    if (text == nullptr) return 0;
    value_.emplace(text);
    return 1;
  }
  const char* get() const { return value_ ? value_->text() : nullptr; }

 private:
  std::optional<SdkString> value_;
};

// Appends a backslash, then folds every doubled backslash into one, so the
// stored directory ends in exactly one backslash (a path of the host that
// uses "/" keeps its slashes and gets a final separator of the host).
std::string normaliseKoroPath(const char* path);
}  // namespace krm_detail

class krmPPS {
 public:
  int krmPPSSetProjectNames(const char* folder, const char* project);
  int krmPPSSetProjectFile(const char* path) { return projectFile_.set(path); }
  int krmPPSSetContainerFile(const char* path) { return containerFile_.set(path); }
  // Accepts 2001, 2002 and 2003 only.
  int krmPPSSetProcessingMode(int mode);
  int krmPPSSetFlags(int flags) {
    flags_ = flags;
    return 1;
  }
  int krmPPSAddFlags(int flags) {
    flags_ |= flags;
    return 1;
  }
  int krmPPSSetKOROPath(const char* path);
  int krmPPSSetStubPath(const char* path) { return stubPath_.set(path); }
  int krmPPSSetSubmissionFile(const char* path) { return submissionFile_.set(path); }
  // Adds the name unless the same name is listed (case ignored; wildcard
  // characters are plain characters here); 0 for a duplicate or a null name.
  int krmPPSAddResource(const char* name);
  int krmPPSSetPrinterName(const char* name) { return printerName_.set(name); }
  // Mode 0..2, first > 0, last > 0, last >= first.
  int krmPPSSetPageRange(int mode, int first, int last);

  const char* krmPPSGetFolderName() const { return folderName_.get(); }
  const char* krmPPSGetProjectName() const { return projectName_.get(); }
  const char* krmPPSGetProjectFile() const { return projectFile_.get(); }
  const char* krmPPSGetContainerFile() const { return containerFile_.get(); }
  int krmPPSGetProcessingMode() const { return processingMode_; }
  int krmPPSGetFlags() const { return flags_; }
  const char* krmPPSGetKOROPath() const { return koroPath_.get(); }
  const char* krmPPSGetStubPath() const { return stubPath_.get(); }
  const char* krmPPSGetSubmissionFile() const { return submissionFile_.get(); }
  const SdkList& krmPPSGetResourceList() const { return resourceList_; }
  const char* krmPPSGetPrinterName() const { return printerName_.get(); }
  int krmPPSGetPageRangeMode() const { return pageRangeMode_; }
  int krmPPSGetFirstPage() const { return firstPage_; }
  int krmPPSGetLastPage() const { return lastPage_; }
  const char* krmPPSGetHeaderComments() const { return headerComments_.text(); }
  SdkString& headerComments() { return headerComments_; }

 private:
  krm_detail::OptText folderName_, projectName_, projectFile_, containerFile_;
  int processingMode_ = 2001;
  int flags_ = 0;
  krm_detail::OptText koroPath_, stubPath_, submissionFile_;
  SdkList resourceList_;
  krm_detail::OptText printerName_;
  int pageRangeMode_ = 2;
  int firstPage_ = 1;
  int lastPage_ = 65535;
  SdkString headerComments_;
};

class krmVOS {
 public:
  int krmVOSSetOutputPath(const char* path) { return outputPath_.set(path); }
  int krmVOSSetFlags(int flags) {
    flags_ = flags;
    return 1;
  }
  const char* krmVOSGetOutputPath() const { return outputPath_.get(); }
  int krmVOSGetFlags() const { return flags_; }
  // Progress of the job and its cancellation (krm_progress.h); an empty
  // hook, the default, reports nothing. Returns 1.
  int krmVOSSetProgressHook(KrmProgressHook hook) {
    progressHook_ = std::move(hook);
    return 1;
  }
  const KrmProgressHook& krmVOSGetProgressHook() const { return progressHook_; }

 private:
  krm_detail::OptText outputPath_;
  int flags_ = 0;
  KrmProgressHook progressHook_;
};

class krmFOS {
 public:
  // Local file plus its printer name (null or empty: derived from the
  // local path). 0 when the local path is null, empty or missing. The same
  // local path again (letter case by the host's rule) replaces that entry's
  // printer name.
  int krmFOSAddLoadFile(const char* localPath, const char* printerName);
  // 0 for a null name or a name already listed (case ignored).
  int krmFOSAddRemoveFile(const char* name);
  // 0 when the path is null, empty or missing; the same path again is
  // ignored (1).
  int krmFOSAddFontFile(const char* path);
  int krmFOSSetFilePattern(const char* pattern) { return filePattern_.set(pattern); }
  int krmFOSSetFlags(int flags) {
    flags_ = flags;
    return 1;
  }
  int krmFOSAddFlags(int flags) {
    flags_ |= flags;
    return 1;
  }
  int krmFOSSetPrinterName(const char* name) { return printerName_.set(name); }

  const SdkList& krmFOSGetLoadFilesList() const { return loadFilesList_; }
  const SdkList& krmFOSGetPrinterFilesList() const { return printerFilesList_; }
  const SdkList& krmFOSGetRemoveFilesList() const { return removeFilesList_; }
  const SdkList& krmFOSGetLoadFontsList() const { return loadFontsList_; }
  const char* krmFOSGetFilePattern() const { return filePattern_.get(); }
  int krmFOSGetFlags() const { return flags_; }
  const char* krmFOSGetPrinterName() const { return printerName_.get(); }
  const char* krmFOSGetHeaderComments() const { return headerComments_.text(); }
  SdkString& headerComments() { return headerComments_; }

  // Direct list access for callers that build uneven lists on purpose
  // (the loader refuses them); regular callers use the setters.
  SdkList& loadFilesList() { return loadFilesList_; }
  SdkList& printerFilesList() { return printerFilesList_; }
  SdkList& removeFilesList() { return removeFilesList_; }

 private:
  SdkList loadFilesList_, printerFilesList_, removeFilesList_, loadFontsList_;
  krm_detail::OptText filePattern_;
  int flags_ = 0;
  krm_detail::OptText printerName_;
  SdkString headerComments_;
};

class krmIOS {
 public:
  int krmIOSSetFlags(int flags) {
    flags_ = flags;
    return 1;
  }
  int krmIOSAddFlags(int flags) {
    flags_ |= flags;
    return 1;
  }
  int krmIOSSetKOROPath(const char* path);
  int krmIOSSetPrinterName(const char* name) { return printerName_.set(name); }

  int krmIOSGetFlags() const { return flags_; }
  const char* krmIOSGetKOROPath() const { return koroPath_.get(); }
  const char* krmIOSGetPrinterName() const { return printerName_.get(); }
  const char* krmIOSGetHeaderComments() const { return headerComments_.text(); }
  SdkString& headerComments() { return headerComments_; }

 private:
  int flags_ = 0;
  krm_detail::OptText koroPath_;
  krm_detail::OptText printerName_;
  SdkString headerComments_;
};

// Constructor and destructor functions; the destructors return 1.
std::unique_ptr<krmPPS> krmNewPPS();
std::unique_ptr<krmVOS> krmNewVOS();
std::unique_ptr<krmFOS> krmNewFOS();
std::unique_ptr<krmIOS> krmNewIOS();
int krmFreePPS(std::unique_ptr<krmPPS>& record);
int krmFreeVOS(std::unique_ptr<krmVOS>& record);
int krmFreeFOS(std::unique_ptr<krmFOS>& record);
int krmFreeIOS(std::unique_ptr<krmIOS>& record);
