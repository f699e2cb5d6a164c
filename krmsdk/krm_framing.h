// The pieces every job text is framed with: the DSC header, the prolog that
// defines the printer-side procedures (load_file, list&remove, end_list,
// auto_start), the date line, the encapsulation lines and trailers, and the
// one place where names become PostScript string operands.
#pragma once

#include <string>
#include <string_view>

#include "base/sdk_string.h"

// Fixed lines.
inline constexpr const char* kKrmStartJobExit = "\ntrue () startjob pop\n";
inline constexpr const char* kKrmStartJobReturn = "\nfalse () startjob pop\n";
inline constexpr const char* kKrmTrailer = "\n%EOF";
inline constexpr const char* kKrmListTrailer = "\nend_list\n%EOF";
inline constexpr const char* kKrmEndList = "\nend_list";

// Local time in strftime form ("%x %X" for log lines and the date line).
std::string krmLocalTimeText(const char* format);
// Local time in ctime form, with its own trailing newline.
std::string krmCtimeText();

// A text for one DSC comment line: line ends and other control bytes
// become blanks. A title may be a file name that someone sent, and a line
// end in it would start a line of PostScript in the header.
std::string krmCommentText(std::string_view text);
// Replaces the job text with the header: "%!", title, creator, creation
// date, notice, the header comments verbatim, "%%EndComments" and an empty
// line. Title and notice pass through krmCommentText.
void krmWriteJobHeader(SdkString& job, const char* title, const char* headerComments);
// Appends the prolog (ending in "%%EndProlog\n") and the date line.
void krmAppendProlog(SdkString& job);
// The prolog text alone.
std::string_view krmPrologText();
// Appends the procedure that writes a listing to the printer's connection
// and its call on operand (a PostScript string or project array), which
// must already be escaped. Goes after the prolog.
void krmAppendAnswerListing(SdkString& job, std::string_view operand);

// The text of a name inside a PostScript string operand "(...)": "(", ")"
// and "\" get a backslash so that the name can't close the string early,
// and control bytes (line ends, tab, ESC, Ctrl-D ...) are written as octal
// escapes "\ooo", so the string keeps every byte (a bare CR would be read as
// LF), each command stays on its line, and no byte can reach the printer's
// channel as a control code. Bytes from 0x80 up stay as they are. A name
// of ordinary characters comes back unchanged.
std::string krmPsString(std::string_view name);

// "true" or "false".
inline const char* krmPsBool(bool value) { return value ? "true" : "false"; }

// Option text of a transfer: "(" printer ") " status " " overwrite.
std::string krmTransferOptions(const char* printerName, bool statusPage, bool overwrite);
