// qm-cli-docs: writes the manual page and the bash completion of
// quaymaster-cli from its command table (run by the build).
//   qm-cli-docs MAN-PAGE-FILE COMPLETION-FILE
#include <fstream>
#include <iostream>

#include "cli/cli_help.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: qm-cli-docs MAN-PAGE-FILE COMPLETION-FILE\n";
    return 2;
  }
  const std::vector<Command> commands = allCommands();
  std::ofstream man(argv[1], std::ios::binary);
  man << manPage(commands);
  std::ofstream completion(argv[2], std::ios::binary);
  completion << bashCompletion(commands);
  return man && completion ? 0 : 1;
}
