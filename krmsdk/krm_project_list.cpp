// krmListProjectResources: the plain-text list of a project's selected
// resources ("type path" a line) that the desktop reads to show them.
#include <unordered_map>

#include "base/sdk_fs.h"
#include "base/sdk_list.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krm_project.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_wildcard.h"
#include "krmsdk/krmsdk.h"

namespace {

// The same selection as the loader: chosen names in order, each resource
// once, a name that means everything ends the walk.
std::string listText(const SdkList& chosenList, const KxProject& project, int flags) {
  std::vector<std::string> chosen = chosenList.toVector();
  if (chosen.empty()) chosen.emplace_back("*");
  KrmNameSet listed;
  std::string text;
  const long positions = krmSelectionPasses(chosen) * project.GetResourceCount();
  long position = 0;
  for (const std::string& wanted : chosen) {
    const bool everything = krmMeansEverything(wanted);
    for (int i = 0; i < project.GetResourceCount(); ++i) {
      if (!krmProgressWalk(++position, positions)) return text;
      const KxResource& r = *project.GetResource(i);
      if (krmFilterResource(r.GetType(), r.GetScope(), flags)) continue;
      if (!everything && !krmMatchName(wanted, r.GetName(), true)) continue;
      if (!listed.insert(r.GetName())) continue;
      text += r.GetType() + " " + r.GetPath() + "\n";
    }
    if (everything) break;
  }
  return text;
}

}  // namespace

int krmListProjectResources(const krmPPS* pps, const krmVOS* vos) {
  static const char* const kFunction = "krmListProjectResources";
  KrmProgressScope progress(vos);
  KrmProjectJob job;
  int rc = krmOpenProjectJob(kFunction, pps, vos, job, KrmProjectUse::kListing);
  if (rc != kKrmOk) return rc;
  const std::string text = listText(pps->krmPPSGetResourceList(), job.project(), pps->krmPPSGetFlags());
  const char* out = vos->krmVOSGetOutputPath();
  // A cancelled list is not written.
  if (krmProgressCancelled()) return krmReportResult(kFunction, kKrmCancelled, out ? out : "");
  rc = krmWriteWholeText(out, text) ? kKrmOk : kKrmWriteError;
  return krmReportResult(kFunction, rc, out);
}

int krmListLetterCaseDrops(const krmPPS* pps, const krmVOS* vos) {
  static const char* const kFunction = "krmListLetterCaseDrops";
  KrmProgressScope progress(vos);
  KrmProjectJob job;
  int rc = krmOpenProjectJob(kFunction, pps, vos, job, KrmProjectUse::kListing);
  if (rc != kKrmOk) return rc;
  // The loader's rule: of the names equal but for ASCII letter case, the
  // first one is loaded.
  std::unordered_map<std::string, std::string> first;
  std::string text;
  const KxProject& project = job.project();
  for (int i = 0; i < project.GetResourceCount(); ++i) {
    const KxResource& r = *project.GetResource(i);
    if (krmFilterResource(r.GetType(), r.GetScope(), pps->krmPPSGetFlags())) continue;
    std::string folded = r.GetName();
    sdkLowerAscii(folded);
    auto [kept, fresh] = first.emplace(folded, r.GetName());
    if (!fresh && kept->second != r.GetName()) text += r.GetName() + "\t" + kept->second + "\n";
  }
  const char* out = vos->krmVOSGetOutputPath();
  rc = krmWriteWholeText(out, text) ? kKrmOk : kKrmWriteError;
  return krmReportResult(kFunction, rc, out);
}
