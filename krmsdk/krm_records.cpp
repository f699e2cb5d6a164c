// Setters with rules and the constructor/destructor functions of the
// settings records.
#include "krmsdk/krm_records.h"

#include "base/sdk_fs.h"
#include "krmsdk/krm_paths.h"
#include "krmsdk/krm_wildcard.h"

namespace krm_detail {

std::string normaliseKoroPath(const char* path) {
  std::string p(path);
  if (p.empty() || !sdkIsSeparator(static_cast<unsigned char>(p.back()))) p += kSdkHostSeparator;
  const std::string doubled(2, kSdkHostSeparator);
  std::string::size_type at;
  while ((at = p.find(doubled)) != std::string::npos) p.erase(at, 1);
  return p;
}

}  // namespace krm_detail

int krmPPS::krmPPSSetProjectNames(const char* folder, const char* project) {
  if (folder == nullptr || project == nullptr) return 0;
  folderName_.set(folder);
  projectName_.set(project);
  return 1;
}

int krmPPS::krmPPSSetProcessingMode(int mode) {
  if (mode != 2001 && mode != 2002 && mode != 2003) return 0;
  processingMode_ = mode;
  return 1;
}

int krmPPS::krmPPSSetKOROPath(const char* path) {
  if (path == nullptr) return 0;
  return koroPath_.set(krm_detail::normaliseKoroPath(path).c_str());
}

int krmPPS::krmPPSAddResource(const char* name) {
  if (name == nullptr) return 0;
  if (krmFindSameName(&resourceList_, name) >= 0) return 0;
  resourceList_.add(name);
  return 1;
}

int krmPPS::krmPPSSetPageRange(int mode, int first, int last) {
  if (mode < 0 || mode > 2 || first <= 0 || last <= 0 || last < first) return 0;
  pageRangeMode_ = mode;
  firstPage_ = first;
  lastPage_ = last;
  return 1;
}

int krmFOS::krmFOSAddLoadFile(const char* localPath, const char* printerName) {
  if (localPath == nullptr || *localPath == '\0' || !sdkFileExists(localPath)) return 0;
  std::string name;
  if (printerName != nullptr && *printerName != '\0') {
    name = printerName;
  } else {
    SdkString derived;
    krmLocalToPrinterPath(localPath, derived);
    name = derived.str();
  }
  int at = krmFindSameLocalFile(&loadFilesList_, localPath);
  if (at >= 0) {
    printerFilesList_.setAt(at, name.c_str());
  } else {
    loadFilesList_.add(localPath);
    printerFilesList_.add(name);
  }
  return 1;
}

int krmFOS::krmFOSAddRemoveFile(const char* name) {
  if (name == nullptr) return 0;
  if (krmFindSameName(&removeFilesList_, name) >= 0) return 0;
  removeFilesList_.add(name);
  return 1;
}

int krmFOS::krmFOSAddFontFile(const char* path) {
  if (path == nullptr || *path == '\0' || !sdkFileExists(path)) return 0;
  if (krmFindSameLocalFile(&loadFontsList_, path) < 0) loadFontsList_.add(path);
  return 1;
}

int krmIOS::krmIOSSetKOROPath(const char* path) {
  if (path == nullptr) return 0;
  return koroPath_.set(krm_detail::normaliseKoroPath(path).c_str());
}

std::unique_ptr<krmPPS> krmNewPPS() { return std::make_unique<krmPPS>(); }
std::unique_ptr<krmVOS> krmNewVOS() { return std::make_unique<krmVOS>(); }
std::unique_ptr<krmFOS> krmNewFOS() { return std::make_unique<krmFOS>(); }
std::unique_ptr<krmIOS> krmNewIOS() { return std::make_unique<krmIOS>(); }

int krmFreePPS(std::unique_ptr<krmPPS>& record) {
  record.reset();
  return 1;
}
int krmFreeVOS(std::unique_ptr<krmVOS>& record) {
  record.reset();
  return 1;
}
int krmFreeFOS(std::unique_ptr<krmFOS>& record) {
  record.reset();
  return 1;
}
int krmFreeIOS(std::unique_ptr<krmIOS>& record) {
  record.reset();
  return 1;
}
