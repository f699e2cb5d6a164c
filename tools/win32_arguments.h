// One argument of a Windows command line, written so that the C runtime of
// the started program reads it back as it was: quoted when it is empty or
// holds blanks or quotes, a quote in it and the backslashes right before a
// quote (or before the closing quote) escaped. The test tools start
// programs with CreateProcess, which takes one line for all arguments.
#pragma once

#include <string>

inline std::string quotedWindowsArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}
