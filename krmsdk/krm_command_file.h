// Reading local Tessel folders: directory listings and the string operands
// of interpreter command files (the files a start-up file runs, the paths
// of a search-path array).
#pragma once

class SdkList;

// Clears out, then adds the names (no path) of the regular files of the
// directory, in byte order, leaving out names that an entry of exclusions
// matches (wildcards, case-sensitive). 0 when the directory can't be read.
int krmGetFileList(SdkList& out, const char* directory, const SdkList* exclusions);

// Collects the string operands that precede keyword in a PostScript command
// file: "(a) run", "[ (a) (b) ] SETPPATH", arrays across lines and comments
// between their strings. Operands already in out are not added again. With
// all, every occurrence is read, else only the first. With convertOsPaths,
// an operand starting "%os%" becomes a host path: on Windows the drive
// letter after the marker, ":" and the rest with "\" ("%os%/c/d/f" ->
// "c:\d\f"); elsewhere the path after the marker ("/c/d/f"). Returns 1 when
// the keyword was found with at least one operand; 0 otherwise and for a
// missing file (out untouched). The file is read in 64 KiB pieces.
int krmGetCommandStrings(const char* commandFile, const char* keyword, int all, int convertOsPaths,
                         SdkList& out);
