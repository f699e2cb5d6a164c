// A printer's disk listing (delivery/printer_listing.h) for the command
// line: an aligned table for people and JSON for programs. Names came from
// the printer and are shown escaped (cli_escape.h).
#pragma once

#include <string>

#include "delivery/printer_listing.h"

// One line a file, the size right-aligned before the name, then a summary
// line (files, bytes, the disk's free and total space when known) and a
// line each for an incomplete listing and for rejected lines.
std::string listingTable(const PrinterListing& listing);

// {"files": [{"name", "hex", "size"}...], "fileCount", "bytes",
//  "freeBytes", "totalBytes" (only when known), "complete", "rejectedLines"}.
// "hex" holds the name's exact bytes, for names that are not UTF-8.
std::string listingJson(const PrinterListing& listing);
