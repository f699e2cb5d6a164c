// The listing a printer writes back (parsePrinterListing) and its forms on
// the command line. Whatever the answer: the table and the JSON hold no
// control byte but their own line breaks; the listing written back in the
// printer's own lines reads the same again; an answer without CR reads the
// same with CR LF line ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/cli_listing.h"
#include "delivery/printer_listing.h"
#include "fuzz/fuzz_util.h"

namespace {

std::string asPrinterLines(const PrinterListing& listing) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const ListedFile& file : listing.files) {
    out += "QM-FILE ";
    for (unsigned char c : file.name) {
      out += digits[c >> 4];
      out += digits[c & 15];
    }
    out += " " + std::to_string(file.size) + "\n";
  }
  if (listing.freeBytes && listing.totalBytes) {
    out += "QM-DISK " + std::to_string(*listing.freeBytes / 1024) + " " + std::to_string(*listing.totalBytes / 1024) +
           "\n";
  }
  if (listing.complete) out += "QM-END\n";
  return out;
}

bool sameFiles(const PrinterListing& a, const PrinterListing& b) {
  if (a.files.size() != b.files.size()) return false;
  for (std::size_t i = 0; i < a.files.size(); ++i) {
    if (a.files[i].name != b.files[i].name || a.files[i].size != b.files[i].size) return false;
  }
  return a.complete == b.complete && a.freeBytes == b.freeBytes && a.totalBytes == b.totalBytes;
}

bool onlyLineBreaks(const std::string& text) {
  for (unsigned char c : text) {
    if ((c < 0x20 && c != '\n') || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view answer(reinterpret_cast<const char*>(data), size);
  const PrinterListing listing = parsePrinterListing(answer);

  qmfuzz::check(onlyLineBreaks(listingTable(listing)), "the table holds no control byte but line breaks");
  qmfuzz::check(onlyLineBreaks(listingJson(listing)), "the JSON holds no control byte but line breaks");

  const PrinterListing again = parsePrinterListing(asPrinterLines(listing));
  qmfuzz::check(sameFiles(listing, again) && again.rejectedLines == 0, "the listing reads the same again");

  if (answer.find('\r') != std::string_view::npos) return 0;
  std::string crlf;
  for (char c : answer) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  qmfuzz::check(sameFiles(listing, parsePrinterListing(crlf)), "CR LF reads as LF");
  return 0;
}
