#include "delivery/printer_listing.h"

namespace {

constexpr std::uint64_t kMaxCount = std::uint64_t{1} << 63;  // exclusive: sizes stay signed 64-bit
constexpr std::uint64_t kPageBytes = 1024;

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> decodeHex(std::string_view hex) {
  if (hex.empty() || hex.size() % 2 != 0) return std::nullopt;
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexValue(hex[i]);
    const int low = hexValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
  }
  return out;
}

std::optional<std::uint64_t> decimal(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value >= kMaxCount) return std::nullopt;
  return value;
}

// The line's fields after its keyword, split at single blanks.
std::vector<std::string_view> fields(std::string_view rest) {
  std::vector<std::string_view> out;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    out.push_back(rest.substr(0, blank));
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
    if (rest.empty()) out.push_back(rest);  // a trailing blank: an empty field
  }
  return out;
}

// Reads one QM- line into the listing; false when it does not read.
bool readLine(std::string_view line, PrinterListing& listing) {
  if (line == "QM-END") {
    listing.complete = true;
    return true;
  }
  if (line.starts_with("QM-FILE ")) {
    const auto parts = fields(line.substr(8));
    if (parts.size() != 2) return false;
    auto name = decodeHex(parts[0]);
    auto size = decimal(parts[1]);
    if (!name || !size) return false;
    listing.files.push_back({std::move(*name), *size});
    return true;
  }
  if (line.starts_with("QM-DISK ")) {
    const auto parts = fields(line.substr(8));
    if (parts.size() != 2) return false;
    auto freePages = decimal(parts[0]);
    auto totalPages = decimal(parts[1]);
    if (!freePages || !totalPages || *totalPages >= kMaxCount / kPageBytes || *freePages > *totalPages) return false;
    listing.freeBytes = *freePages * kPageBytes;
    listing.totalBytes = *totalPages * kPageBytes;
    return true;
  }
  return false;
}

}  // namespace

PrinterListing parsePrinterListing(std::string_view answer) {
  PrinterListing listing;
  while (!answer.empty() && !listing.complete) {
    std::size_t end = answer.find('\n');
    std::string_view line = answer.substr(0, end);
    answer.remove_prefix(end == std::string_view::npos ? answer.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.starts_with("QM-")) continue;
    if (line.size() > kMaxListingLine || !readLine(line, listing)) ++listing.rejectedLines;
  }
  return listing;
}

std::string printerListingCsv(const PrinterListing& listing) {
  std::string out = "name,size\r\n";
  for (const ListedFile& file : listing.files) {
    out += '"';
    for (char c : file.name) {
      if (c == '"') out += '"';
      out += c;
    }
    out += "\",";
    out += std::to_string(file.size);
    out += "\r\n";
  }
  return out;
}
