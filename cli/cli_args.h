// Command-line options in the usual GNU form: "--name value",
// "--name=value", "-n value", "-nvalue", flags "--name" / "-n", bundled
// short flags ("-sv"), and "--" ending the options. Each subcommand
// declares its options; anything else is a usage error. An option with
// choices takes only one of them. The same declarations give the help
// text, the manual page and the shell completion.
#pragma once

#include <map>
#include <string>
#include <vector>

// What an option's value or a command's operands name, for completion.
enum class ValueHint {
  None,
  File,
  Folder,
  Printer,
  Group,
  Command,
};

struct OptionDef {
  std::string longName;   // without "--"
  char shortName = 0;     // 0: none
  std::string valueName;  // empty: a flag; else the option takes a value
  std::string help;
  std::vector<std::string> choices;  // when not empty, the only values taken
  ValueHint hint = ValueHint::None;
};

class ParsedArgs {
 public:
  bool has(const std::string& longName) const { return values_.count(longName) != 0; }
  // The last value given, or fallback.
  std::string value(const std::string& longName, const std::string& fallback = "") const;
  // Every value given, in order.
  std::vector<std::string> values(const std::string& longName) const;
  const std::vector<std::string>& positionals() const { return positionals_; }
  // Sets an option as if it had been given (options given before the
  // command name).
  void set(const std::string& longName, const std::string& value) { values_[longName].push_back(value); }

 private:
  friend bool parseArgs(const std::vector<OptionDef>&, const std::vector<std::string>&, ParsedArgs&,
                        std::string&);
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> positionals_;
};

// Parses args against the options; false with a message on a usage error.
bool parseArgs(const std::vector<OptionDef>& options, const std::vector<std::string>& args, ParsedArgs& out,
               std::string& error);

// The width that help texts keep to.
inline constexpr std::size_t kHelpWidth = 80;

// The option lines of a help text, help wrapped within kHelpWidth.
std::string optionHelp(const std::vector<OptionDef>& options);
// Text wrapped at blanks so that no line, with the indent, passes width.
// Line breaks in the text are kept.
std::string wrapText(const std::string& text, std::size_t indent, std::size_t width = kHelpWidth);

// "FIRST-LAST" into two numbers; false when it is not of that form or a
// number does not fit.
bool parsePageRange(const std::string& text, int& first, int& last);
