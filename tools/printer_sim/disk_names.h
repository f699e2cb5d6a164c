// Printer file names on the simulated printer disk.
//
// A printer disk has flat names: "tqfc/formlib/a.frm" is one name, "/" is
// just a character in it. The simulator keeps each printer file as one host
// file in the disk directory under an escaped name: every byte outside
// A-Z a-z 0-9 . _ - + , = @ # ~, and a leading ".", becomes "%" and two
// upper-case hexadecimal digits ("tqfc%2Fformlib%2Fa.frm"). The same rule is
// applied by the simulator's PostScript start-up file; the two must agree.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Host file name for a printer name (never empty for a non-empty name).
std::string encodeDiskName(std::string_view printerName);

// Printer name for a host file name; nothing when the host name is not a
// valid escaped name (a stray "%" or bad hex digits).
std::optional<std::string> decodeDiskName(std::string_view hostName);
