// A printer's listing on the command line: names from the printer never
// reach the terminal with their control bytes, and JSON keeps exact bytes.
#include "cli/cli_listing.h"

#include <gtest/gtest.h>

TEST(CliListing, TableAlignsSizesAndEscapesNamesJsonKeepsTheBytes) {
  PrinterListing listing;
  listing.files = {{"fonts/Arial", 123456}, {"evil\x1b[2J\n", 7}};
  listing.freeBytes = 1024;
  listing.totalBytes = 4096;
  listing.complete = false;
  listing.rejectedLines = 2;
  EXPECT_EQ(listingTable(listing),
            "  SIZE  NAME\n"
            "123456  fonts/Arial\n"
            "     7  evil\\x1b[2J\\x0a\n"
            "2 files, 123463 bytes; disk: 1024 of 4096 bytes free\n"
            "The listing is incomplete: the printer's answer ended before the listing did.\n"
            "2 listing line(s) of the answer could not be read.\n");

  const std::string json = listingJson(listing);
  EXPECT_NE(json.find("\"name\": \"evil\\u001b[2J\\n\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"hex\": \"6576696c1b5b324a0a\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"freeBytes\": 1024"), std::string::npos) << json;
  EXPECT_NE(json.find("\"complete\": false"), std::string::npos) << json;
  EXPECT_EQ(json.find('\x1b'), std::string::npos);
}
