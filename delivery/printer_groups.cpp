#include "delivery/printer_groups.h"

#include <wx/config.h>
#include <wx/intl.h>

#include "delivery/app_config.h"
#include "delivery/network_spooler.h"
#include "delivery/print_servers.h"
#include "delivery/send_job.h"
#include "delivery/spooler.h"

namespace {

wxString groupKey(const std::string& groupName) { return toWx(std::string(cfgkey::kPrinterGroups) + "/" + groupName); }

// Writes through a configuration object: false when it is our file and the
// file is missing (it is never created).
bool writable(const wxConfigBase& config) {
  const auto* file = dynamic_cast<const QmConfigFile*>(&config);
  return file == nullptr || file->exists();
}

bool isNameCharacter(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isTrailingSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::vector<std::string> ReadPrinterGroup(const wxConfigBase& config, const std::string& groupName) {
  std::vector<std::string> members;
  wxString value;
  if (!config.Read(groupKey(groupName), &value)) return members;
  const std::string text = fromWx(value);
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t comma = text.find(',', pos);
    if (comma == std::string::npos) comma = text.size();
    if (comma > pos) members.push_back(text.substr(pos, comma - pos));
    pos = comma + 1;
  }
  return UniqueMembers(members);
}

namespace {

// What makes two members one printer: the name, or for a printer of the
// network its canonical spelling, so that "Q@HOST" and
// "ipp://host:631/printers/Q" are sent to once.
std::string memberIdentity(const std::string& name) {
  if (!isRoutedToNetwork(name)) return name;
  return CanonicalNetworkDestination(name).value_or(name);
}

}  // namespace

std::vector<std::string> UniqueMembers(const std::vector<std::string>& names) {
  std::vector<std::string> unique;
  std::vector<std::string> identities;
  for (const std::string& name : names) {
    std::string identity = memberIdentity(name);
    bool seen = false;
    for (const std::string& kept : identities) seen = seen || equalsNoCase(kept, identity);
    if (seen) continue;
    unique.push_back(name);
    identities.push_back(std::move(identity));
  }
  return unique;
}

std::vector<std::string> ReadPrinterGroup(const std::string& groupName) {
  AppFileConfig config;
  return ReadPrinterGroup(config, groupName);
}

std::optional<std::string> ReadGroupValue(const wxConfigBase& config, const std::string& groupName) {
  wxString value;
  if (!config.Read(groupKey(groupName), &value)) return std::nullopt;
  return fromWx(value);
}

std::optional<std::string> ReadGroupValue(const std::string& groupName) {
  AppFileConfig config;
  return ReadGroupValue(config, groupName);
}

bool WriteGroup(wxConfigBase& config, const std::string& groupName, const std::string& memberText) {
  // Stored verbatim: a line break would start a key of its own.
  if ((groupName + memberText).find_first_of("\r\n") != std::string::npos) return false;
  return config.Write(groupKey(groupName), toWx(memberText)) && writable(config);
}

bool WriteGroup(const std::string& groupName, const std::string& memberText) {
  AppFileConfig config;
  return WriteGroup(config, groupName, memberText) && config.save();
}

std::vector<std::string> ListPrinterGroups(const wxConfigBase& config) {
  std::vector<std::string> names;
  // Enumeration needs the path changed; it is put back before returning.
  auto& store = const_cast<wxConfigBase&>(config);
  const wxString previous = store.GetPath();
  store.SetPath(cfgkey::kPrinterGroups);
  wxString name;
  long cookie = 0;
  for (bool more = store.GetFirstEntry(name, cookie); more; more = store.GetNextEntry(name, cookie)) {
    names.push_back(fromWx(name));
  }
  store.SetPath(previous);
  return names;
}

std::vector<std::string> ListPrinterGroups() {
  AppFileConfig config;
  return ListPrinterGroups(config);
}

bool DeletePrinterGroup(wxConfigBase& config, const std::string& groupName) {
  const wxString previous = config.GetPath();
  config.SetPath(cfgkey::kPrinterGroups);
  const bool deleted = config.DeleteEntry(toWx(groupName), true);
  config.SetPath(previous);
  return deleted && writable(config);
}

bool DeletePrinterGroup(const std::string& groupName) {
  AppFileConfig config;
  return DeletePrinterGroup(config, groupName) && config.save();
}

std::string BuildMemberText(const std::vector<std::string>& checkedPrinters) {
  std::string text;
  for (const std::string& name : UniqueMembers(checkedPrinters)) {
    if (!text.empty()) text += ',';
    text += name;
  }
  return text;
}

GroupNameCheck CheckNewGroupName(std::string_view entered, const std::vector<std::string>& existingGroups,
                                 const std::function<bool(const std::string&)>& isInstalledPrinter) {
  GroupNameCheck check;
  std::size_t end = entered.size();
  while (end > 0 && isTrailingSpace(entered[end - 1])) --end;
  check.name = std::string(entered.substr(0, end));
  auto refuse = [&check](GroupNameCheck::Verdict verdict, std::string message) {
    check.verdict = verdict;
    check.message = fromWx(wxGetTranslation(toWx(message)));
    return check;
  };
  if (check.name.empty()) {
    check.verdict = GroupNameCheck::Verdict::Empty;
    return check;
  }
  if (check.name.size() > kMaxGroupNameLength) return refuse(GroupNameCheck::Verdict::TooLong, kGroupNameTooLongMessage);
  if (isInstalledPrinter(check.name))
    return refuse(GroupNameCheck::Verdict::PrinterName, kGroupIsPrinterMessage + check.name);
  for (const std::string& group : existingGroups) {
    if (equalsNoCase(group, check.name))
      return refuse(GroupNameCheck::Verdict::AlreadyExists, kGroupExistsMessage + check.name);
  }
  for (char c : check.name) {
    if (!isNameCharacter(static_cast<unsigned char>(c)))
      return refuse(GroupNameCheck::Verdict::BadCharacter, kGroupNameCharactersMessage);
  }
  check.verdict = GroupNameCheck::Verdict::Accepted;
  return check;
}

bool WriteGroupsDialogState(wxConfigBase& config, const std::vector<std::string>& groupNames, long width,
                            long height) {
  std::string joined;
  for (const std::string& name : groupNames) {
    if (!joined.empty()) joined += ',';
    joined += name;
  }
  const bool written = config.Write(toWx(std::string("/") + cfgkey::kGroupNames), toWx(joined)) &&
                       config.Write(toWx(std::string("/") + cfgkey::kGroupsDialogWidth), width) &&
                       config.Write(toWx(std::string("/") + cfgkey::kGroupsDialogHeight), height);
  return written && writable(config);
}

bool ReadGroupsDialogSize(const wxConfigBase& config, long& width, long& height) {
  long w = 0;
  long h = 0;
  if (!config.Read(toWx(std::string("/") + cfgkey::kGroupsDialogWidth), &w) ||
      !config.Read(toWx(std::string("/") + cfgkey::kGroupsDialogHeight), &h))
    return false;
  width = w;
  height = h;
  return true;
}

std::vector<std::string> BuildDestinationList(const std::vector<std::string>& printers,
                                              const std::vector<std::string>& groups) {
  std::vector<std::string> entries(printers.begin(), printers.end());
  for (const std::string& group : groups) {
    if (entries.size() >= kMaxPrinters) break;
    const std::string entry = kGroupMarker + group;
    bool skip = false;
    for (const std::string& existing : entries) {
      if (equalsNoCase(existing, group) || existing == entry) {
        skip = true;
        break;
      }
    }
    if (!skip) entries.push_back(entry);
  }
  return entries;
}

std::vector<std::string> BuildDestinationList(const std::vector<std::string>& printers,
                                              const std::vector<std::string>& groups,
                                              const std::vector<std::string>& directPrinters) {
  std::vector<std::string> entries = BuildDestinationList(printers, groups);
  for (const std::string& direct : directPrinters) {
    if (entries.size() >= kMaxPrinters) break;
    bool skip = false;
    for (const std::string& existing : entries) skip = skip || equalsNoCase(stripGroupMarker(existing), direct);
    if (!skip) entries.push_back(direct);
  }
  return entries;
}

std::string FindSavedDestination(const std::vector<std::string>& list, const std::string& lastPrinter) {
  if (lastPrinter.empty()) return {};
  for (const std::string& entry : list) {
    if (equalsNoCase(entry, lastPrinter)) return entry;
  }
  const std::string groupEntry = kGroupMarker + lastPrinter;
  for (const std::string& entry : list) {
    if (equalsNoCase(entry, groupEntry)) return entry;
  }
  return {};
}

std::vector<std::string> BuildDestinationList(const std::vector<std::string>& printers,
                                              const std::vector<std::string>& serverPrinters,
                                              const std::vector<std::string>& groups,
                                              const std::vector<std::string>& directPrinters) {
  std::vector<std::string> local(printers);
  // The placeholder stands for "no printer at all"; a server's queue is one.
  if (!serverPrinters.empty() && local.size() == 1 && local[0] == noPrintersSentinel()) local.clear();
  for (const std::string& p : serverPrinters)
    if (local.size() < kMaxPrinters) local.push_back(p);
  return BuildDestinationList(local, groups, directPrinters);
}
