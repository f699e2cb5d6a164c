#include "ops/desktop_settings.h"

#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "delivery/send_job.h"
#include "delivery/spooler.h"

namespace {
bool isSet(const std::string& path) { return !path.empty() && path != cfgkey::kUnsetPath; }
}  // namespace

MainWindowSettings readMainWindowSettings(const std::string& configFile) {
  AppConfig config(kAppName, "", configFile);
  MainWindowSettings s;
  config.readText(cfgkey::kLastPrinter, s.lastPrinter);
  config.readFlag(cfgkey::kStatusPage, s.statusPage);
  config.readFlag(cfgkey::kIsMaximized, s.isMaximized);
  long width = 0;
  long height = 0;
  if (config.readNumber(cfgkey::kWidth, width) && config.readNumber(cfgkey::kHeight, height))
    s.size = std::make_pair(width, height);
  return s;
}

bool saveMainWindowSettings(const ClosingWindowState& state, const std::string& configFile) {
  AppConfig config(kAppName, "", configFile);
  bool ok = true;
  if (!state.destination.empty() && state.destination != noPrintersSentinel())
    ok = config.writeText(cfgkey::kLastPrinter, stripGroupMarker(state.destination)) && ok;
  ok = config.writeFlag(cfgkey::kStatusPage, state.statusPage) && ok;
  ok = config.writeFlag(cfgkey::kIsMaximized, state.isMaximized) && ok;
  ok = config.writeNumber(cfgkey::kWidth, state.width) && ok;
  ok = config.writeNumber(cfgkey::kHeight, state.height) && ok;
  return config.save() && ok;
}

bool saveInterpreterChoice(const InterpreterChoice& choice, const std::string& configFile) {
  AppConfig config(kAppName, "", configFile);
  bool ok = config.writeFlag(cfgkey::kUseBuiltin, choice.useBuiltin);
  ok = config.writeText(cfgkey::kKoroCore, choice.koroCore) && ok;
  ok = config.writeText(cfgkey::kKoroStub, choice.koroStub) && ok;
  ok = config.writeFlag(cfgkey::kIncludeLUS, choice.includeLUS) && ok;
  return config.save() && ok;
}

bool tesselConfigured(const std::string& configFile) {
  AppConfig config(kAppName, "", configFile);
  bool useBuiltin = false;
  std::string path;
  if (config.readFlag(cfgkey::kUseBuiltin, useBuiltin) && useBuiltin)
    return config.readText(cfgkey::kKoroStub, path) && isSet(path);
  return config.readText(cfgkey::kKoroCore, path) && isSet(path);
}

std::string workingFolder(const std::string& currentFolder, const std::string& configFile) {
  AppConfig config(kAppName, "", configFile);
  std::string root;
  if (config.readText(cfgkey::kQmRootDir, root) && !root.empty() && sdkIsDirectory(root.c_str())) return root;
  return currentFolder;
}

std::string helpBookPath(const std::string& configFile) {
  AppConfig config(kAppName, "", configFile);
  std::string path;
  if (!config.readText(cfgkey::kQmRootDir, path)) return {};
  if (kSdkHostSeparator == '\\') {
    for (char& c : path)
      if (c == '/') c = '\\';
  }
  if (path.empty() || path.back() != kSdkHostSeparator) path += kSdkHostSeparator;
  path += "docs";
  path += kSdkHostSeparator;
  path += kHelpBookName;
  return path;
}
