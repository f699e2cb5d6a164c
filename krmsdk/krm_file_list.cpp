// Directory listing of a local Tessel folder.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/sdk_list.h"
#include "krmsdk/krm_command_file.h"
#include "krmsdk/krm_wildcard.h"

int krmGetFileList(SdkList& out, const char* directory, const SdkList* exclusions) {
  namespace fs = std::filesystem;
  out.clear();
  if (directory == nullptr) return 0;
  std::error_code ec;
  fs::directory_iterator it(fs::path(directory), ec);
  if (ec) return 0;
  std::vector<std::string> names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    std::string name = it->path().filename().string();
    if (name == "." || name == "..") continue;
    if (krmFindInList(exclusions, name.c_str(), 1) >= 0) continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) out.add(n);
  return 1;
}
