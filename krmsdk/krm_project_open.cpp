// Opening a project for a job: the checks every project job makes, the
// project lookup by processing mode, the resource filter and the printer
// path of a resource.
#include <cstdio>
#include <vector>

#include "base/sdk_string.h"
#include "base/sdk_fs.h"
#include "kpsdk/kx_names.h"
#include "krmsdk/krm_koro_texts.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krm_project.h"
#include "krmsdk/krmsdk.h"

namespace {

bool isEmpty(const char* text) { return text == nullptr || *text == '\0'; }

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// One entry of a SETPPATH line: the text before the first ")" without
// brackets, parentheses and blanks, single backslashes, and without its
// last character (the closing separator). Same rule as the project
// library's reading of the start-up file, so both find the same folders.
std::string setppathEntry(std::string_view line) {
  std::string entry(line.substr(0, line.find(')')));
  std::erase_if(entry, [](char c) { return c == '[' || c == ']' || c == ' ' || c == '\t' || c == '(' || c == ')'; });
  sdkReplaceAll(entry, "\\\\", "\\");
  if (!entry.empty()) entry.pop_back();
  return entry;
}

// The entries of the last SETPPATH array of a start-up file: the lines from
// the nearest line holding "[" up to the last line holding "SETPPATH". Read
// line by line; only the array being read is kept.
std::vector<std::string> lastSetppathEntries(const char* startupFile) {
  std::vector<std::string> last, current;
  bool inArray = false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(startupFile, "rb"), std::fclose);
  if (!file) return last;
  auto takeLine = [&](const std::string& line) {
    if (contains(line, "[")) {
      current.clear();
      inArray = true;
    }
    if (inArray && contains(line, "(") && contains(line, ")")) current.push_back(setppathEntry(line));
    if (contains(line, "SETPPATH") && inArray) last = current;
  };
  std::string line;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    for (std::size_t i = 0; i < got; ++i) {
      char c = buffer[i];
      if (c == '\n' || c == '\r') {
        takeLine(line);
        line.clear();
      } else {
        line += c;
      }
    }
  }
  takeLine(line);
  return last;
}

// The first project file directly in dir, by name.
std::optional<std::string> projectFileIn(const std::string& dir) {
  for (const char* pattern : {"*.kpf", "*.KPF"}) {
    SdkString found;
    if (sdkFindFirst(found, sdkJoinPath(dir, pattern).c_str()) &&
        !sdkIsDirectory(sdkJoinPath(dir, found.view()).c_str()))
      return sdkJoinPath(dir, found.view());
  }
  return std::nullopt;
}

// Logs the project library's messages after a failed operation.
void logMessages(std::string_view heading, const KxProject& project) {
  krmLog(heading);
  const std::string& text = project.GetMessages();
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (end > at) krmLog(std::string_view(text).substr(at, end - at));
    at = end + 1;
  }
}

// The project library's progress, passed on to the job's caller.
KxProgressHook archiveProgress() {
  if (!krmProgressWanted()) return {};
  return [](const char*, long files, std::int64_t total, long current, std::int64_t done, const char* file,
            std::int64_t size, std::int64_t fileDone) {
    return krmProgressArchive(file, current, files, done, total, size, fileDone) ? 0 : 1;
  };
}

// Type check and opening of a located project file or container.
int openLocated(const char* function, KxProject& project, const std::string& path, const std::string& argument,
                bool container, KrmProjectUse use) {
  std::string error;
  // Reading a big project or its container takes a while before the
  // archive reports anything.
  krmProgressFile(KrmProgressStep::kOpening, sdkFileNamePart(path), 0);
  int type = container ? kpsdkPeekContainerProjectType(error, path, archiveProgress())
                       : kpsdkPeekProjectType(error, path);
  if (krmProgressCancelled()) return krmReportResult(function, kKrmCancelled, argument);
  if (type != 0) return krmReportResult(function, kKrmNotKoroProject, argument);
  int status = !container                    ? project.OpenProject(path)
               : use == KrmProjectUse::kListing ? project.ReadContainer(path)
                                                : project.OpenContainerPrintAndForget(path);
  if (krmProgressCancelled()) return krmReportResult(function, kKrmCancelled, argument);
  if (status & kKxError) {
    logMessages("KPSDK - OpenProject messages:", project);
    return krmReportResult(function, kKrmProjectOpenError, argument);
  }
  return kKrmOk;
}

bool isExistingFile(const char* path) { return !isEmpty(path) && sdkFileExists(path) && !sdkIsDirectory(path); }

}  // namespace

std::string krmResourceTarget(const KxResource& resource, std::string_view folder, std::string_view project) {
  const std::string& name = resource.GetName();
  std::string target;
  if (resource.GetType() == "fnt") {
    target = "tqfc/fontlib/";
  } else if (resource.GetScope() == kKxScopeFolder) {
    target = "tqfc/" + std::string(folder) + "/fshared/";
  } else if (resource.GetScope() == kKxScopeGlobal) {
    target = "tqfc/gshared/";
  } else {
    target = "tqfc/" + std::string(folder) + "/" + std::string(project) + "/";
  }
  return target + name;
}

bool krmFilterResource(std::string_view type, int scope, int flags) {
  if ((flags & kKrmPpsNoImages) && type == "img") return true;
  if ((flags & kKrmPpsNoFonts) && type == "fnt") return true;
  if (!(flags & kKrmPpsWithOther) && type == "oth") return true;
  if ((flags & kKrmPpsNoMisc) && (type == "mis" || type == "eps")) return true;
  if ((flags & kKrmPpsNoFolderShared) && scope == kKxScopeFolder) return true;
  if ((flags & kKrmPpsNoGlobalShared) && (scope == kKxScopeGlobal || type == "fnt")) return true;
  if (!(flags & kKrmPpsWithSubmission) && type == "sub") return true;
  return false;
}

std::optional<std::string> krmFindProjectFile(std::string_view folder, std::string_view project,
                                              const char* startupFile) {
  if (isEmpty(startupFile)) return std::nullopt;
  for (std::string dir : lastSetppathEntries(startupFile)) {
    if (!contains(dir, "$$FOLDER.") || !contains(dir, "$$PROJECT.")) continue;
    dir = kxSubstitutePlaceholders(dir, folder, project);
    if (!sdkIsDirectory(dir.c_str()) || !sdkCanEnterDir(dir.c_str())) continue;
    if (auto found = projectFileIn(dir)) return found;
  }
  return std::nullopt;
}

int krmGetProject(const char* function, const krmPPS& pps, const std::string& startupFile, KxProject& project,
                  KrmProjectUse use) {
  switch (pps.krmPPSGetProcessingMode()) {
    case 2001: {
      const char* folder = pps.krmPPSGetFolderName();
      const char* name = pps.krmPPSGetProjectName();
      if (isEmpty(folder)) return krmMissingField(function, "krmPPS.folderName");
      if (isEmpty(name)) return krmMissingField(function, "krmPPS.projectName");
      const std::string argument = std::string(folder) + "/" + name;
      std::optional<std::string> kpf = krmFindProjectFile(folder, name, startupFile.c_str());
      if (!kpf) return krmReportResult(function, kKrmProjectMissing, argument);
      return openLocated(function, project, *kpf, argument, false, use);
    }
    case 2002: {
      const char* path = pps.krmPPSGetProjectFile();
      if (!isExistingFile(path)) return krmReportResult(function, kKrmProjectMissing, path ? path : "");
      return openLocated(function, project, path, path, false, use);
    }
    case 2003: {
      const char* path = pps.krmPPSGetContainerFile();
      if (!isExistingFile(path)) return krmReportResult(function, kKrmProjectMissing, path ? path : "");
      return openLocated(function, project, path, path, true, use);
    }
    default:
      return krmReportResult(function, kKrmBadMode, std::to_string(pps.krmPPSGetProcessingMode()));
  }
}

KrmProjectJob::~KrmProjectJob() { finish(); }

void KrmProjectJob::finish() {
  if (!project_) return;
  // A container was unpacked for this job alone; its files go whatever
  // the job's result was.
  if (project_->IsPrintAndForget() && (project_->RemovePrintAndForget() & kKxError))
    logMessages("KPSDK - RemovePrintAndForget messages:", *project_);
  project_.reset();
}

int krmOpenProjectJob(const char* function, const krmPPS* pps, const krmVOS* vos, KrmProjectJob& job,
                      KrmProjectUse use) {
  if (int rc = krmCheckStarted()) return rc;
  const int flags = pps ? pps->krmPPSGetFlags() : 0;
  const char* koroPath = pps ? pps->krmPPSGetKOROPath() : nullptr;
  const char* stubPath = pps ? pps->krmPPSGetStubPath() : nullptr;
  if (flags & kKrmPpsUseStub) {
    if (isEmpty(stubPath)) return krmMissingField(function, "krmPPS.stubPath");
  } else if (isEmpty(koroPath) && isEmpty(stubPath)) {
    return krmMissingField(function, "krmPPS.KOROPath");
  }
  if (int rc = krmCheckOutput(function, vos)) return rc;

  job.startupFile_ = !(flags & kKrmPpsUseStub) && !isEmpty(koroPath) ? krmLocalStartupFile(koroPath) : stubPath;
  for (const char* input : {job.startupFile_.c_str(), pps->krmPPSGetProjectFile(), pps->krmPPSGetContainerFile()})
    if (int rc = krmCheckOutputApart(function, vos, input ? input : "")) return rc;
  job.project_ = kxProjectNew(job.startupFile_);
  if (!job.project_) return krmReportResult(function, kKrmAccessError, job.startupFile_);
  job.project_->SetProjectProgressHook(archiveProgress());
  int rc = krmGetProject(function, *pps, job.startupFile_, *job.project_, use);
  if (rc != kKrmOk) job.finish();
  return rc;
}
