#include "delivery/print_servers.h"

namespace {

// Both ipp and ipps (RFC 7472) default to it.
constexpr int kIppPort = 631;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lower(c);
  return out;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && lowerAscii(text.substr(0, prefix.size())) == prefix;
}

// Blanks, control bytes and bytes above ASCII: none belongs in a host,
// queue or address, and each could reach a terminal or a file.
bool hasUnprintable(std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7f) return true;
  }
  return false;
}

ServerCheck refused(std::string message) {
  ServerCheck check;
  check.message = std::move(message);
  return check;
}

// Digits only, 1 to 65535.
bool parsePort(std::string_view text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  long value = 0;
  for (char c : text) {
    if (!isDigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  port = static_cast<int>(value);
  return true;
}

// Labels of letters, digits and "-" (not at either end), at most 63 each,
// joined by "."; a dotted IPv4 address passes as such a name too.
bool isHostName(std::string_view host) {
  if (host.empty()) return false;
  std::size_t start = 0;
  while (start <= host.size()) {
    std::size_t dot = host.find('.', start);
    if (dot == std::string_view::npos) dot = host.size();
    const std::string_view label = host.substr(start, dot - start);
    // A trailing dot (the root) is allowed; an empty label elsewhere is not.
    if (label.empty()) return dot == host.size() && start > 0;
    if (label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
    for (char c : label)
      if (!isLetter(c) && !isDigit(c) && c != '-') return false;
    start = dot + 1;
    if (dot == host.size()) break;
  }
  return true;
}

// Hexadecimal groups and colons, an IPv4 tail allowed; no zone.
bool isIpv6Literal(std::string_view host) {
  if (host.size() < 2 || host.size() > 45) return false;
  int colons = 0;
  for (char c : host) {
    if (c == ':') ++colons;
    else if (!isHexDigit(c) && c != '.') return false;
  }
  return colons >= 2 && colons <= 7;
}

}  // namespace

std::string ServerAddress::text() const {
  std::string out = ipv6 ? "[" + host + "]" : host;
  if (port != 0) out += ":" + std::to_string(port);
  return out;
}

ServerAddress ServerAddress::canonical() const {
  ServerAddress same = *this;
  if (same.port == kIppPort) same.port = 0;
  return same;
}

std::string IppPrinterUri::text() const { return (secure ? "ipps://" : "ipp://") + server.text() + path; }

ServerCheck CheckServerName(std::string_view text) {
  if (text.empty()) return refused("an empty server name");
  if (text.size() > kMaxServerNameLength)
    return refused("a server name longer than " + std::to_string(kMaxServerNameLength) + " characters");
  if (hasUnprintable(text)) return refused("a server name holds blanks, control characters or non-ASCII bytes");
  if (text.find('@') != std::string_view::npos) return refused("a server name holds a user name ('@')");
  if (text.find_first_of("/\\?#") != std::string_view::npos)
    return refused("a server name is a host and an optional port, without a path or scheme");

  ServerAddress address;
  std::string_view rest;
  if (text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return refused("an IPv6 address without its closing ']'");
    if (!isIpv6Literal(text.substr(1, close - 1))) return refused("not an IPv6 address inside '[...]'");
    address.host = lowerAscii(text.substr(1, close - 1));
    address.ipv6 = true;
    rest = text.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return refused("only ':PORT' may follow an IPv6 address");
  } else {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos)
      return refused("an IPv6 address must be written in brackets, as [::1]");
    const std::string_view host = text.substr(0, colon == std::string_view::npos ? text.size() : colon);
    if (!isHostName(host))
      return refused("'" + std::string(host) + "' is not a host name (letters, digits, '-' and '.') or an address");
    address.host = lowerAscii(host);
    if (colon != std::string_view::npos) rest = text.substr(colon);
  }
  if (!rest.empty() && !parsePort(rest.substr(1), address.port))
    return refused("'" + std::string(rest.substr(1)) + "' is not a port (1 to 65535)");
  ServerCheck check;
  check.address = std::move(address);
  return check;
}

bool isNetworkDestination(std::string_view destination) {
  return destination.find('@') != std::string_view::npos || startsWithNoCase(destination, "ipp://") ||
         startsWithNoCase(destination, "ipps://");
}

namespace {

std::string remoteQueueProblem(std::string_view destination, RemoteQueue* parsed) {
  const std::size_t at = destination.rfind('@');
  const std::string_view queue = destination.substr(0, at);
  if (queue.empty()) return "no queue name before '@' in '" + std::string(destination) + "'";
  if (queue.size() > kMaxQueueNameLength)
    return "a queue name longer than " + std::to_string(kMaxQueueNameLength) + " characters";
  // The characters a scheduler refuses in queue names, and "@" itself.
  if (hasUnprintable(queue) || queue.find_first_of("/\\#?'\"@,") != std::string_view::npos)
    return "the queue name before '@' holds characters a queue name cannot have";
  // "." and ".." would name another resource in the queue's address.
  if (queue.find_first_not_of('.') == std::string_view::npos)
    return "a queue name cannot be made of dots only";
  ServerCheck server = CheckServerName(destination.substr(at + 1));
  if (!server.accepted()) return server.message;
  if (parsed != nullptr) *parsed = RemoteQueue{std::string(queue), *server.address};
  return {};
}

std::string ippUriProblem(std::string_view destination, IppPrinterUri* parsed) {
  if (destination.size() > kMaxPrinterUriLength)
    return "a printer address longer than " + std::to_string(kMaxPrinterUriLength) + " characters";
  if (hasUnprintable(destination)) return "a printer address holds blanks, control characters or non-ASCII bytes";
  IppPrinterUri uri;
  uri.secure = startsWithNoCase(destination, "ipps://");
  std::string_view rest = destination.substr(uri.secure ? 7 : 6);
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return "a printer address needs a path, as ipp://HOST/ipp/print";
  ServerCheck server = CheckServerName(rest.substr(0, slash));
  if (!server.accepted()) return server.message;
  uri.server = *server.address;
  uri.path = std::string(rest.substr(slash));
  if (uri.path.find_first_of("\\#\"'<>`|,") != std::string::npos)
    return "the printer address's path holds characters an address cannot have";
  if (parsed != nullptr) *parsed = std::move(uri);
  return {};
}

bool isIppForm(std::string_view destination) {
  return startsWithNoCase(destination, "ipp://") || startsWithNoCase(destination, "ipps://");
}

}  // namespace

std::optional<RemoteQueue> ParseRemoteQueue(std::string_view destination) {
  RemoteQueue queue;
  if (isIppForm(destination) || destination.find('@') == std::string_view::npos ||
      !remoteQueueProblem(destination, &queue).empty())
    return std::nullopt;
  return queue;
}

std::optional<IppPrinterUri> ParseIppPrinterUri(std::string_view destination) {
  IppPrinterUri uri;
  if (!isIppForm(destination) || !ippUriProblem(destination, &uri).empty()) return std::nullopt;
  return uri;
}

std::string CheckNetworkDestination(std::string_view destination) {
  if (isIppForm(destination)) return ippUriProblem(destination, nullptr);
  if (destination.find('@') != std::string_view::npos) return remoteQueueProblem(destination, nullptr);
  return "'" + std::string(destination) + "' is neither QUEUE@HOST[:PORT] nor ipp://HOST[:PORT]/PATH";
}

namespace {

// The queue an address of a scheduler names: "/printers/QUEUE" or
// "/classes/QUEUE", the queue passing the same checks as in QUEUE@HOST.
std::optional<std::string> schedulerQueue(const IppPrinterUri& uri) {
  for (std::string_view folder : {"/printers/", "/classes/"}) {
    if (!uri.path.starts_with(folder)) continue;
    const std::string queue = uri.path.substr(folder.size());
    if (remoteQueueProblem(queue + "@" + uri.server.text(), nullptr).empty()) return queue;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CanonicalNetworkDestination(std::string_view destination) {
  if (std::optional<RemoteQueue> queue = ParseRemoteQueue(destination))
    return queue->queue + "@" + queue->server.canonical().text();
  std::optional<IppPrinterUri> uri = ParseIppPrinterUri(destination);
  if (!uri) return std::nullopt;
  uri->server = uri->server.canonical();
  if (std::optional<std::string> queue = schedulerQueue(*uri)) return *queue + "@" + uri->server.text();
  return uri->text();
}

std::optional<ServerAddress> DestinationServer(std::string_view destination) {
  if (std::optional<RemoteQueue> queue = ParseRemoteQueue(destination)) return queue->server.canonical();
  if (std::optional<IppPrinterUri> uri = ParseIppPrinterUri(destination)) return uri->server.canonical();
  return std::nullopt;
}
