#include "delivery/app_config.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdlib>

#include "base/sdk_fs.h"

wxString toWx(std::string_view text) { return wxString::FromUTF8(text.data(), text.size()); }

std::string fromWx(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

namespace {

void appendSeparator(std::string& folder) {
  if (folder.empty() || folder.back() != kSdkHostSeparator) folder += kSdkHostSeparator;
}

}  // namespace

std::string configFolder(std::string_view fileName) {
  if (const char* override = std::getenv(kConfigDirVariable); override != nullptr && *override != '\0') {
    std::string folder = override;
    appendSeparator(folder);
    return folder;
  }
  std::string folder = allUsersDataFolder();
  if (folder.empty()) return folder;
  appendSeparator(folder);
  folder += "Norvane";
  folder += kSdkHostSeparator;
  folder += "KORO";
  folder += kSdkHostSeparator;
  if (fileName == kConfigFileName) {
    folder += "QMAN";
    folder += kSdkHostSeparator;
  }
  return folder;
}

ConfigLocation resolveConfigFile(std::string_view appName, std::string_view localName) {
  ConfigLocation location;
  location.localName = std::string(localName);
  if (!localName.empty()) {
    location.fullPath = std::string(localName);
    location.fileName = sdkFileNamePart(localName);
  } else {
    location.fileName = std::string(appName);
    if (location.fileName.find(".ini") == std::string::npos) location.fileName += ".ini";
    std::string folder = configFolder(location.fileName);
    appendSeparator(folder);
    location.fullPath = folder + location.fileName;
  }
  location.exists = sdkFileExists(location.fullPath.c_str()) != 0 && sdkIsDirectory(location.fullPath.c_str()) == 0;
  return location;
}

namespace {

// wxFileConfig puts a bare local name into the home folder; the file meant
// is the one the name designates from the working directory.
wxString absoluteFor(const std::string& path) {
  wxFileName name(toWx(path));
  name.MakeAbsolute();
  return name.GetFullPath();
}

}  // namespace

QmQuietLog::QmQuietLog() {
  // wxFileConfig asks the application's traits for standard folders.
  static const bool initialised = wxTheApp != nullptr || wxInitialize();
  (void)initialised;
  quiet.emplace();
}

QmConfigFile::QmConfigFile(std::string_view appName, std::string_view vendorName, std::string_view localName)
    : QmConfigFile(resolveConfigFile(appName, localName), appName, vendorName) {}

QmConfigFile::QmConfigFile(ConfigLocation location, std::string_view appName, std::string_view vendorName)
    : wxFileConfig(toWx(appName), toWx(vendorName), absoluteFor(location.fullPath), wxEmptyString,
                   wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_NO_ESCAPE_CHARACTERS),
      location_(std::move(location)) {
  quiet.reset();
  SetExpandEnvVars(false);
  // Saving is ours (see the destructor), so that a missing file is never
  // created and a failed write stays quiet.
  DisableAutoSave();
}

QmConfigFile::~QmConfigFile() { save(); }

bool QmConfigFile::save() {
  if (!location_.exists) return false;
  wxLogNull quiet;
  return Flush();
}

bool QmConfigFile::readText(std::string_view key, std::string& value) const {
  wxString text;
  if (!Read(toWx(key), &text)) return false;
  value = fromWx(text);
  return true;
}

bool QmConfigFile::readFlag(std::string_view key, bool& value) const {
  bool flag = false;
  if (!Read(toWx(key), &flag)) return false;
  value = flag;
  return true;
}

bool QmConfigFile::readNumber(std::string_view key, long& value) const {
  long number = 0;
  if (!Read(toWx(key), &number)) return false;
  value = number;
  return true;
}

bool QmConfigFile::writeText(std::string_view key, std::string_view value) {
  return Write(toWx(key), toWx(value));
}

bool QmConfigFile::writeFlag(std::string_view key, bool value) { return Write(toWx(key), value); }

bool QmConfigFile::writeNumber(std::string_view key, long value) { return Write(toWx(key), value); }
