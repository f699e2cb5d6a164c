#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "delivery/app_config.h"

// The shared application-data folder of all users, created if missing.
std::string allUsersDataFolder() {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_DEFAULT, path)))
    return std::string();
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string userDataFolder() {
  if (const char* own = std::getenv("QUAYMASTER_DATA_DIR"); own != nullptr && *own != '\0') return own;
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder + "\\Quaymaster";
}
