// Printers reached directly on their raw port ("socket://HOST[:PORT]",
// port 9100 when none is given) rather than through the spooler, and the
// direct printers kept in the configuration file.
//
// A direct printer is an entry under "/direct-printers": its name, and its
// address as "socket://HOST:PORT". Addresses are checked before they are
// kept or used: a host name of letters, digits, "-" and "." (labels of at
// most 63, at most 253 in all), an IPv4 address or an IPv6 address in
// brackets, an optional port 1 to 65535, nothing else (no user, path,
// query, blanks or control characters). Names follow the rules of printer
// names (see CheckDirectPrinterName). The functions without a
// configuration argument open the configuration file for the one call; the
// checks return the message for the place the text was typed and show
// nothing.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class wxConfigBase;
struct SpoolerQueue;

namespace cfgkey {
inline constexpr char kDirectPrinters[] = "/direct-printers";   // group of direct printers
inline constexpr char kDirectTimeout[] = "directTimeout";       // seconds (decimals allowed)
inline constexpr char kDirectAnswerCap[] = "directAnswerCap";   // bytes of an answer kept
inline constexpr char kTwoWayQueues[] = "twoWaySpoolerQueues";  // bool: socket queues sent direct
inline constexpr double kDefaultDirectTimeout = 30.0;
inline constexpr long kDefaultDirectAnswerCap = 1L << 20;
inline constexpr bool kDefaultTwoWayQueues = false;
}  // namespace cfgkey

inline constexpr char kSocketScheme[] = "socket://";
inline constexpr std::uint16_t kDefaultDirectPort = 9100;
inline constexpr std::size_t kMaxDirectHostLength = 253;
inline constexpr std::size_t kMaxDirectNameLength = 64;

struct DirectAddress {
  std::string host;  // as typed; an IPv6 address without its brackets
  std::uint16_t port = kDefaultDirectPort;
  // "socket://HOST:PORT", the form kept in the configuration.
  std::string uri() const;
};

// The outcome of checking a typed address.
struct AddressCheck {
  std::optional<DirectAddress> address;
  std::string message;  // why it is refused; empty when accepted
  bool accepted() const { return address.has_value(); }
};

// True when the text begins with "socket://" (letter case ignored): it is
// meant as an address, and refused if it is not a good one.
bool isSocketUri(std::string_view text);
// Checks "socket://HOST[:PORT]" by the rules above; one trailing "/" is
// taken as nothing.
AddressCheck ParseSocketUri(std::string_view text);

// The outcome of checking a name for a new direct printer.
struct DirectNameCheck {
  enum class Verdict { Accepted, Empty, TooLong, BadCharacter, PrinterName, GroupName, AlreadyExists };
  Verdict verdict = Verdict::Empty;
  std::string name;     // the entered text without surrounding blanks
  std::string message;  // the user's message; empty when accepted
  bool accepted() const { return verdict == Verdict::Accepted; }
};

// A name of 1 to 64 characters: letters, digits, "_", "-" and ".", the
// first a letter or a digit (so that it cannot be taken for an address, a
// group or an option); not the name of a spooler printer (isInstalledPrinter
// decides), of a group or of another direct printer, letter case ignored.
DirectNameCheck CheckDirectPrinterName(std::string_view entered, const std::vector<std::string>& existingDirect,
                                       const std::vector<std::string>& groups,
                                       const std::function<bool(const std::string&)>& isInstalledPrinter);

// The kept direct printers, in the order the store enumerates them.
std::vector<std::string> ListDirectPrinters(const wxConfigBase& config);
std::vector<std::string> ListDirectPrinters();
// The address of the direct printer of that name (letter case ignored);
// nothing when there is none or its kept address does not pass the checks.
std::optional<DirectAddress> ReadDirectPrinter(const wxConfigBase& config, const std::string& name);
std::optional<DirectAddress> ReadDirectPrinter(const std::string& name);
// The kept spelling of a direct printer's name, or empty.
std::string FindDirectPrinter(const wxConfigBase& config, const std::string& name);
// Keeps (or replaces) a direct printer. False when the name is not an
// accepted one, or the file is missing or cannot be written.
bool WriteDirectPrinter(wxConfigBase& config, const std::string& name, const DirectAddress& address);
bool WriteDirectPrinter(const std::string& name, const DirectAddress& address);
// Removes a direct printer (the section goes when it becomes empty). False
// when it did not exist or the file cannot be written.
bool DeleteDirectPrinter(wxConfigBase& config, const std::string& name);
bool DeleteDirectPrinter(const std::string& name);

// How direct sending behaves, from the configuration.
struct DirectSettings {
  // How long the printer may take no data, or say nothing, before the
  // connection is given up; also the limit for connecting.
  std::chrono::milliseconds idleLimit{static_cast<long long>(cfgkey::kDefaultDirectTimeout * 1000)};
  // Bytes of an answer kept; the rest is counted.
  std::size_t answerCap = static_cast<std::size_t>(cfgkey::kDefaultDirectAnswerCap);
  // Whether spooler queues whose device is socket:// are offered as
  // two-way (sent direct).
  bool twoWayQueues = cfgkey::kDefaultTwoWayQueues;
};
// The settings; a missing, unreadable or out-of-range value (a timeout
// outside 0.05 to 3600 s, a cap outside 1 KiB to 256 MiB) gives the default.
DirectSettings ReadDirectSettings(const wxConfigBase& config);

// The direct address of a spooler queue whose printer is reached on its
// raw port. CUPS (direct_printer_cups.cpp): the device-uri is
// "socket://HOST[:PORT]" (options after "?" are the spooler's own and
// dropped). Windows (direct_printer_win32.cpp): the queue's one port is a
// Standard TCP/IP port in RAW mode; its port monitor is asked for the
// port's record, read as tcp_port_config.h says. Nothing for any other
// queue, or when the spooler does not answer.
std::optional<DirectAddress> QueueSocketAddress(const SpoolerQueue& queue);
// The same for the system spooler's queue of that name (letter case
// ignored); nothing when there is no such queue.
std::optional<DirectAddress> SpoolerQueueSocketAddress(const std::string& queueName);
