#include <cstdlib>
#include <string>

#include "delivery/app_config.h"

// The system-wide configuration folder of the desktop conventions: the
// first entry of $XDG_CONFIG_DIRS, or /etc/xdg.
std::string allUsersDataFolder() {
  std::string folder;
  if (const char* dirs = std::getenv("XDG_CONFIG_DIRS"); dirs != nullptr) {
    std::string list = dirs;
    folder = list.substr(0, list.find(':'));
  }
  // Relative entries are invalid by the conventions and are ignored.
  if (folder.empty() || folder.front() != '/') folder = "/etc/xdg";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string userDataFolder() {
  if (const char* own = std::getenv("QUAYMASTER_DATA_DIR"); own != nullptr && *own != '\0') return own;
  std::string base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    base = std::string(home) + "/.local/share";
  } else {
    return {};
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/quaymaster";
}
