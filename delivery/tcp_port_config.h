// The printer address behind a Windows "Standard TCP/IP" port, from the
// configuration record its port monitor gives (PORT_DATA_1, asked for with
// the monitor's "GetConfigInfo" call; see direct_printer_win32.cpp).
//
// Only what can be checked without a system lives here, so that it is the
// same on every platform: the record's bytes are decoded by offset
// (little-endian, wide strings as UTF-16 code units), never cast onto a
// struct. The record comes from the system's configuration, which a
// program with rights to the spooler may have written, so it is taken as
// untrusted: a record shorter than its fixed size, of another version, or
// whose host or IP address fills its field without a terminator (the head
// of a longer name could name another host) is no record at all. Only a
// RAW (AppSocket) port has an address: its host address, else its IP
// address, must pass the checks of a typed "socket://" address
// (ParseSocketUri: ASCII letters, digits, "-" and ".", an IPv4 address or
// an IPv6 address), with its port number, 9100 when the record gives 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "delivery/direct_printer.h"

// How the port monitor reaches the printer (dwProtocol).
enum class TcpPortProtocol : std::uint32_t {
  Raw = 1,  // AppSocket: the job is the connection's data
  Lpr = 2,  // the line printer daemon protocol: the printer's queue in between
};

// The fields of a port's record that tell where its printer is.
struct TcpPortConfig {
  TcpPortProtocol protocol = TcpPortProtocol::Raw;
  std::u16string hostAddress;  // sztHostAddress: a host name or an address
  std::u16string ipAddress;    // sztIPAddress
  std::uint32_t portNumber = 0;
};

// The layout of the record, version 1, as the Windows SDK documents it
// (WCHAR arrays of 64, 49, 33, 33 and 16 units, 540 reserved bytes, the
// DWORDs at their natural alignment).
namespace port_data1 {
inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::size_t kPortNameUnits = 64;
inline constexpr std::size_t kHostAddressUnits = 49;
inline constexpr std::size_t kIpAddressUnits = 16;
inline constexpr std::size_t kVersionOffset = 128;
inline constexpr std::size_t kProtocolOffset = 132;
inline constexpr std::size_t kHostAddressOffset = 144;
inline constexpr std::size_t kIpAddressOffset = 378;
inline constexpr std::size_t kPortNumberOffset = 952;
inline constexpr std::size_t kSize = 964;
}  // namespace port_data1

// The fields of a record as the port monitor wrote it; nothing when the
// bytes are not a whole version 1 record (see above). Bytes after the
// record are not looked at.
std::optional<TcpPortConfig> DecodePortData1(std::span<const unsigned char> record);

// The direct address of a port by the rules above; nothing for an LPR or
// unknown protocol, an empty or refused host, or a port past 65535.
std::optional<DirectAddress> TcpPortAddress(const TcpPortConfig& config);

// Whether a queue's port name can name a single TCP/IP port, before the
// spooler is asked: not empty, shorter than the record's name field, no
// control characters, and no "," (a pooled queue lists several ports and
// the spooler chooses among them, so it is never sent around it).
bool MayBeTcpPortName(std::string_view portName);
