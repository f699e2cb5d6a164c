#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/console.h"

bool stdinIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

bool stdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void makeStdoutBinary() { _setmode(_fileno(stdout), _O_BINARY); }
