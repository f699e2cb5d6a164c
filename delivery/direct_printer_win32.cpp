// The direct address of a Windows queue: the record of its Standard
// TCP/IP port, asked of the port monitor through the spooler's Xcv
// interface (OpenPrinter ",XcvPort NAME", then XcvData "GetConfigInfo").
// Any other port (a local port, a file, another monitor's port) makes the
// call fail at once, which gives nothing.
#include <windows.h>
#include <winspool.h>

#include <array>
#include <cstddef>
#include <span>
#include <string>

#include "delivery/direct_printer.h"
#include "delivery/spooler.h"
#include "delivery/tcp_port_config.h"

namespace {

// MinGW ships no tcpxcv.h: these are the Windows SDK's documented
// CONFIG_INFO_DATA_1 and PORT_DATA_1 (tcpxcv.h), declared here so that the
// compiler's layout can be checked against the offsets the decoder reads.
struct ConfigInfoData1 {
  BYTE Reserved[128];
  DWORD dwVersion;
};
struct PortData1 {
  WCHAR sztPortName[64];
  DWORD dwVersion;
  DWORD dwProtocol;
  DWORD cbSize;
  DWORD dwReserved;
  WCHAR sztHostAddress[49];
  WCHAR sztSNMPCommunity[33];
  DWORD dwDoubleSpool;
  WCHAR sztQueue[33];
  WCHAR sztIPAddress[16];
  BYTE Reserved[540];
  DWORD dwPortNumber;
  DWORD dwSNMPEnabled;
  DWORD dwSNMPDevIndex;
};
static_assert(sizeof(PortData1) == port_data1::kSize);
static_assert(offsetof(PortData1, dwVersion) == port_data1::kVersionOffset);
static_assert(offsetof(PortData1, dwProtocol) == port_data1::kProtocolOffset);
static_assert(offsetof(PortData1, sztHostAddress) == port_data1::kHostAddressOffset);
static_assert(offsetof(PortData1, sztIPAddress) == port_data1::kIpAddressOffset);
static_assert(offsetof(PortData1, dwPortNumber) == port_data1::kPortNumberOffset);
static_assert(std::size(PortData1{}.sztHostAddress) == port_data1::kHostAddressUnits);
static_assert(std::size(PortData1{}.sztIPAddress) == port_data1::kIpAddressUnits);

// An Xcv handle, closed when it goes.
class XcvHandle {
 public:
  // Opens the port's Xcv interface with the access asked for; no defaults
  // leaves it to the spooler (what a user without administrator rights
  // is given).
  XcvHandle(const std::wstring& portName, const ACCESS_MASK* access) {
    std::wstring object = L",XcvPort " + portName;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access != nullptr ? *access : 0};
    if (!OpenPrinterW(object.data(), &handle_, access != nullptr ? &defaults : nullptr)) handle_ = nullptr;
  }
  ~XcvHandle() {
    if (handle_ != nullptr) ClosePrinter(handle_);
  }
  XcvHandle(const XcvHandle&) = delete;
  XcvHandle& operator=(const XcvHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

std::wstring widened(const std::string& text) {
  const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  return wide;
}

enum class Asked { Answered, Denied, Failed };

// One GetConfigInfo call; the record's bytes into the buffer.
Asked askConfig(const std::wstring& portName, const ACCESS_MASK* access, std::array<BYTE, sizeof(PortData1)>& record,
                DWORD& got) {
  XcvHandle xcv(portName, access);
  if (xcv.get() == nullptr) return GetLastError() == ERROR_ACCESS_DENIED ? Asked::Denied : Asked::Failed;
  ConfigInfoData1 input{};
  input.dwVersion = port_data1::kVersion;
  DWORD status = ERROR_SUCCESS;
  got = 0;
  const BOOL called = XcvDataW(xcv.get(), L"GetConfigInfo", reinterpret_cast<BYTE*>(&input), sizeof input,
                               record.data(), static_cast<DWORD>(record.size()), &got, &status);
  if (called && status == ERROR_SUCCESS) return Asked::Answered;
  const DWORD error = called ? status : GetLastError();
  return error == ERROR_ACCESS_DENIED ? Asked::Denied : Asked::Failed;
}

}  // namespace

std::optional<DirectAddress> QueueSocketAddress(const SpoolerQueue& queue) {
  if (!MayBeTcpPortName(queue.port)) return std::nullopt;
  const std::wstring portName = widened(queue.port);
  if (portName.empty()) return std::nullopt;
  std::array<BYTE, sizeof(PortData1)> record{};
  DWORD got = 0;
  Asked asked = askConfig(portName, nullptr, record, got);
  // Some systems give the port's record only to a handle opened for
  // administration; that is tried once, and fails for other users.
  if (asked == Asked::Denied) {
    const ACCESS_MASK administer = SERVER_ACCESS_ADMINISTER;
    asked = askConfig(portName, &administer, record, got);
  }
  if (asked != Asked::Answered) return std::nullopt;
  // The monitor tells how much of the buffer the record needs; one that
  // tells nothing leaves the zeros of the buffer, which are no record.
  const std::size_t size = got == 0 || got > record.size() ? record.size() : got;
  std::optional<TcpPortConfig> config = DecodePortData1(std::span<const unsigned char>(record.data(), size));
  if (!config) return std::nullopt;
  return TcpPortAddress(*config);
}
