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
// Saving never writes the object's whole copy: other programs (the desktop,
// the command line, a second desktop user) may have changed the file since
// it was read. Under the configuration lock (config_lock.h) the file is read
// again, the changes made through this object are made once more on that
// text, in order, and the result replaces the file. A file that cannot be
// read as a configuration (configTextProblem) is never rewritten: reads of
// it give the defaults and problem() says why.
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
#include <vector>

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

// The user's own data folder of the program (where the send history is),
// without a trailing separator: $QUAYMASTER_DATA_DIR when set; else
// $XDG_DATA_HOME/quaymaster (~/.local/share/quaymaster) on Linux and the
// user's application-data folder, then "Quaymaster", on Windows. Empty
// when the platform cannot name it. Not created here.
std::string userDataFolder();

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

// Why a configuration file's text cannot be taken as one, naming the file
// and the first line at fault: a NUL byte, or a line that is neither blank,
// a comment ("#", ";"), a "[group]" header nor key=value. Empty when the
// text reads. Lines end at LF, CR or CRLF, as the reader takes them.
std::string configTextProblem(const std::string& path, std::string_view text);
// The same for a file; a file that exists but cannot be read is a problem
// too. Empty for a missing file (that one is "absent", not "unreadable").
std::string configFileProblem(const std::string& path);

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

  // Why the file could not be read when this object was built (see
  // configFileProblem); empty when it was read or is missing.
  const std::string& problem() const { return problem_; }

  // Makes this object's changes in the file now, under the lock, on the
  // file as it is then. False when the file did not exist when this object
  // was built (it is never created), could not be read then or now, the
  // lock cannot be had, or the file cannot be written; saveError() then
  // says which, naming the file. Nothing changed: true, nothing written.
  bool save();
  const std::string& saveError() const { return saveError_; }

  // Every change goes through these, so that save() can make it again.
  bool Flush(bool currentOnly = false) override;
  bool RenameEntry(const wxString& oldName, const wxString& newName) override;
  bool RenameGroup(const wxString& oldName, const wxString& newName) override;
  bool DeleteEntry(const wxString& key, bool groupIfEmptyAlso = true) override;
  bool DeleteGroup(const wxString& key) override;

 protected:
  QmConfigFile(std::string_view appName, std::string_view vendorName, std::string_view localName);
  bool DoWriteString(const wxString& key, const wxString& value) override;

 private:
  QmConfigFile(ConfigLocation location, std::string_view appName, std::string_view vendorName);

  enum class ChangeKind { Write, DeleteEntry, DeleteGroup, RenameEntry, RenameGroup };
  struct Change {
    ChangeKind kind;
    wxString path;  // the current path when it was made (keys may be relative)
    wxString key;
    wxString value;  // the value, or the new name
    bool flag = false;
  };
  static bool apply(wxFileConfig& store, const Change& change);
  void forgetContent();

  ConfigLocation location_;
  std::string problem_;
  std::string saveError_;
  std::vector<Change> changes_;
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
