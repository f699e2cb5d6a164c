// The disk listing a printer writes back on its connection for List Printer
// Files (the job asks for it: krmsdk/ps/krmanswer.ps), read out of the
// printer's answer.
//
// The answer is untrusted. Only lines of these forms count, one a line
// (LF or CR LF), fields separated by one blank:
//   QM-FILE <name as hexadecimal digits, either case> <size in bytes>
//   QM-DISK <free pages> <total pages>      (pages of 1024 bytes)
//   QM-END
// Every other line (the printer's own messages, "%%[ ... ]%%" status
// lines) is passed over. A QM- line that does not read (an odd count or a
// non-hex digit, an empty name, a number that is not decimal or is past
// 2^63 - 1 bytes, a field too many) is not listed but counted as rejected,
// and so is a line longer than kMaxListingLine. Without QM-END the listing
// is incomplete: the job was cut off or failed part-way; what came is kept.
// Lines after QM-END are passed over. Nothing raises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxListingLine = 16384;

struct ListedFile {
  std::string name;  // the printer's name of the file, any bytes
  std::uint64_t size = 0;
};

struct PrinterListing {
  std::vector<ListedFile> files;          // in the printer's order
  std::optional<std::uint64_t> freeBytes;  // from QM-DISK, when the printer told
  std::optional<std::uint64_t> totalBytes;
  bool complete = false;                  // QM-END came
  std::size_t rejectedLines = 0;          // QM- lines that did not read
};

PrinterListing parsePrinterListing(std::string_view answer);

// The files as CSV (RFC 4180): a "name,size" header, CR LF line ends, every
// name quoted (a quote in it doubled), its bytes as the printer gave them.
std::string printerListingCsv(const PrinterListing& listing);
