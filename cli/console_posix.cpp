#include <unistd.h>

#include "cli/console.h"

bool stdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool stdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

bool stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void makeStdoutBinary() {}
