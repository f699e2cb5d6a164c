// The text of the About box: the program line, the Tessel in use and the
// versions of the libraries the program runs with.
#pragma once

#include <optional>
#include <string>

struct ProgramIdentity {
  std::string fullName;
  std::string version;
  std::string notice;
  // The windowing toolkit's name and version as the program runs with it.
  std::string toolkit;
};

// The whole text, from the configuration (configFile "" = the installed
// one): the built-in Tessel's version when useBuiltin is true, else the
// installed Tessel's folder and the version in its src/tqf.eeh header.
std::string aboutText(const ProgramIdentity& identity, const std::string& configFile = "");

// The version line of a Tessel header: the first 255 bytes must be there;
// after "%%Version:" and one more character, up to the first line feed,
// then up to the first carriage return. Nothing when the header is shorter
// or has no marker.
std::optional<std::string> tesselHeaderVersion(const std::string& headerPath);
