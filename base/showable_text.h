// Text that came from outside the program (names read from project files,
// containers and fonts, printer and group names, what a printer answers)
// made fit to show. Control characters would steer a terminal, and bytes
// that are not UTF-8 would be shown as some other character, so two
// different names could look the same.
//
// Every C0 control, DEL, C1 control (U+0080 to U+009F, written in UTF-8)
// and every byte that is not part of valid UTF-8 is shown as \xNN, one per
// byte, in lower-case hex. A backslash stays as it is (Windows paths keep
// their look), except that a run of backslashes right before an "x" is
// doubled, so "\x1b" typed in a name shows as "\\x1b" and never as the
// escape of a byte. Reading the text back: an odd run of backslashes before
// "x" ends in an escape, an even run is half as many backslashes. Two
// different texts therefore never show the same.
#pragma once

#include <string>
#include <string_view>

// keepControls: controls stay as they are (a JSON writer escapes them its
// own way); bytes that are not UTF-8 are still escaped.
std::string showableText(std::string_view text, bool keepControls = false);
// Text of several lines (what a printer prints back): each line shown as
// above, the line breaks kept (CR LF becomes LF).
std::string showableLines(std::string_view text);
