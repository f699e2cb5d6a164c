#include "delivery/app_config.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include "base/sdk_fs.h"

wxString toWx(std::string_view text) {
  wxString converted = wxString::FromUTF8(text.data(), text.size());
  // Text that is not UTF-8 (an 8-bit name such as a Latin-1 printer name)
  // would come back empty and be lost; it is taken as Latin-1 instead.
  if (converted.empty() && !text.empty()) converted = wxString::From8BitData(text.data(), text.size());
  return converted;
}

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

// Replaces the file's bytes in one step: the new text goes to a file beside
// it, which is flushed to the disk and renamed over the old one, so the file
// is whole (old or new) at every moment, even when the process is killed or
// the power fails; the old file's permissions are kept. Unchanged text is
// not written at all.
bool replaceFileText(const std::string& path, const std::string& bytes) {
  if (std::optional<std::string> old = sdkReadWholeFile(path.c_str()); old && *old == bytes) return true;
  // Unique beside the file, also against another process saving at once.
  static std::atomic<unsigned> counter{0};
  const std::string temp =
      path + "." + std::to_string(std::random_device{}()) + "_" + std::to_string(counter++) + ".tmp";
  bool ok = sdkWriteTextFile(temp.c_str(), bytes) != 0;
  std::error_code ec;
  if (ok) {
    std::filesystem::perms mode = std::filesystem::status(path, ec).permissions();
    if (!ec) std::filesystem::permissions(temp, mode, ec);
    ok = sdkCommitFile(temp.c_str(), path.c_str()) != 0;
  }
  if (!ok) sdkDeleteFile(temp.c_str());
  return ok;
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
  // wxFileConfig's own flush removes the old file before it renames the new
  // one into place; killed in between, the program would find no file.
  wxMemoryOutputStream memory;
  if (!Save(memory)) return false;
  std::string bytes(static_cast<std::size_t>(memory.GetLength()), '\0');
  if (!bytes.empty()) memory.CopyTo(bytes.data(), bytes.size());
  return replaceFileText(fromWx(absoluteFor(location_.fullPath)), bytes);
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
  // Values are stored verbatim, so a line break would end the line and let
  // the rest read as keys or groups of its own.
  if (value.find_first_of("\r\n") != std::string_view::npos) return false;
  return Write(toWx(key), toWx(value));
}

bool QmConfigFile::writeFlag(std::string_view key, bool value) { return Write(toWx(key), value); }

bool QmConfigFile::writeNumber(std::string_view key, long value) { return Write(toWx(key), value); }
