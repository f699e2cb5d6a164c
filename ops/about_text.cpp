#include "ops/about_text.h"

#include <fstream>

#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "krmsdk/krmsdk.h"
#include "ops/translate.h"

namespace {
constexpr std::size_t kHeaderBytes = 255;
constexpr char kVersionMarker[] = "%%Version:";

std::string headerPathFor(const std::string& folder) {
  std::string path = folder;
  path += kSdkHostSeparator;
  path += "src";
  path += kSdkHostSeparator;
  path += "tqf.eeh";
  return path;
}
}  // namespace

std::optional<std::string> tesselHeaderVersion(const std::string& headerPath) {
  std::ifstream in(headerPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::string head(kHeaderBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  if (static_cast<std::size_t>(in.gcount()) != kHeaderBytes) return std::nullopt;
  // The header is text; a NUL ends it as it would end a C string.
  head.resize(head.find('\0') == std::string::npos ? head.size() : head.find('\0'));
  const std::size_t at = head.find(kVersionMarker);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t start = at + sizeof kVersionMarker;  // the marker and one more character
  std::string version = start <= head.size() ? head.substr(start) : std::string();
  version = version.substr(0, version.find('\n'));
  version = version.substr(0, version.find('\r'));
  return version;
}

std::string aboutText(const ProgramIdentity& identity, const std::string& configFile) {
  std::string text = identity.fullName + " " + identity.version + "\n" +
                     tr("KX Project resources management utility for remote printers.") + "\n" + identity.notice +
                     "\n\n";
  AppConfig config(kAppName, "", configFile);
  bool useBuiltin = false;
  config.readFlag(cfgkey::kUseBuiltin, useBuiltin);
  std::string core;
  if (useBuiltin) {
    text += tr("Built-in Tessel ") + krmGetBuiltInKOROVersion() + "\n\n";
  } else if (config.readText(cfgkey::kKoroCore, core) && sdkFileExists(headerPathFor(core).c_str()) &&
             !sdkIsDirectory(headerPathFor(core).c_str())) {
    text += tr("Tessel Directory = ") + "\"" + core + "\"\n";
    if (std::optional<std::string> version = tesselHeaderVersion(headerPathFor(core)))
      text += tr("Tessel ") + *version;
    text += "\n\n";
  }
  text += std::string(krmGetVersion()) + "\n" + "KPSDK 2.1.2" + "\n" + identity.toolkit;
  return text;
}
