// The terminal around the command line: whether standard input, output
// and error are terminals (questions, progress and a line per printer are
// only for people), and standard output taking job bytes unchanged. One file per platform:
// console_posix.cpp, console_win32.cpp.
#pragma once

bool stdinIsTerminal();
bool stdoutIsTerminal();
bool stderrIsTerminal();
// Standard output passes bytes unchanged (no line-end translation).
void makeStdoutBinary();
