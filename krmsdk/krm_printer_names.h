// Names of files on the printer disk, checked before a job names them.
//
// The disk prolog refuses to store a file under a name that is empty,
// starts with "/" (absolute) or "%" (a device such as %os%), holds a
// control byte (below 32, or 127), has a ".." level between "/"
// separators, or has a level that is one of its own files (".krmuses", a
// project's record; a level ending in ".krmtmp", a transfer's part file);
// it reads and drops the data and only the status page says
// so. A printer disk also keeps names of at most 255 bytes, and the
// prolog writes each file under its name plus ".krmtmp" first, so a name
// may hold at most kKrmMaxPrinterNameBytes bytes. krmPrinterNameFault
// finds exactly these faults, so that a job can refuse such a name before
// it is written instead of reporting success; the desktop and the command
// line use the same check for the names a user types.
//
// Apart from that, some names belong to the printer itself: "Sys/..." holds
// what the printer runs at start-up ("Sys/Start" is the power-on file),
// "tqf/..." is Tessel, "fonts/..." the fonts the printer renders with.
// krmSystemArea tells them; loading a loose file there is for operators
// who ask for it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr std::size_t kKrmMaxPrinterNameBytes = 248;

enum class KrmNameFault {
  kNone,
  kEmpty,
  kAbsolute,      // a leading "/"
  kDevice,        // a leading "%"
  kControlByte,   // a byte below 32, or 127
  kParentLevel,   // a ".." level
  kReserved,      // a level ".krmuses" or ending in ".krmtmp": the prolog's own
  kTooLong,       // more than kKrmMaxPrinterNameBytes bytes
};

// The first fault of a name the printer would be asked to store.
KrmNameFault krmPrinterNameFault(std::string_view name);
// What is wrong, as the end of a sentence ("holds a '..' level").
const char* krmNameFaultText(KrmNameFault fault);

enum class KrmSystemArea {
  kNone,
  kStartup,  // "Sys/..."
  kTessel,   // "tqf/..."
  kFonts,    // "fonts/..."
};

// The printer's own area a name lies in. The first level counts, in any
// letter case: a disk that folds case would take "SYS/Start" for
// "Sys/Start".
KrmSystemArea krmSystemArea(std::string_view name);

// The name for a message: control bytes as "?", at most 160 bytes and "...",
// so that a refused name can neither break a message into lines nor fill
// a screen.
std::string krmShownName(std::string_view name);
