// Printer groups as stored in the configuration file.
//
// A group is an entry under "/printer-groups" whose value is its member
// printer names joined by "," (no blanks; possibly empty). Members may name
// printers that are no longer installed; delivery reports them. The
// functions without a configuration argument open the configuration file
// (AppFileConfig) for the one call; the others work on an open one. Name
// checks report the user's message text; nothing is shown here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class wxConfigBase;

inline constexpr std::size_t kMaxGroupNameLength = 32;

inline constexpr char kGroupNameTooLongMessage[] = "Please limit the printer group name to at most 32 characters.";
inline constexpr char kGroupIsPrinterMessage[] = "Group name cannot be the same as a printer name.\n\n";
inline constexpr char kGroupExistsMessage[] = "The group already exists.\n\n";
inline constexpr char kGroupNameCharactersMessage[] =
    "Printer group name may only contain underscore, and alphanumeric characters.";
inline constexpr char kGroupDeleteFailedMessage[] = "Problem removing the seleted group.\n\n";

// Members of the group in stored order: the value split at ",", empty
// pieces skipped, pieces not trimmed, a name stored again (in any letter
// case) skipped. Empty when the group does not exist.
std::vector<std::string> ReadPrinterGroup(const wxConfigBase& config, const std::string& groupName);
std::vector<std::string> ReadPrinterGroup(const std::string& groupName);

// The names once each, in the order they first occur; letter case is
// ignored, as the spooler finds printers without regard to it, and where
// network destinations are sent to, two spellings of one printer of the
// network (CanonicalNetworkDestination) are one name, the first kept.
std::vector<std::string> UniqueMembers(const std::vector<std::string>& names);

// The stored member text of a group as it is; nothing when the group is not
// stored.
std::optional<std::string> ReadGroupValue(const wxConfigBase& config, const std::string& groupName);
std::optional<std::string> ReadGroupValue(const std::string& groupName);

// Stores the member text of a group (creating the group). False when the
// configuration file is missing or cannot be written, or when the name or
// the text holds a line break (it would split the file's line).
bool WriteGroup(wxConfigBase& config, const std::string& groupName, const std::string& memberText);
bool WriteGroup(const std::string& groupName, const std::string& memberText);

// The group names, in the order the store enumerates them.
std::vector<std::string> ListPrinterGroups(const wxConfigBase& config);
std::vector<std::string> ListPrinterGroups();

// Removes a group; the group folder goes too when it becomes empty. False
// when the group did not exist or the file cannot be written.
bool DeletePrinterGroup(wxConfigBase& config, const std::string& groupName);
bool DeletePrinterGroup(const std::string& groupName);

// The member text of the checked printers in list order, joined by ",",
// each name once. Every member is kept, however long the text: the
// configuration reads lines of any length back.
std::string BuildMemberText(const std::vector<std::string>& checkedPrinters);

// The outcome of checking a name for a new group.
struct GroupNameCheck {
  enum class Verdict {
    Accepted,
    Empty,          // nothing entered: stop without a message
    TooLong,
    PrinterName,
    AlreadyExists,
    BadCharacter,
  };
  Verdict verdict = Verdict::Empty;
  std::string name;     // the entered text without trailing white space
  std::string message;  // the user's message; empty for Accepted and Empty
  bool accepted() const { return verdict == Verdict::Accepted; }
};

// The rules for a new group name, in this order: trailing white space is
// removed; empty stops silently; longer than 32 characters; equal to an
// installed printer (isInstalledPrinter decides); equal to an existing group
// without regard to case; a character other than a digit, an ASCII letter
// or "_".
GroupNameCheck CheckNewGroupName(std::string_view entered, const std::vector<std::string>& existingGroups,
                                 const std::function<bool(const std::string&)>& isInstalledPrinter);

// What the groups dialog keeps on OK: "pg" (group names joined by ","),
// "pg_width" and "pg_height".
bool WriteGroupsDialogState(wxConfigBase& config, const std::vector<std::string>& groupNames, long width,
                            long height);
// The stored dialog size; false unless both values can be read.
bool ReadGroupsDialogSize(const wxConfigBase& config, long& width, long& height);

// A panel's destination choice: the printers in their order, then "\\\" +
// each group, skipping a group whose name equals a printer (without regard
// to case) or whose entry is already there, and stopping at 1024 entries.
std::vector<std::string> BuildDestinationList(const std::vector<std::string>& printers,
                                              const std::vector<std::string>& groups);
// The same, then each direct printer by its name, skipping one whose name
// equals an entry already there (without regard to case), within the same
// 1024 entries.
std::vector<std::string> BuildDestinationList(const std::vector<std::string>& printers,
                                              const std::vector<std::string>& groups,
                                              const std::vector<std::string>& directPrinters);
// With the queues of further print servers ("QUEUE@HOST") after the local
// printers and before the groups; the direct printers last.
std::vector<std::string> BuildDestinationList(const std::vector<std::string>& printers,
                                              const std::vector<std::string>& serverPrinters,
                                              const std::vector<std::string>& groups,
                                              const std::vector<std::string>& directPrinters);

// The entry of a destination list that a saved lastPrinter (stored without
// the group marker) names: the entry equal to it without regard to case,
// else the group entry "\\\" + it; empty when neither is in the list.
std::string FindSavedDestination(const std::vector<std::string>& list, const std::string& lastPrinter);
