#include "cli/cli_listing.h"

#include <algorithm>
#include <cstdint>

#include "cli/cli_escape.h"
#include "cli/cli_json.h"

namespace {

// The sum, held at 2^63 - 1: the sizes are the printer's word.
std::uint64_t totalSize(const PrinterListing& listing) {
  constexpr std::uint64_t kLimit = (std::uint64_t{1} << 63) - 1;
  std::uint64_t total = 0;
  for (const ListedFile& file : listing.files) total = file.size > kLimit - total ? kLimit : total + file.size;
  return total;
}

std::string hexOf(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

}  // namespace

std::string listingTable(const PrinterListing& listing) {
  std::size_t width = 4;  // "SIZE"
  for (const ListedFile& file : listing.files) width = std::max(width, std::to_string(file.size).size());
  auto padded = [&](const std::string& text) { return std::string(width - text.size(), ' ') + text; };
  std::string out = padded("SIZE") + "  NAME\n";
  for (const ListedFile& file : listing.files) out += padded(std::to_string(file.size)) + "  " + cliShowable(file.name) + "\n";
  out += std::to_string(listing.files.size()) + (listing.files.size() == 1 ? " file, " : " files, ") +
         std::to_string(totalSize(listing)) + " bytes";
  if (listing.freeBytes && listing.totalBytes) {
    out += "; disk: " + std::to_string(*listing.freeBytes) + " of " + std::to_string(*listing.totalBytes) +
           " bytes free";
  }
  out += "\n";
  if (!listing.complete) out += "The listing is incomplete: the printer's answer ended before the listing did.\n";
  if (listing.rejectedLines > 0) {
    out += std::to_string(listing.rejectedLines) + " listing line(s) of the answer could not be read.\n";
  }
  return out;
}

std::string listingJson(const PrinterListing& listing) {
  JsonWriter json;
  json.beginObject().key("files").beginArray();
  for (const ListedFile& file : listing.files) {
    json.beginObject()
        .key("name").value(file.name)
        .key("hex").value(hexOf(file.name))
        .key("size").value(static_cast<std::int64_t>(file.size))
        .endObject();
  }
  json.endArray();
  json.key("fileCount").value(static_cast<std::int64_t>(listing.files.size()));
  json.key("bytes").value(static_cast<std::int64_t>(totalSize(listing)));
  if (listing.freeBytes && listing.totalBytes) {
    json.key("freeBytes").value(static_cast<std::int64_t>(*listing.freeBytes));
    json.key("totalBytes").value(static_cast<std::int64_t>(*listing.totalBytes));
  }
  json.key("complete").value(listing.complete);
  json.key("rejectedLines").value(static_cast<std::int64_t>(listing.rejectedLines));
  return json.endObject().str();
}
