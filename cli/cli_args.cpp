#include "cli/cli_args.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

std::string ParsedArgs::value(const std::string& longName, const std::string& fallback) const {
  auto it = values_.find(longName);
  return it == values_.end() || it->second.empty() ? fallback : it->second.back();
}

std::vector<std::string> ParsedArgs::values(const std::string& longName) const {
  auto it = values_.find(longName);
  return it == values_.end() ? std::vector<std::string>{} : it->second;
}

namespace {
const OptionDef* findLong(const std::vector<OptionDef>& options, const std::string& name) {
  for (const auto& s : options)
    if (s.longName == name) return &s;
  return nullptr;
}
const OptionDef* findShort(const std::vector<OptionDef>& options, char c) {
  for (const auto& s : options)
    if (s.shortName == c) return &s;
  return nullptr;
}

// "a, b or c"
std::string choiceList(const std::vector<std::string>& choices) {
  std::string text;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) text += i + 1 == choices.size() ? " or " : ", ";
    text += choices[i];
  }
  return text;
}

bool takeValue(const OptionDef& option, const std::string& value, ParsedArgs& out, std::string& error) {
  if (!option.choices.empty() && std::find(option.choices.begin(), option.choices.end(), value) == option.choices.end()) {
    error = "--" + option.longName + " takes " + choiceList(option.choices) + ", not '" + value + "'";
    return false;
  }
  out.set(option.longName, value);
  return true;
}
}  // namespace

bool parseArgs(const std::vector<OptionDef>& options, const std::vector<std::string>& args, ParsedArgs& out,
               std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      out.positionals_.insert(out.positionals_.end(), args.begin() + i + 1, args.end());
      break;
    }
    if (a.rfind("--", 0) == 0) {
      std::string name = a.substr(2), val;
      bool inlineValue = false;
      if (auto eq = name.find('='); eq != std::string::npos) {
        val = name.substr(eq + 1);
        name.resize(eq);
        inlineValue = true;
      }
      const OptionDef* s = findLong(options, name);
      if (!s) {
        error = "unknown option '--" + name + "'";
        return false;
      }
      if (s->valueName.empty()) {
        if (inlineValue) {
          error = "option '--" + name + "' takes no value";
          return false;
        }
        out.values_[name].push_back("1");
        continue;
      }
      if (!inlineValue) {
        if (i + 1 >= args.size()) {
          error = "option '--" + name + "' needs a value";
          return false;
        }
        val = args[++i];
      }
      if (!takeValue(*s, val, out, error)) return false;
      continue;
    }
    if (a.size() > 1 && a[0] == '-') {
      for (std::size_t k = 1; k < a.size(); ++k) {
        const OptionDef* s = findShort(options, a[k]);
        if (!s) {
          error = std::string("unknown option '-") + a[k] + "'";
          return false;
        }
        if (s->valueName.empty()) {
          out.values_[s->longName].push_back("1");
          continue;
        }
        std::string val = a.substr(k + 1);
        if (val.empty()) {
          if (i + 1 >= args.size()) {
            error = std::string("option '-") + a[k] + "' needs a value";
            return false;
          }
          val = args[++i];
        }
        if (!takeValue(*s, val, out, error)) return false;
        break;
      }
      continue;
    }
    out.positionals_.push_back(a);
  }
  return true;
}

std::string wrapText(const std::string& text, std::size_t indent, std::size_t width) {
  // Every line starts at column indent: the caller has put the first one
  // there.
  std::string out;
  std::size_t lineStart = 0;
  while (lineStart <= text.size()) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    // Each given line is filled word by word; its own leading blanks stay.
    std::string line = text.substr(lineStart, lineEnd - lineStart);
    std::size_t lead = line.find_first_not_of(' ');
    if (lead == std::string::npos) lead = line.size();
    std::string current(line, 0, lead);
    // A line that fits keeps its own spacing (aligned tables).
    std::size_t pos = indent + line.size() <= width ? line.size() : lead;
    if (pos == line.size()) current = line;
    while (pos < line.size()) {
      std::size_t end = line.find(' ', pos);
      if (end == std::string::npos) end = line.size();
      std::string word = line.substr(pos, end - pos);
      pos = line.find_first_not_of(' ', end);
      if (pos == std::string::npos) pos = line.size();
      if (word.empty()) continue;
      if (current.size() > lead && indent + current.size() + 1 + word.size() > width) {
        out += current + "\n" + std::string(indent, ' ');
        current = std::string(lead, ' ');
      }
      if (current.size() > lead) current += ' ';
      current += word;
    }
    out += current;
    if (lineEnd >= text.size()) break;
    out += "\n" + std::string(indent, ' ');
    lineStart = lineEnd + 1;
  }
  return out;
}

std::string optionHelp(const std::vector<OptionDef>& options) {
  // The help column starts after the widest option, but never so far
  // right that little room is left for the text.
  constexpr std::size_t kMaxColumn = 30;
  std::vector<std::pair<std::string, std::string>> lines;
  std::size_t column = 0;
  for (const auto& s : options) {
    std::string left = s.shortName ? std::string("  -") + s.shortName + ", " : "      ";
    left += "--" + s.longName;
    if (!s.valueName.empty()) left += " " + s.valueName;
    if (left.size() + 2 <= kMaxColumn) column = std::max(column, left.size() + 2);
    lines.emplace_back(left, s.help);
  }
  std::string out;
  for (const auto& [left, help] : lines) {
    if (left.size() + 2 > column) {
      out += left + "\n" + std::string(column, ' ');
    } else {
      out += left + std::string(column - left.size(), ' ');
    }
    out += wrapText(help, column) + "\n";
  }
  return out;
}

bool parsePageRange(const std::string& text, int& first, int& last) {
  auto number = [](const std::string& digits, int& value) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    long n = std::strtol(digits.c_str(), nullptr, 10);
    if (errno == ERANGE || n > INT_MAX) return false;
    value = static_cast<int>(n);
    return true;
  };
  auto dash = text.find('-');
  if (dash == std::string::npos) return false;
  return number(text.substr(0, dash), first) && number(text.substr(dash + 1), last);
}
