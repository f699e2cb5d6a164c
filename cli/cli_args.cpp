#include "cli/cli_args.h"

#include <algorithm>

std::string ParsedArgs::value(const std::string& longName, const std::string& fallback) const {
  auto it = values_.find(longName);
  return it == values_.end() || it->second.empty() ? fallback : it->second.back();
}

std::vector<std::string> ParsedArgs::values(const std::string& longName) const {
  auto it = values_.find(longName);
  return it == values_.end() ? std::vector<std::string>{} : it->second;
}

namespace {
const OptionSpec* findLong(const std::vector<OptionSpec>& specs, const std::string& name) {
  for (const auto& s : specs)
    if (s.longName == name) return &s;
  return nullptr;
}
const OptionSpec* findShort(const std::vector<OptionSpec>& specs, char c) {
  for (const auto& s : specs)
    if (s.shortName == c) return &s;
  return nullptr;
}
}  // namespace

bool parseArgs(const std::vector<OptionSpec>& specs, const std::vector<std::string>& args, ParsedArgs& out,
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
      const OptionSpec* s = findLong(specs, name);
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
      out.values_[name].push_back(val);
      continue;
    }
    if (a.size() > 1 && a[0] == '-') {
      for (std::size_t k = 1; k < a.size(); ++k) {
        const OptionSpec* s = findShort(specs, a[k]);
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
        out.values_[s->longName].push_back(val);
        break;
      }
      continue;
    }
    out.positionals_.push_back(a);
  }
  return true;
}

std::string optionHelp(const std::vector<OptionSpec>& specs) {
  std::vector<std::pair<std::string, std::string>> lines;
  std::size_t width = 0;
  for (const auto& s : specs) {
    std::string left = s.shortName ? std::string("  -") + s.shortName + ", " : "      ";
    left += "--" + s.longName;
    if (!s.valueName.empty()) left += " " + s.valueName;
    width = std::max(width, left.size());
    lines.emplace_back(left, s.help);
  }
  std::string out;
  for (const auto& [left, help] : lines) out += left + std::string(width + 2 - left.size(), ' ') + help + "\n";
  return out;
}
