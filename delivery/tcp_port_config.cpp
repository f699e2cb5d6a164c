#include "delivery/tcp_port_config.h"

namespace {

std::uint32_t readDword(std::span<const unsigned char> record, std::size_t offset) {
  return static_cast<std::uint32_t>(record[offset]) | static_cast<std::uint32_t>(record[offset + 1]) << 8 |
         static_cast<std::uint32_t>(record[offset + 2]) << 16 | static_cast<std::uint32_t>(record[offset + 3]) << 24;
}

// The string of a fixed WCHAR field, up to its terminator; nothing when
// the field has none.
std::optional<std::u16string> readWide(std::span<const unsigned char> record, std::size_t offset, std::size_t units) {
  std::u16string text;
  for (std::size_t i = 0; i < units; ++i) {
    const std::size_t at = offset + 2 * i;
    const auto unit = static_cast<char16_t>(record[at] | record[at + 1] << 8);
    if (unit == 0) return text;
    text.push_back(unit);
  }
  return std::nullopt;
}

// The host as the address checks see it: only ASCII passes through, any
// other unit becomes a byte the checks refuse.
std::string narrowed(const std::u16string& wide) {
  std::string text;
  text.reserve(wide.size());
  for (char16_t unit : wide) text.push_back(unit < 0x80 ? static_cast<char>(unit) : '\x7F');
  return text;
}

}  // namespace

std::optional<TcpPortConfig> DecodePortData1(std::span<const unsigned char> record) {
  using namespace port_data1;
  if (record.size() < kSize || readDword(record, kVersionOffset) != kVersion) return std::nullopt;
  std::optional<std::u16string> host = readWide(record, kHostAddressOffset, kHostAddressUnits);
  std::optional<std::u16string> ip = readWide(record, kIpAddressOffset, kIpAddressUnits);
  if (!host || !ip) return std::nullopt;
  TcpPortConfig config;
  config.protocol = static_cast<TcpPortProtocol>(readDword(record, kProtocolOffset));
  config.hostAddress = std::move(*host);
  config.ipAddress = std::move(*ip);
  config.portNumber = readDword(record, kPortNumberOffset);
  return config;
}

std::optional<DirectAddress> TcpPortAddress(const TcpPortConfig& config) {
  if (config.protocol != TcpPortProtocol::Raw || config.portNumber > 65535) return std::nullopt;
  const std::string host = narrowed(config.hostAddress.empty() ? config.ipAddress : config.hostAddress);
  if (host.empty()) return std::nullopt;
  const std::uint32_t port = config.portNumber == 0 ? kDefaultDirectPort : config.portNumber;
  // Put together as it would be typed, so that it meets every check of a
  // typed address; a ":" in the host can only be an IPv6 address.
  const bool ipv6 = host.find(':') != std::string::npos;
  const std::string typed =
      std::string(kSocketScheme) + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
  return ParseSocketUri(typed).address;
}

bool MayBeTcpPortName(std::string_view portName) {
  if (portName.empty() || portName.size() >= port_data1::kPortNameUnits) return false;
  for (char c : portName) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == ',') return false;
  }
  return true;
}
