// krmCreateProjectResourceLoader: a job that stores a project's resources
// on the printer disk, each at the printer path of its scope, and tells the
// printer which shared resources the project uses.
#include <unordered_map>
#include <unordered_set>

#include "base/sdk_fs.h"
#include "base/sdk_list.h"
#include "kpsdk/kx_names.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_printer_names.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krm_project.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_transfer.h"
#include "krmsdk/krm_wildcard.h"
#include "krmsdk/krmsdk.h"

namespace {

// "[" scope " (" folder ") (" project ")] (" printer ") " status " " overwrite:
// the options of a file that belongs to the project's shared files.
std::string projectOptions(int scope, const KxProject& project, const char* printerName, bool status,
                           bool overwrite) {
  return "[" + std::to_string(scope) + " (" + krmPsString(project.GetFolderName()) + ") (" +
         krmPsString(project.GetProjectName()) + ")] " + krmTransferOptions(printerName, status, overwrite);
}

// Checks and sends one resource file; records progress (1021) first.
// position and positions place it in the walk, for the caller's progress.
int sendResource(const char* function, KrmStream& stream, const KxResource& resource, const std::string& target,
                 const std::string& options, bool hex, long position, long positions) {
  KrmFileSource source;
  if (krmOpenProjectFile(stream, resource.GetPath(), source) != kKrmOk) return stream.result();
  const std::int64_t size = source.fileSize();
  krmReportResult(function, kKrmLoadingResource, resource.GetPath());
  krmProgressFile(KrmProgressStep::kWriting, resource.GetName(), size, position, positions);
  return krmDiskLoadRanges(stream, source, {{0, size}}, target, options, hex, resource.GetPath().c_str());
}

// A printer path the printer would not store stops the job (1017): the
// printer would drop the file and the job would look fine. Else 1001.
int checkTarget(KrmStream& stream, const std::string& target) {
  if (krmPrinterNameFault(target) == KrmNameFault::kNone) return kKrmOk;
  return stream.fail(kKrmBadParameter, krmShownName(target));
}

}  // namespace

long krmSelectionPasses(const std::vector<std::string>& chosen) {
  long passes = 0;
  for (const std::string& wanted : chosen) {
    ++passes;
    if (krmMeansEverything(wanted)) break;
  }
  return passes;
}

int krmLoadProjRes(const SdkList& chosenList, KxProject& project, int flags, const char* printerName,
                   const char* function, KrmStream& stream, const char* outputPath) {
  (void)outputPath;
  SdkString opening(kKrmDeployStart);
  krmAppendProlog(opening);
  if (stream.write(opening.view()) != kKrmOk) return stream.result();

  const bool status = flags & kKrmPpsStatusPage;
  const bool overwrite = flags & kKrmPpsOverwrite;
  const bool hex = flags & kKrmPpsHex;
  std::vector<std::string> chosen = chosenList.toVector();
  if (chosen.empty()) chosen.emplace_back("*");
  const std::string& folder = project.GetFolderName();
  const std::string& name = project.GetProjectName();

  // The first resource of each name, letters of either case alike, as the
  // interpreter's own file lookup does; a later one of the same name is
  // left out, with a warning in the job log.
  std::unordered_map<std::string, const KxResource*> loaded;
  std::unordered_set<const KxResource*> warned;
  int sent = 0;
  // Progress counts the positions of the walk.
  const long positions = krmSelectionPasses(chosen) * project.GetResourceCount();
  long position = 0;
  for (const std::string& wanted : chosen) {
    const bool everything = krmMeansEverything(wanted);
    for (int i = 0; i < project.GetResourceCount() && stream.ok(); ++i) {
      ++position;
      if (!krmProgressWalk(position, positions)) break;
      const KxResource& r = *project.GetResource(i);
      const std::string target = krmResourceTarget(r, folder, name);
      if (krmFilterResource(r.GetType(), r.GetScope(), flags)) {
        // The project still uses the shared file that is on the printer.
        if (r.GetScope() != kKxScopeLocal && checkTarget(stream, target) == kKrmOk)
          stream.write("\n\n-1 (" + krmPsString(target) + ") " +
                       projectOptions(r.GetScope(), project, printerName, status, overwrite) + " load_file");
        continue;
      }
      if (!everything && !krmMatchName(wanted, r.GetName(), true)) continue;
      std::string folded = r.GetName();
      sdkLowerAscii(folded);
      auto [first, fresh] = loaded.emplace(folded, &r);
      if (!fresh) {
        if (first->second != &r && warned.insert(&r).second)
          krmLog("[" + std::string(function) + "] WARNING: resource '" + kxPrintableName(r.GetName()) +
                 "' differs from resource '" + kxPrintableName(first->second->GetName()) +
                 "' only in letter case and is not loaded");
        continue;
      }
      if (checkTarget(stream, target) != kKrmOk) break;
      std::string options;
      if (r.GetType() == "fnt") {
        options = projectOptions(kKxScopeGlobal, project, printerName, status, overwrite);
      } else if (r.GetScope() == kKxScopeFolder || r.GetScope() == kKxScopeGlobal) {
        options = projectOptions(r.GetScope(), project, printerName, status, overwrite);
      } else {
        options = krmTransferOptions(printerName, status, overwrite);
      }
      if (sendResource(function, stream, r, target, options, hex, position, positions) == kKrmOk) ++sent;
    }
    if (everything || !stream.ok()) break;
  }
  if (!stream.ok()) return stream.result();
  if (status && sent > 0) stream.write("\nend_list\n");
  stream.write(kKrmDeployEnd);
  if (!stream.ok()) return stream.result();
  return sent > 0 ? kKrmOk : kKrmNoResource;
}

int krmProjResLoader(const char* function, const SdkList& chosen, KxProject& project, int flags,
                     const char* printerName, const char* headerComments, const char* outputPath) {
  std::unique_ptr<KrmStream> stream = krmOpenStream(function, outputPath);
  if (stream->ok()) {
    SdkString header;
    krmWriteJobHeader(header, function, (std::string(headerComments ? headerComments : "") + kKrmDeployMarker).c_str());
    stream->write(header.view());
  }
  if (stream->ok() &&
      krmLoadProjRes(chosen, project, flags, printerName, function, *stream, outputPath) == kKrmNoResource)
    stream->fail(kKrmNoResource, project.GetProjectName());
  return krmCloseStream(stream);
}

int krmCreateProjectResourceLoader(const krmPPS* pps, const krmVOS* vos) {
  static const char* const kFunction = "krmCreateProjectResourceLoader";
  KrmProgressScope progress(vos);
  KrmProjectJob job;
  int rc = krmOpenProjectJob(kFunction, pps, vos, job);
  if (rc != kKrmOk) return rc;
  return krmProjResLoader(kFunction, pps->krmPPSGetResourceList(), job.project(), pps->krmPPSGetFlags(),
                          pps->krmPPSGetPrinterName(), pps->krmPPSGetHeaderComments(), vos->krmVOSGetOutputPath());
}
