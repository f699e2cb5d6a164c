#include "delivery/tcp_port_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace port_data1;

// A record as a port monitor would write it, field by field.
struct Record {
  std::vector<unsigned char> bytes = std::vector<unsigned char>(kSize, 0);

  Record() {
    dword(kVersionOffset, kVersion);
    dword(kProtocolOffset, 1);
  }
  Record& dword(std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    return *this;
  }
  // The text's units from the offset, then a terminator when it fits in
  // the field.
  Record& wide(std::size_t offset, std::size_t units, const std::u16string& text) {
    for (std::size_t i = 0; i < units; ++i) {
      const char16_t unit = i < text.size() ? text[i] : u'\0';
      bytes[offset + 2 * i] = static_cast<unsigned char>(unit & 0xFF);
      bytes[offset + 2 * i + 1] = static_cast<unsigned char>(unit >> 8);
    }
    return *this;
  }
  Record& host(const std::u16string& text) { return wide(kHostAddressOffset, kHostAddressUnits, text); }
  Record& ip(const std::u16string& text) { return wide(kIpAddressOffset, kIpAddressUnits, text); }
  Record& port(std::uint32_t number) { return dword(kPortNumberOffset, number); }
  std::optional<TcpPortConfig> decoded() const { return DecodePortData1(bytes); }
};

std::string uriOf(const std::optional<DirectAddress>& address) { return address ? address->uri() : "nothing"; }

TEST(TcpPortAddress, RawPortsGiveTheirHostElseTheirIpAddress) {
  constexpr auto raw = TcpPortProtocol::Raw;
  struct Case {
    TcpPortProtocol protocol;
    std::u16string host, ip;
    std::uint32_t port;
    const char* uri;
  } cases[] = {
      {raw, u"printer.example.com", u"", 0, "socket://printer.example.com:9100"},
      {raw, u"lab3", u"192.0.2.9", 9101, "socket://lab3:9101"},
      {raw, u"", u"192.0.2.8", 65535, "socket://192.0.2.8:65535"},
      {raw, u"fe80::1", u"", 9100, "socket://[fe80::1]:9100"},
      {raw, u"", u"", 9100, "nothing"},
      {raw, u"p", u"", 65536, "nothing"},
      {TcpPortProtocol::Lpr, u"printer", u"192.0.2.7", 515, "nothing"},
      {static_cast<TcpPortProtocol>(7), u"printer", u"", 9100, "nothing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uri);
    EXPECT_EQ(uriOf(TcpPortAddress({c.protocol, c.host, c.ip, c.port})), c.uri);
  }
}

// The record may have been written by anyone with rights to the spooler:
// its host meets every check of a typed address, and a refused host is not
// replaced by the IP address.
TEST(TcpPortAddress, HostileHostsGiveNothing) {
  const std::u16string hosts[] = {
      u"a;rm -rf ~", u"p\x1b[2J", u"user@p", u"p/x", u"p?q", u"p#f", u"p:9100", u"[::1]", u"::1]:80", u" p",
      u"p\t", u"dru\u00e7ker", u"p\u2024example", u"-p", std::u16string(64, u'a'), u"a..b",
  };
  for (const std::u16string& host : hosts) {
    SCOPED_TRACE(std::string(host.begin(), host.end()));
    EXPECT_FALSE(TcpPortAddress({TcpPortProtocol::Raw, host, u"192.0.2.7", 9100}));
  }
  EXPECT_FALSE(TcpPortAddress({TcpPortProtocol::Raw, u"", u"192.0.2.7;x", 9100}));
}

TEST(PortData1, AWholeRecordIsDecodedByOffset) {
  Record r;
  r.host(u"lab3.example.com").ip(u"192.0.2.9").port(9101);
  std::optional<TcpPortConfig> config = r.decoded();
  ASSERT_TRUE(config);
  EXPECT_EQ(config->protocol, TcpPortProtocol::Raw);
  EXPECT_EQ(config->hostAddress, u"lab3.example.com");
  EXPECT_EQ(config->ipAddress, u"192.0.2.9");
  EXPECT_EQ(config->portNumber, 9101u);
  EXPECT_EQ(uriOf(TcpPortAddress(*config)), "socket://lab3.example.com:9101");

  // The longest host that leaves room for its terminator; what follows a
  // terminator is not part of the field; bytes after the record are not
  // read.
  const std::u16string longest(kHostAddressUnits - 1, u'h');
  r.host(longest).ip(u"10.0.0.1").bytes[kIpAddressOffset + 2 * 9] = 'X';
  r.bytes.resize(kSize + 100, 0xEE);
  config = r.decoded();
  ASSERT_TRUE(config);
  EXPECT_EQ(config->hostAddress, longest);
  EXPECT_EQ(config->ipAddress, u"10.0.0.1");
  EXPECT_EQ(r.dword(kProtocolOffset, 2).decoded()->protocol, TcpPortProtocol::Lpr);
}

TEST(PortData1, DamagedRecordsAreNoRecord) {
  struct Case {
    const char* what;
    Record record;
  } cases[] = {
      {"one byte short", [] { Record r; r.bytes.pop_back(); return r; }()},
      {"empty", [] { Record r; r.bytes.clear(); return r; }()},
      {"version 2", Record().dword(kVersionOffset, 2)},
      {"version 0 (nothing written)", Record().dword(kVersionOffset, 0)},
      {"host fills its field", Record().host(std::u16string(kHostAddressUnits, u'h'))},
      {"IP address fills its field", Record().host(u"p").ip(u"192.168.100.1234")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(c.record.decoded());
  }
}

TEST(TcpPortName, OnlyOneShortPrintableNameIsAskedAbout) {
  struct Case {
    std::string name;
    bool asked;
  } cases[] = {
      {"IP_192.0.2.7", true},
      {std::string(kPortNameUnits - 1, 'p'), true},
      {std::string(kPortNameUnits, 'p'), false},
      {"", false},
      {"IP_192.0.2.7,IP_192.0.2.8", false},
      {"IP\n1", false},
  };
  for (const Case& c : cases) EXPECT_EQ(MayBeTcpPortName(c.name), c.asked) << c.name;
}

}  // namespace
