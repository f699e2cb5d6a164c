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
