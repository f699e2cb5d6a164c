// Further print servers and destinations on the network.
//
// The configuration keeps the servers whose queues are offered beside the
// local ones: the key "servers" in the group "/print-servers", its value the
// server names joined by "," in the order they were added. A server is
// written "host" or "host:port" (port 1 to 65535, the IPP port when left
// out); host is a DNS name, an IPv4 address, or an IPv6 address in
// brackets ("[::1]:631"). Every name is checked before it is stored or
// used: blanks, control bytes, user names ("user@"), paths and anything
// else a host name cannot hold are refused with the user's message.
//
// Network destinations are written as the scheduler's own browsing names
// them, "QUEUE@HOST" or "QUEUE@HOST:PORT" (a queue of another scheduler),
// or as a printer's address "ipp://HOST[:PORT]/PATH" or "ipps://..." (a
// printer reached without any scheduler). Nothing here opens a connection.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class wxConfigBase;

inline constexpr char kPrintServersGroup[] = "print-servers";
inline constexpr char kPrintServersKey[] = "servers";
inline constexpr std::size_t kMaxServerNameLength = 255;
inline constexpr std::size_t kMaxQueueNameLength = 127;
inline constexpr std::size_t kMaxPrinterUriLength = 1024;

// A server's host and port as checked; port 0 stands for the IPP port.
struct ServerAddress {
  std::string host;  // without brackets; DNS names in lower case
  int port = 0;
  bool ipv6 = false;
  // As written in destinations and the configuration: "host", "host:port",
  // "[v6]" or "[v6]:port".
  std::string text() const;
  // The same server with the IPP port (631) written as the default.
  ServerAddress canonical() const;
};

// The outcome of checking a server name; message is the user's one-line
// reason when refused.
struct ServerCheck {
  std::optional<ServerAddress> address;
  std::string message;
  bool accepted() const { return address.has_value(); }
};
ServerCheck CheckServerName(std::string_view text);

// A queue of another scheduler: "QUEUE@HOST[:PORT]".
struct RemoteQueue {
  std::string queue;
  ServerAddress server;
};

// A printer reached directly: "ipp://HOST[:PORT]/PATH" or "ipps://...".
struct IppPrinterUri {
  bool secure = false;  // ipps
  ServerAddress server;
  std::string path;  // from the first "/"
  std::string text() const;
};

// True when the destination is meant for the network (holds "@", or starts
// with ipp:// or ipps://, letter case ignored); such a name is never a
// local queue's.
bool isNetworkDestination(std::string_view destination);

// The parts of a network destination; nothing when it is not one of the
// forms above or does not pass the checks (CheckNetworkDestination says
// why).
std::optional<RemoteQueue> ParseRemoteQueue(std::string_view destination);
std::optional<IppPrinterUri> ParseIppPrinterUri(std::string_view destination);
// Empty when the network destination is well formed; else the reason.
std::string CheckNetworkDestination(std::string_view destination);

// One spelling for each printer of the network, so that two spellings of
// one printer compare equal: host names in lower case, the IPP port left
// out, and a scheduler's queue written "QUEUE@HOST[:PORT]" also when it is
// given as its address ("ipp://HOST[:PORT]/printers/QUEUE", "/classes/",
// or ipps://). Decided from the text alone, without asking DNS: "localhost"
// and "127.0.0.1" stay two servers. Nothing when the destination is not a
// well-formed network destination. Queue names keep their letter case;
// callers compare without regard to it, as the scheduler does.
std::optional<std::string> CanonicalNetworkDestination(std::string_view destination);
// The server of a well-formed network destination, canonical().
std::optional<ServerAddress> DestinationServer(std::string_view destination);

// The stored servers, in stored order, each once (letter case of host
// names ignored); entries that do not pass CheckServerName are skipped.
std::vector<ServerAddress> ReadPrintServers(const wxConfigBase& config);
std::vector<ServerAddress> ReadPrintServers();
// Stores the list (replacing it); false when the file cannot be written.
bool WritePrintServers(wxConfigBase& config, const std::vector<ServerAddress>& servers);
