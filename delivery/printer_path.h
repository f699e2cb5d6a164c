// Printer paths for local files, and PostScript font names.
//
// A printer path is where a loose resource or a font is stored on the
// printer disk: "/"-separated, no leading "/", ending in the local file
// name. It is derived from a resource type the user chose, from the
// resource folder the local file already sits in, or from the file's
// extension. Font names are read from Type 1 fonts in PFA or PFB form.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "base/sdk_fs.h"

struct PrinterResourceType {
  const char* label;
  const char* folder;
};

// Index, label shown in the type choices, printer folder.
inline constexpr std::array<PrinterResourceType, 6> kPrinterResourceTypes{{
    {"Encoding", "tqfc/encoding/"},
    {"Font", "tqfc/fontlib/"},
    {"Form", "tqfc/formlib/"},
    {"Image", "tqfc/imglib/"},
    {"JDT", "tqfc/jdtlib/"},
    {"Misc.", "tqfc/mislib/"},
}};

struct PrinterPath {
  std::string path;
  // False only when the extension was not one of the known ones and the
  // file went to the "Misc." folder.
  bool recognised = false;
};

// typeIndex 0..5 picks the folder; otherwise, with useFolderMarkers, the
// first of the markers "/formlib/", "/imglib/", "/jdtlib/", "/encoding/",
// "/mislib/", "/decomp/", "/demo/", "/fontlib/" found in the local path
// (case-sensitive; the order of the list decides) keeps the local sub-tree
// from that marker under "tqfc" ("tqf" for "/demo/"); otherwise the
// extension (without regard to case) picks the folder. backslashSeparates
// says whether "\" separates folders of the local path (the host's rule:
// off Windows "back\slash.frm" is one file name and keeps it).
PrinterPath ToPrinterPath(std::string_view localPath, int typeIndex, bool useFolderMarkers,
                          bool backslashSeparates = kSdkHostBackslashSeparates);

// The whole file, zero bytes included. False for an empty path, a missing
// file, or a file that cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);

// The PostScript name of a Type 1 font (PFA or PFB): the literal name after
// the first "FontName" token of the file's clear text, read as the job
// library reads it (SdkFontNameScanner). False when the file cannot be read
// or holds no "FontName" token followed by one PostScript name.
bool ReadPostScriptFontName(const std::string& path, std::string& fontName);
