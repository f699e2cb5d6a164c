#include "tools/printer_sim/disk_names.h"

namespace {

bool keptAsIs(unsigned char c, bool first) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  if (c == '.') return !first;
  return c == '_' || c == '-' || c == '+' || c == ',' || c == '=' || c == '@' || c == '#' || c == '~';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string encodeDiskName(std::string_view printerName) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(printerName.size() * 3);
  for (std::size_t i = 0; i < printerName.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(printerName[i]);
    if (keptAsIs(c, i == 0)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

std::optional<std::string> decodeDiskName(std::string_view hostName) {
  std::string out;
  out.reserve(hostName.size());
  for (std::size_t i = 0; i < hostName.size(); ++i) {
    if (hostName[i] != '%') {
      out += hostName[i];
      continue;
    }
    if (i + 2 >= hostName.size()) return std::nullopt;
    int high = hexValue(hostName[i + 1]);
    int low = hexValue(hostName[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}
