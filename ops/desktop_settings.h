// The settings the desktop windows read and write, with their rules: the
// main window's state kept between runs, the interpreter choice, whether a
// Tessel is configured at all, and the folders derived from qmRootDir.
//
// Every function opens the configuration file for the one call (configFile
// "" = the installed quaymaster.ini) and never creates it.
#pragma once

#include <optional>
#include <string>

#include "ops/operation.h"

struct MainWindowSettings {
  std::string lastPrinter;  // as stored: without the group marker
  bool statusPage = true;
  bool isMaximized = false;
  // Both width and height, when both were stored.
  std::optional<std::pair<long, long>> size;
};
MainWindowSettings readMainWindowSettings(const std::string& configFile = "");

// What the main window keeps when it closes. The destination is stored as
// lastPrinter without any group marker, and only when it is neither empty
// nor the no-printer placeholder (lastPrinter is then left as it was).
struct ClosingWindowState {
  std::string destination;  // as the list shows it
  bool statusPage = true;
  bool isMaximized = false;
  long width = 0;
  long height = 0;
};
bool saveMainWindowSettings(const ClosingWindowState& state, const std::string& configFile = "");

// Writes useBuiltin, koroCore, koroStub and includeLUS, all four.
bool saveInterpreterChoice(const InterpreterChoice& choice, const std::string& configFile = "");

// True when a Tessel is configured: with useBuiltin read and true, koroStub
// must be read, not empty and not "NULL"; otherwise koroCore must be. The
// comparison with "NULL" is exact; folders are not checked.
bool tesselConfigured(const std::string& configFile = "");

// The folder the program works in: qmRootDir when it names an existing
// folder, else currentFolder.
std::string workingFolder(const std::string& currentFolder, const std::string& configFile = "");

// The help book under qmRootDir: the folder, one host separator, then
// "docs", separator, "qmhelp.htb". On Windows forward slashes in the folder
// become backslashes. Empty when qmRootDir is not stored (the working-folder
// fallback does not apply here).
std::string helpBookPath(const std::string& configFile = "");
inline constexpr char kHelpBookName[] = "qmhelp.htb";
