#include "delivery/direct_printer.h"

#include <wx/config.h>

#include "delivery/app_config.h"
#include "delivery/spooler.h"

namespace {

constexpr std::size_t kMaxLabelLength = 63;
constexpr char kAddressExample[] = " (for example socket://printer.example.com:9100)";

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

AddressCheck refused(std::string message) {
  AddressCheck check;
  check.message = std::move(message);
  return check;
}

// A DNS name or an IPv4 address: labels of letters, digits and "-", not
// starting or ending with "-".
bool isHostName(std::string_view host) {
  std::size_t start = 0;
  while (start <= host.size()) {
    std::size_t dot = host.find('.', start);
    if (dot == std::string_view::npos) dot = host.size();
    const std::string_view label = host.substr(start, dot - start);
    if (label.empty() || label.size() > kMaxLabelLength || label.front() == '-' || label.back() == '-') return false;
    for (char c : label)
      if (!isLetter(c) && !isDigit(c) && c != '-') return false;
    start = dot + 1;
  }
  return true;
}

bool isIpv6(std::string_view host) {
  std::size_t colons = 0;
  for (char c : host) {
    if (c == ':')
      ++colons;
    else if (!isHexDigit(c) && c != '.')
      return false;
  }
  return colons >= 2 && host.size() <= 45;
}

bool parsePort(std::string_view text, std::uint16_t& port) {
  if (text.empty() || text.size() > 5) return false;
  long value = 0;
  for (char c : text) {
    if (!isDigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

wxString directKey(const std::string& name) { return toWx(std::string(cfgkey::kDirectPrinters) + "/" + name); }

bool writable(const wxConfigBase& config) {
  const auto* file = dynamic_cast<const QmConfigFile*>(&config);
  return file == nullptr || file->exists();
}

bool isNameCharacter(char c) { return isLetter(c) || isDigit(c) || c == '_' || c == '-' || c == '.'; }

}  // namespace

std::string DirectAddress::uri() const {
  const bool ipv6 = host.find(':') != std::string::npos;
  return std::string(kSocketScheme) + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool isSocketUri(std::string_view text) {
  const std::string_view scheme = kSocketScheme;
  return text.size() >= scheme.size() && equalsNoCase(text.substr(0, scheme.size()), scheme);
}

AddressCheck ParseSocketUri(std::string_view text) {
  if (!isSocketUri(text))
    return refused(std::string("The printer address must begin with socket://") + kAddressExample + ".");
  std::string_view rest = text.substr(std::string_view(kSocketScheme).size());
  for (char c : rest) {
    const auto byte = static_cast<unsigned char>(c);
    if (isBlank(c) || byte < 0x20 || byte >= 0x7F)
      return refused("The printer address may not hold blanks, control characters or characters other than ASCII.");
  }
  if (rest.ends_with('/')) rest.remove_suffix(1);
  if (rest.find('@') != std::string_view::npos) return refused("The printer address may not hold a user name (\"@\").");
  if (rest.find_first_of("/?#") != std::string_view::npos)
    return refused("The printer address may not hold a path, query or fragment (\"/\", \"?\", \"#\").");
  if (rest.empty() || rest.front() == ':')
    return refused(std::string("The printer address has no host name") + kAddressExample + ".");

  DirectAddress address;
  std::string_view host = rest;
  std::string_view port;
  bool hasPort = false;
  if (rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) return refused("The IPv6 address of the printer lacks its closing \"]\".");
    host = rest.substr(1, close - 1);
    if (!isIpv6(host)) return refused("The host of the printer address is not an IPv6 address.");
    const std::string_view after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return refused("Only a port (\":PORT\") may follow the IPv6 address.");
      port = after.substr(1);
      hasPort = true;
    }
  } else {
    const std::size_t colon = rest.find(':');
    if (colon != std::string_view::npos) {
      host = rest.substr(0, colon);
      port = rest.substr(colon + 1);
      hasPort = true;
    }
    if (host.size() > kMaxDirectHostLength)
      return refused("The host name of the printer is longer than 253 characters.");
    if (!isHostName(host))
      return refused(
          "The host name of the printer may only hold letters, digits, \"-\" and \".\" (as "
          "printer.example.com or 192.0.2.7).");
  }
  if (hasPort && !parsePort(port, address.port))
    return refused("The port of the printer must be a number from 1 to 65535.");
  address.host = std::string(host);
  AddressCheck check;
  check.address = address;
  return check;
}

DirectNameCheck CheckDirectPrinterName(std::string_view entered, const std::vector<std::string>& existingDirect,
                                       const std::vector<std::string>& groups,
                                       const std::function<bool(const std::string&)>& isInstalledPrinter) {
  DirectNameCheck check;
  std::size_t begin = 0, end = entered.size();
  while (begin < end && isBlank(entered[begin])) ++begin;
  while (end > begin && isBlank(entered[end - 1])) --end;
  check.name = std::string(entered.substr(begin, end - begin));
  auto refuse = [&check](DirectNameCheck::Verdict verdict, std::string message) {
    check.verdict = verdict;
    check.message = std::move(message);
    return check;
  };
  if (check.name.empty()) return check;
  if (check.name.size() > kMaxDirectNameLength)
    return refuse(DirectNameCheck::Verdict::TooLong, "Please limit the direct printer name to at most 64 characters.");
  for (char c : check.name) {
    if (!isNameCharacter(c))
      return refuse(DirectNameCheck::Verdict::BadCharacter,
                    "A direct printer name may only hold letters, digits, \"_\", \"-\" and \".\".");
  }
  if (!isLetter(check.name.front()) && !isDigit(check.name.front()))
    return refuse(DirectNameCheck::Verdict::BadCharacter, "A direct printer name begins with a letter or a digit.");
  if (isInstalledPrinter && isInstalledPrinter(check.name))
    return refuse(DirectNameCheck::Verdict::PrinterName,
                  "A direct printer name cannot be the same as a printer name.\n\n" + check.name);
  for (const std::string& group : groups) {
    if (equalsNoCase(group, check.name))
      return refuse(DirectNameCheck::Verdict::GroupName,
                    "A direct printer name cannot be the same as a printer group name.\n\n" + check.name);
  }
  for (const std::string& direct : existingDirect) {
    if (equalsNoCase(direct, check.name))
      return refuse(DirectNameCheck::Verdict::AlreadyExists, "The direct printer already exists.\n\n" + check.name);
  }
  check.verdict = DirectNameCheck::Verdict::Accepted;
  return check;
}

std::vector<std::string> ListDirectPrinters(const wxConfigBase& config) {
  std::vector<std::string> names;
  // Enumeration needs the path changed; it is put back before returning.
  auto& store = const_cast<wxConfigBase&>(config);
  const wxString previous = store.GetPath();
  store.SetPath(cfgkey::kDirectPrinters);
  wxString name;
  long cookie = 0;
  for (bool more = store.GetFirstEntry(name, cookie); more; more = store.GetNextEntry(name, cookie))
    names.push_back(fromWx(name));
  store.SetPath(previous);
  return names;
}

std::vector<std::string> ListDirectPrinters() {
  AppFileConfig config;
  return ListDirectPrinters(config);
}

std::string FindDirectPrinter(const wxConfigBase& config, const std::string& name) {
  const std::vector<std::string> names = ListDirectPrinters(config);
  for (const std::string& kept : names)
    if (kept == name) return kept;
  for (const std::string& kept : names)
    if (equalsNoCase(kept, name)) return kept;
  return {};
}

std::optional<DirectAddress> ReadDirectPrinter(const wxConfigBase& config, const std::string& name) {
  const std::string kept = FindDirectPrinter(config, name);
  wxString value;
  if (kept.empty() || !config.Read(directKey(kept), &value)) return std::nullopt;
  // The file may have been edited by hand: its address is checked as typed.
  return ParseSocketUri(fromWx(value)).address;
}

std::optional<DirectAddress> ReadDirectPrinter(const std::string& name) {
  AppFileConfig config;
  return ReadDirectPrinter(config, name);
}

bool WriteDirectPrinter(wxConfigBase& config, const std::string& name, const DirectAddress& address) {
  const DirectNameCheck check = CheckDirectPrinterName(name, {}, {}, {});
  if (!check.accepted() || check.name != name) return false;
  return config.Write(directKey(name), toWx(address.uri())) && writable(config);
}

bool WriteDirectPrinter(const std::string& name, const DirectAddress& address) {
  AppFileConfig config;
  return WriteDirectPrinter(config, name, address) && config.save();
}

bool DeleteDirectPrinter(wxConfigBase& config, const std::string& name) {
  const std::string kept = FindDirectPrinter(config, name);
  if (kept.empty()) return false;
  const wxString previous = config.GetPath();
  config.SetPath(cfgkey::kDirectPrinters);
  const bool deleted = config.DeleteEntry(toWx(kept), true);
  config.SetPath(previous);
  return deleted && writable(config);
}

bool DeleteDirectPrinter(const std::string& name) {
  AppFileConfig config;
  return DeleteDirectPrinter(config, name) && config.save();
}

DirectSettings ReadDirectSettings(const wxConfigBase& config) {
  DirectSettings settings;
  double seconds = 0;
  if (config.Read(toWx(std::string("/") + cfgkey::kDirectTimeout), &seconds) && seconds >= 0.05 && seconds <= 3600)
    settings.idleLimit = std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
  long cap = 0;
  if (config.Read(toWx(std::string("/") + cfgkey::kDirectAnswerCap), &cap) && cap >= 1024 && cap <= (256L << 20))
    settings.answerCap = static_cast<std::size_t>(cap);
  bool twoWay = false;
  if (config.Read(toWx(std::string("/") + cfgkey::kTwoWayQueues), &twoWay)) settings.twoWayQueues = twoWay;
  return settings;
}

std::optional<DirectAddress> SpoolerQueueSocketAddress(const std::string& queueName) {
  for (const SpoolerQueue& queue : ListSpoolerQueues())
    if (equalsNoCase(queue.name, queueName)) return QueueSocketAddress(queue);
  return std::nullopt;
}
