#include "delivery/app_config.h"

#include <chrono>
#include <thread>

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <cstdlib>

#include "base/sdk_fs.h"
#include "delivery/config_lock.h"
#include "kpsdk/kx_file_replace.h"

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

std::string configTextProblem(const std::string& path, std::string_view text) {
  const std::string_view bom = "\xEF\xBB\xBF";
  if (text.starts_with(bom)) text.remove_prefix(bom.size());
  auto fault = [&path](std::size_t line, const char* what) {
    return "the configuration file '" + path + "' cannot be read: line " + std::to_string(line) + " " + what;
  };
  std::size_t line = 1;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view content = text.substr(pos, end - pos);
    if (content.find('\0') != std::string_view::npos) return fault(line, "holds a NUL byte");
    const std::size_t first = content.find_first_not_of(" \t");
    if (first != std::string_view::npos) {
      const char lead = content[first];
      const bool fits = lead == '#' || lead == ';' ||
                        (lead == '[' ? content.find(']', first) != std::string_view::npos
                                     : content.find('=') != std::string_view::npos);
      if (!fits) return fault(line, "is neither a comment, a [group] header nor key=value");
    }
    if (end == text.size()) break;
    pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    ++line;
  }
  return {};
}

std::string configFileProblem(const std::string& path) {
  if (sdkFileExists(path.c_str()) == 0) return {};
  std::optional<std::string> text = sdkReadWholeFile(path.c_str());
  if (!text) return "cannot read the configuration file '" + path + "'";
  return configTextProblem(path, *text);
}

namespace {

constexpr long kConfigStyle = wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_NO_ESCAPE_CHARACTERS;

// wxFileConfig puts a bare local name into the home folder; the file meant
// is the one the name designates from the working directory.
wxString absoluteFor(const std::string& path) {
  wxFileName name(toWx(path));
  name.MakeAbsolute();
  return name.GetFullPath();
}

// Replaces the file's bytes in one step (kxReplaceFile: a new file created
// beside it, flushed and renamed over it, the old permissions kept), so the
// file is whole, old or new, at every moment, even when the process is
// killed or the power fails. Unchanged text is not written at all.
bool replaceFileText(const std::string& path, const std::string& bytes) {
  if (std::optional<std::string> old = sdkReadWholeFile(path.c_str()); old && *old == bytes) return true;
  std::string reason;
  return kxReplaceFile(path, bytes, reason) != 0;
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
    : wxFileConfig(toWx(appName), toWx(vendorName), absoluteFor(location.fullPath), wxEmptyString, kConfigStyle),
      location_(std::move(location)) {
  quiet.reset();
  if (location_.exists) problem_ = configFileProblem(location_.fullPath);
  // What wxWidgets made of an unreadable file is not the file; the caller
  // gets the defaults.
  if (!problem_.empty()) forgetContent();
  SetExpandEnvVars(false);
  // Saving is ours (see the destructor), so that a missing file is never
  // created and a failed write stays quiet.
  DisableAutoSave();
}

QmConfigFile::~QmConfigFile() { save(); }

bool QmConfigFile::save() {
  saveError_.clear();
  const std::string& name = location_.fullPath;
  if (!location_.exists) {
    saveError_ = "no configuration file '" + name + "'";
    return false;
  }
  if (!problem_.empty()) {
    saveError_ = problem_;
    return false;
  }
  if (changes_.empty()) return true;
  ConfigLock lock(name);
  if (!lock.held()) {
    saveError_ = lock.error();
    return false;
  }
  // The file as it is now, read again under the lock: another program may
  // have changed it since this object read it.
  const std::string path = fromWx(absoluteFor(name));
  std::optional<std::string> current;
  // On Windows a file another program is replacing or reading can refuse a
  // reader for a moment: try again briefly before calling it unreadable.
  for (int attempt = 0; attempt < 100 && !current; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (sdkFileExists(path.c_str()) != 0) current = sdkReadWholeFile(path.c_str());
  }
  if (!current) {
    saveError_ = "cannot read the configuration file '" + name + "'";
    return false;
  }
  if (std::string why = configTextProblem(name, *current); !why.empty()) {
    saveError_ = why;
    return false;
  }
  wxLogNull quiet;
  wxFileConfig store(GetAppName(), GetVendorName(), toWx(path), wxEmptyString, kConfigStyle);
  store.SetExpandEnvVars(false);
  store.DisableAutoSave();
  for (const Change& change : changes_) apply(store, change);
  // wxFileConfig's own flush removes the old file before it renames the new
  // one into place; killed in between, the program would find no file.
  wxMemoryOutputStream memory;
  bool ok = store.Save(memory);
  std::string bytes(static_cast<std::size_t>(memory.GetLength()), '\0');
  if (ok && !bytes.empty()) memory.CopyTo(bytes.data(), bytes.size());
  if (!ok || !replaceFileText(path, bytes)) {
    saveError_ = "cannot write the configuration file '" + name + "'";
    return false;
  }
  changes_.clear();
  return true;
}

bool QmConfigFile::apply(wxFileConfig& store, const Change& change) {
  store.SetPath(change.path);
  switch (change.kind) {
    case ChangeKind::Write:
      return store.Write(change.key, change.value);
    case ChangeKind::DeleteEntry:
      return store.DeleteEntry(change.key, change.flag);
    case ChangeKind::DeleteGroup:
      return store.DeleteGroup(change.key);
    case ChangeKind::RenameEntry:
      return store.RenameEntry(change.key, change.value);
    case ChangeKind::RenameGroup:
      return store.RenameGroup(change.key, change.value);
  }
  return false;
}

bool QmConfigFile::Flush(bool) { return save(); }

void QmConfigFile::forgetContent() {
  // wxFileConfig::DeleteAll would delete the file itself.
  std::vector<wxString> groups;
  std::vector<wxString> entries;
  wxString name;
  long cookie = 0;
  SetPath("/");
  for (bool more = GetFirstGroup(name, cookie); more; more = GetNextGroup(name, cookie)) groups.push_back(name);
  for (bool more = GetFirstEntry(name, cookie); more; more = GetNextEntry(name, cookie)) entries.push_back(name);
  for (const wxString& group : groups) wxFileConfig::DeleteGroup(group);
  for (const wxString& entry : entries) wxFileConfig::DeleteEntry(entry, false);
}

bool QmConfigFile::DoWriteString(const wxString& key, const wxString& value) {
  const wxString path = GetPath();
  if (!wxFileConfig::DoWriteString(key, value)) return false;
  changes_.push_back({ChangeKind::Write, path, key, value, false});
  return true;
}

bool QmConfigFile::DeleteEntry(const wxString& key, bool groupIfEmptyAlso) {
  // The path before the change: deleting the last entry leaves its group.
  const wxString path = GetPath();
  if (!wxFileConfig::DeleteEntry(key, groupIfEmptyAlso)) return false;
  changes_.push_back({ChangeKind::DeleteEntry, path, key, wxString(), groupIfEmptyAlso});
  return true;
}

bool QmConfigFile::DeleteGroup(const wxString& key) {
  const wxString path = GetPath();
  if (!wxFileConfig::DeleteGroup(key)) return false;
  changes_.push_back({ChangeKind::DeleteGroup, path, key, wxString(), false});
  return true;
}

bool QmConfigFile::RenameEntry(const wxString& oldName, const wxString& newName) {
  const wxString path = GetPath();
  if (!wxFileConfig::RenameEntry(oldName, newName)) return false;
  changes_.push_back({ChangeKind::RenameEntry, path, oldName, newName, false});
  return true;
}

bool QmConfigFile::RenameGroup(const wxString& oldName, const wxString& newName) {
  const wxString path = GetPath();
  if (!wxFileConfig::RenameGroup(oldName, newName)) return false;
  changes_.push_back({ChangeKind::RenameGroup, path, oldName, newName, false});
  return true;
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
