// The jobs that open a KX project through the project library: the
// resource loader, the resource list and the printable container.
//
// They share one opening sequence (krmOpenProjectJob): the job's checks,
// the local start-up or stub file, the project lookup by processing mode
// (krmGetProject) and, for a container, its print-and-forget extraction
// (for a listing, only its project file and headers are read).
// A KrmProjectJob owns the opened project; when it goes, the files that a
// container extraction placed are removed again, whatever the job's result.
// Resources are selected by krmFilterResource and sent to the printer path
// of krmResourceTarget. Every local file is read in bounded pieces and
// every piece of a job is written as soon as it is ready.
#pragma once

#include "base/sdk_file_kind.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kpsdk/kx_project.h"

class KrmStream;
class SdkList;
class krmPPS;
class krmVOS;

// "\n%%Start deploying resources.\n" ... "%% End deploying resources\n".
inline constexpr const char* kKrmDeployStart = "\n%%Start deploying resources.\n";
inline constexpr const char* kKrmDeployEnd = "%% End deploying resources\n";
// Header comment that marks a job as a resource deployment.
inline constexpr const char* kKrmDeployMarker = "%%KORO_DEPLOY_JOB_RESOURCES \"true\"\n";
// Pieces in which the submission file is copied into a container.
inline constexpr std::size_t kKrmSubmissionChunk = 10485760;

// Printer path of a resource: fonts in "tqfc/fontlib/", then by scope
// "tqfc/<folder>/<project>/", "tqfc/<folder>/fshared/", "tqfc/gshared/".
std::string krmResourceTarget(const KxResource& resource, std::string_view folder, std::string_view project);

// True when krmPPS flags leave a resource of this type and scope out
// (0x80 images, 0x200 fonts, without 0x400 "oth", 0x100 "mis" and "eps",
// 0x800 folder-shared, 0x1000 global-shared and fonts, without 0x2000
// submission files).
bool krmFilterResource(std::string_view type, int scope, int flags);

// The project file of folder/project: the first "*.kpf" in the first
// directory of the start-up file's last SETPPATH array that names both
// "$$FOLDER." and "$$PROJECT." and exists once they are filled in.
// Directories are searched by path; the working directory stays as it is.
std::optional<std::string> krmFindProjectFile(std::string_view folder, std::string_view project,
                                              const char* startupFile);

// What a job does with the project: uses its files, or only lists them
// (a container is then read from its project file and headers, nothing of
// it unpacked).
enum class KrmProjectUse { kFiles, kListing };

// Finds and opens the project by pps's processing mode (2001 search paths,
// 2002 project file, 2003 container, print-and-forget). Returns 1001 or
// the recorded failure (1009, 1010, 1016, 1017, 1020).
int krmGetProject(const char* function, const krmPPS& pps, const std::string& startupFile, KxProject& project,
                  KrmProjectUse use = KrmProjectUse::kFiles);

// One opened project for the length of a job.
class KrmProjectJob {
 public:
  KrmProjectJob() = default;
  ~KrmProjectJob();
  KrmProjectJob(const KrmProjectJob&) = delete;
  KrmProjectJob& operator=(const KrmProjectJob&) = delete;

  KxProject& project() { return *project_; }
  // The local start-up file (or stub file) the project was opened with.
  const std::string& startupFile() const { return startupFile_; }
  // Removes what a container extraction placed and drops the project.
  void finish();

 private:
  friend int krmOpenProjectJob(const char*, const krmPPS*, const krmVOS*, KrmProjectJob&, KrmProjectUse);
  std::unique_ptr<KxProject> project_;
  std::string startupFile_;
};

// The shared opening sequence: 1006, 1017 (interpreter location, output
// path), 1002, 1004 (start-up file), then krmGetProject. 1001 when the job
// can run; every other result is recorded (except 1006).
int krmOpenProjectJob(const char* function, const krmPPS* pps, const krmVOS* vos, KrmProjectJob& job,
                      KrmProjectUse use = KrmProjectUse::kFiles);

// Walks over the project's resources that a selection of chosen names
// makes: one per name, up to the first that means everything.
long krmSelectionPasses(const std::vector<std::string>& chosen);

// Writes the deployment section (start line, prolog, date line, transfer
// and reference commands, end line) for the chosen resource names (empty:
// all). Returns 1001; 1013 when no file was sent (not recorded in the
// stream); or the stream's failure.
int krmLoadProjRes(const SdkList& chosen, KxProject& project, int flags, const char* printerName,
                   const char* function, KrmStream& stream, const char* outputPath);

// The resource loader job on an opened project; returns the recorded result.
int krmProjResLoader(const char* function, const SdkList& chosen, KxProject& project, int flags,
                     const char* printerName, const char* headerComments, const char* outputPath);

// Writes the in-memory definitions of the project's resources that the
// filter lets through. Returns the stream's result.
int krmIncludeResources(const char* function, KxProject& project, int flags, KrmStream& stream,
                        const char* outputPath);

// The printable container on an opened project; returns the recorded result.
int krmPrintableContainer(const char* function, const krmPPS& pps, KrmProjectJob& job, const char* outputPath);

// Copies a regular file into the stream in pieces of chunk bytes, each read
// at the next offset, up to the size it had when opened; onRead (optional)
// sees each read's offset and size. A file that cannot be opened, is no
// regular file (a link, too, with SdkLinks::kRefuse) or reads short gives
// 1012 with the path.
int krmCopyFileInChunks(KrmStream& stream, const char* path, std::size_t chunk,
                        const std::function<void(std::int64_t offset, std::size_t got)>& onRead = {},
                        SdkLinks links = SdkLinks::kFollow);
