// The texts made from the command table: the help of the program and of
// each command (within 80 columns), the manual page quaymaster-cli.1 and
// the bash completion. Being made from one table, they cannot drift apart.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_command.h"

std::string generalHelp(const std::vector<Command>& commands);
std::string commandHelp(const Command& cmd);
// The manual page, in the man macros of groff.
std::string manPage(const std::vector<Command>& commands);
// A bash completion script for the program.
std::string bashCompletion(const std::vector<Command>& commands);
