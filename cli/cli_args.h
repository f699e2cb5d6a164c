// Command-line options in the usual GNU form: "--name value",
// "--name=value", "-n value", "-nvalue", flags "--name" / "-n", bundled
// short flags ("-sv"), and "--" ending the options. Each subcommand
// declares its options; anything else is a usage error.
#pragma once

#include <map>
#include <string>
#include <vector>

struct OptionSpec {
  std::string longName;   // without "--"
  char shortName = 0;     // 0: none
  std::string valueName;  // empty: a flag; else the option takes a value
  std::string help;
};

class ParsedArgs {
 public:
  bool has(const std::string& longName) const { return values_.count(longName) != 0; }
  // The last value given, or fallback.
  std::string value(const std::string& longName, const std::string& fallback = "") const;
  // Every value given, in order.
  std::vector<std::string> values(const std::string& longName) const;
  const std::vector<std::string>& positionals() const { return positionals_; }

 private:
  friend bool parseArgs(const std::vector<OptionSpec>&, const std::vector<std::string>&, ParsedArgs&,
                        std::string&);
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> positionals_;
};

// Parses args against the specs; false with a message on a usage error.
bool parseArgs(const std::vector<OptionSpec>& specs, const std::vector<std::string>& args, ParsedArgs& out,
               std::string& error);

// The option lines of a help text.
std::string optionHelp(const std::vector<OptionSpec>& specs);
