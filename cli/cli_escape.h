// Text from outside the program made fit to print on the command line;
// the rules are those of base/showable_text.h.
#pragma once

#include <string>
#include <string_view>

enum class ShowFor {
  Terminal,  // controls escaped as \xNN
  Json,      // controls kept: the JSON writer escapes them its own way
};

std::string cliShowable(std::string_view text, ShowFor use = ShowFor::Terminal);
// Text of several lines (what a printer prints back): each line shown as
// above, the line breaks kept (CR LF becomes LF).
std::string cliShowableLines(std::string_view text);
