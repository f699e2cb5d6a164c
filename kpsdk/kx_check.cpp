// KxProject: checking a project's resource files before they are used.
#include <cstdio>
#include <set>

#include "kpsdk/kx_project.h"

int KxProject::CheckResourceFiles(std::int64_t maxSize) {
  std::set<std::string> seen;
  for (const auto& r : resources_) {
    const std::string& name = r->GetName();
    const std::string& path = r->GetPath();
    // One name, one file: a second resource of the same name, in whatever
    // scope, would be skipped or land on the first one's file.
    if (!seen.insert(name).second) {
      log(kKxError, "The Project already contains an element named '%s'", name.c_str());
      continue;
    }
    if (path.empty() || !sdkFileExists(path.c_str()) || sdkIsDirectory(path.c_str())) {
      log(kKxError, "Could not find the resource '%s'", path.empty() ? name.c_str() : path.c_str());
      continue;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
      log(kKxError, "Could not open file '%s'", path.c_str());
      continue;
    }
    std::fclose(f);
    const std::int64_t size = sdkFileSize(path.c_str());
    if (maxSize > 0 && size > maxSize)
      log(kKxError, "Resource file '%s' is too large to load (%lld bytes)", path.c_str(), static_cast<long long>(size));
  }
  return GetMessageFlags();
}
