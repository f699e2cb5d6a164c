#include "cli/cli_escape.h"

#include "base/showable_text.h"

std::string cliShowable(std::string_view text, ShowFor use) { return showableText(text, use == ShowFor::Json); }

std::string cliShowableLines(std::string_view text) { return showableLines(text); }
