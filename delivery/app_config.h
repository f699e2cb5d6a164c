// The configuration store: one ini file, "quaymaster.ini", in a folder under
// the all-users application-data folder.
//
// configFolder() names that folder; AppConfig and AppFileConfig open the file
// through wxWidgets' own file configuration class. Both resolve the file the
// same way and read and write the same format, so either may be used for
// any key. They are meant to be created, used and dropped within one
// handler; changes reach the file when the object is dropped (or save() is
// called). The program never creates the file: when it did not exist when
// the object was built, reads give the caller's defaults and writes are
// discarded. Values are stored verbatim (no escapes, no environment
// variable expansion), so an installer or a person can write the file.
//
// The environment variable QUAYMASTER_CONFIG_DIR, when set and not empty,
// replaces the folder for every file name (tests, private setups, users
// without write access to the all-users folder).
#pragma once

#include <wx/fileconf.h>
#include <wx/log.h>

#include <optional>
#include <string>
#include <string_view>

// Name of the environment variable that overrides the configuration folder.
inline constexpr char kConfigDirVariable[] = "QUAYMASTER_CONFIG_DIR";
inline constexpr char kAppName[] = "quaymaster";
inline constexpr char kConfigFileName[] = "quaymaster.ini";

// Keys of the configuration file and their defaults when absent.
namespace cfgkey {
inline constexpr char kQmRootDir[] = "qmRootDir";        // folder; default: working directory
inline constexpr char kUseBuiltin[] = "useBuiltin";      // bool
inline constexpr char kKoroCore[] = "koroCore";          // folder; "NULL" counts as unset
inline constexpr char kKoroStub[] = "koroStub";          // stub file; "NULL" counts as unset
inline constexpr char kIncludeLUS[] = "includeLUS";      // bool
inline constexpr char kLastPrinter[] = "lastPrinter";    // destination without group marker
inline constexpr char kStatusPage[] = "statusPage";      // bool
inline constexpr char kIsMaximized[] = "isMaximized";    // bool
inline constexpr char kWidth[] = "width";                // pixels
inline constexpr char kHeight[] = "height";              // pixels
inline constexpr char kLastProjDir[] = "lastProjDir";    // folder
inline constexpr char kLastSubDir[] = "lastSubDir";      // folder
inline constexpr char kLastLegacyDir[] = "lastLegacyDir";  // folder
inline constexpr char kLastFontDir[] = "lastFontDir";    // folder
inline constexpr char kConfirmDelete[] = "confirmDelete";  // bool: ask before Delete Files
inline constexpr char kPrinterGroups[] = "/printer-groups";  // group of printer groups
inline constexpr char kGroupNames[] = "pg";              // group names joined by ","
inline constexpr char kGroupsDialogWidth[] = "pg_width";
inline constexpr char kGroupsDialogHeight[] = "pg_height";

inline constexpr bool kDefaultUseBuiltin = false;
inline constexpr bool kDefaultIncludeLUS = false;
inline constexpr bool kDefaultStatusPage = true;
inline constexpr bool kDefaultIsMaximized = false;
inline constexpr long kDefaultWidth = 620;
inline constexpr long kDefaultHeight = 732;
// Text that koroCore and koroStub hold when no interpreter is chosen.
inline constexpr char kUnsetPath[] = "NULL";
}  // namespace cfgkey

// The folder that holds the configuration file of that name, ending in the
// host separator: the all-users application-data folder, then "Norvane",
// "KORO", then "QMAN" only when the name is exactly "quaymaster.ini". On
// Linux the all-users folder is the first folder of $XDG_CONFIG_DIRS
// ("/etc/xdg" when unset). Empty when the platform cannot name the folder.
// QUAYMASTER_CONFIG_DIR, when set, is returned instead (with a separator).
std::string configFolder(std::string_view fileName);

// The all-users application-data folder of the platform, without a trailing
// separator; empty when it cannot be found.
std::string allUsersDataFolder();

// Where a configuration object's file is and whether it existed.
struct ConfigLocation {
  bool exists = false;
  std::string localName;
  std::string fileName;
  std::string fullPath;
};

// Resolves the file for an application name and a local file name: the
// local name itself when not empty, else configFolder(app + ".ini").
ConfigLocation resolveConfigFile(std::string_view appName, std::string_view localName);

// Keeps wxWidgets' log quiet while the file is being read, so that an
// unreadable file becomes "absent keys" rather than a printed error.
// Also makes sure wxWidgets is initialised (a program without a wxApp, such
// as the command line, gets a console one).
struct QmQuietLog {
  QmQuietLog();
  std::optional<wxLogNull> quiet;
};

// The common part of both configuration objects.
class QmConfigFile : private QmQuietLog, public wxFileConfig {
 public:
  ~QmConfigFile() override;
  QmConfigFile(const QmConfigFile&) = delete;
  QmConfigFile& operator=(const QmConfigFile&) = delete;

  bool exists() const { return location_.exists; }
  const std::string& localName() const { return location_.localName; }
  const std::string& fileName() const { return location_.fileName; }
  const std::string& fullPath() const { return location_.fullPath; }

  // Typed access with std::string; a read returns false and leaves value
  // alone when the key is absent or unreadable. A text holding a line break
  // is not written (false): it would split the file's line. Keys are paths as in
  // wxConfigBase ("key" at the current path, "/group/key" absolute).
  bool readText(std::string_view key, std::string& value) const;
  bool readFlag(std::string_view key, bool& value) const;
  bool readNumber(std::string_view key, long& value) const;
  bool writeText(std::string_view key, std::string_view value);
  bool writeFlag(std::string_view key, bool value);
  bool writeNumber(std::string_view key, long value);

  // Writes the changes to the file now. False when the file did not exist
  // when this object was built (it is never created) or cannot be written.
  bool save();

 protected:
  QmConfigFile(std::string_view appName, std::string_view vendorName, std::string_view localName);

 private:
  QmConfigFile(ConfigLocation location, std::string_view appName, std::string_view vendorName);
  ConfigLocation location_;
};

// The configuration object of the windows: application name "quaymaster",
// empty vendor and empty local name unless a test passes its own file.
class AppConfig : public QmConfigFile {
 public:
  explicit AppConfig(std::string_view appName = kAppName, std::string_view vendorName = "",
                     std::string_view localName = "")
      : QmConfigFile(appName, vendorName, localName) {}
};

// The same file through the file-configuration interface; serves the
// printer groups and the destination list.
class AppFileConfig : public QmConfigFile {
 public:
  explicit AppFileConfig(std::string_view appName = kAppName, std::string_view vendorName = "",
                         std::string_view localName = "")
      : QmConfigFile(appName, vendorName, localName) {}
};

// wxString <-> std::string (UTF-8 on both sides; text that is not UTF-8 is
// read as Latin-1, so an 8-bit name keeps its characters instead of
// becoming empty).
wxString toWx(std::string_view text);
std::string fromWx(const wxString& text);
