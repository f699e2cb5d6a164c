// Reading the listing out of a printer's answer, which is untrusted: what
// reads, what is passed over, what is rejected, when it is incomplete.
#include "delivery/printer_listing.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* what;
  std::string answer;
  std::vector<std::pair<std::string, std::uint64_t>> files;
  bool complete;
  std::size_t rejected;
};

TEST(PrinterListing, ReadsOnlyWellFormedLinesOfTheAnswer) {
  const std::string longName(kMaxListingLine, 'a');
  const std::vector<Case> cases = {
      {"a listing among other lines, CR LF, either hex case",
       "%%[ status: busy ]%%\nQM-FILE 612062 3\r\nhello\nQM-FILE C3A9 0\nQM-END\n",
       {{"a b", 3}, {"\xc3\xa9", 0}}, true, 0},
      {"every byte value in a name", "QM-FILE 000a0d1b25282922ff 7\nQM-END",
       {{std::string("\0\n\r\x1b%()\"\xff", 9), 7}}, true, 0},
      {"no end mark: incomplete, what came is kept", "QM-FILE 61 1\nQM-FILE 62 2", {{"a", 1}, {"b", 2}}, false, 0},
      {"cut inside a line", "QM-FILE 61 1\nQM-FILE 6", {{"a", 1}}, false, 1},
      {"malformed hex and names",
       "QM-FILE 6 1\nQM-FILE 6g 1\nQM-FILE  1\nQM-FILE 61\nQM-FILE 61 1 2\nQM-FILE 61  1\nQM-FILE 61 1 \nQM-END\n",
       {}, true, 7},
      {"numbers: not decimal, negative, past 2^63 - 1",
       "QM-FILE 61 -1\nQM-FILE 61 1e3\nQM-FILE 61 9223372036854775808\nQM-FILE 61 99999999999999999999\n"
       "QM-FILE 62 9223372036854775807\nQM-END\n",
       {{"b", 9223372036854775807ull}}, true, 4},
      {"a line past the limit is rejected whole", "QM-FILE " + longName + " 1\nQM-FILE 61 1\nQM-END\n",
       {{"a", 1}}, true, 1},
      {"unknown QM- lines and lines after the end", "QM-FOO\nQM-END\nQM-FILE 61 1\n", {}, true, 1},
      {"nothing of a listing", std::string("\0\0\x1b[2J", 6), {}, false, 0},
  };
  for (const Case& c : cases) {
    const PrinterListing listing = parsePrinterListing(c.answer);
    std::vector<std::pair<std::string, std::uint64_t>> files;
    for (const ListedFile& f : listing.files) files.emplace_back(f.name, f.size);
    EXPECT_EQ(files, c.files) << c.what;
    EXPECT_EQ(listing.complete, c.complete) << c.what;
    EXPECT_EQ(listing.rejectedLines, c.rejected) << c.what;
  }
}

TEST(PrinterListing, DiskSpaceInPagesOfAKilobyte) {
  PrinterListing good = parsePrinterListing("QM-DISK 3 10\nQM-END\n");
  EXPECT_EQ(good.freeBytes, std::optional<std::uint64_t>(3072));
  EXPECT_EQ(good.totalBytes, std::optional<std::uint64_t>(10240));
  // More free than there is, or a size whose bytes do not fit: not told.
  for (const char* bad : {"QM-DISK 11 10\n", "QM-DISK 1 9007199254740992\n", "QM-DISK 1\n"}) {
    PrinterListing listing = parsePrinterListing(bad);
    EXPECT_FALSE(listing.freeBytes) << bad;
    EXPECT_EQ(listing.rejectedLines, 1u) << bad;
  }
}

TEST(PrinterListing, CsvQuotesEveryNameByTheRules) {
  PrinterListing listing;
  listing.files = {{"plain", 1}, {"a,\"b\"\r\nc", 22}};
  EXPECT_EQ(printerListingCsv(listing), "name,size\r\n\"plain\",1\r\n\"a,\"\"b\"\"\r\nc\",22\r\n");
}

}  // namespace
