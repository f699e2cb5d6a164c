// KxProject: checking a project's resource files before they are used.
#include <cstdio>
#include <map>
#include <set>

#include "base/sdk_file_kind.h"
#include "kpsdk/kx_project.h"

int KxProject::CheckResourceFiles(std::int64_t maxSize) {
  std::set<std::string> seen;
  // By letter-case-folded name: the first resource of each. The printer
  // keeps names apart by case, the load does not, so a second one of a
  // folded name is not sent.
  std::map<std::string, std::string> firstByFolded;
  for (const auto& r : resources_) {
    const std::string& name = r->GetName();
    const std::string& path = r->GetPath();
    // One name, one file: a second resource of the same name, in whatever
    // scope, would be skipped or land on the first one's file.
    if (!seen.insert(name).second) {
      log(kKxError, "The Project already contains an element named '%s'", name.c_str());
      continue;
    }
    std::string folded = name;
    sdkLowerAscii(folded);
    auto [first, fresh] = firstByFolded.emplace(folded, name);
    if (!fresh) {
      log(kKxWarning, "Resource '%s' differs from resource '%s' only in letter case and is not loaded", name.c_str(),
          first->second.c_str());
      continue;
    }
    // What the project names is opened as itself: a link could lead to any
    // file of the host, a device or FIFO would never end or never answer.
    SdkRegularFile file = sdkOpenRegularFile(path.c_str(), SdkLinks::kRefuse);
    switch (file.kind) {
      case SdkFileKind::kMissing:
      case SdkFileKind::kDirectory:
        log(kKxError, "Could not find the resource '%s'", path.empty() ? name.c_str() : path.c_str());
        continue;
      case SdkFileKind::kLink:
      case SdkFileKind::kSpecial:
        log(kKxError, "Resource file '%s' is a link or a special file, not a regular file", path.c_str());
        continue;
      case SdkFileKind::kRegular:
        break;
    }
    if (!file.file) {
      log(kKxError, "Could not open file '%s'", path.c_str());
      continue;
    }
    if (maxSize > 0 && file.size > maxSize)
      log(kKxError, "Resource file '%s' is too large to load (%lld bytes)", path.c_str(),
          static_cast<long long>(file.size));
  }
  return GetMessageFlags();
}
