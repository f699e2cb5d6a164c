// Fixed and generated PostScript texts of the Tessel jobs: the two start
// files generated for the printer ("tqf/src/tqfdep" and
// "tqf/src/tqfdep.run"), the PostScript error handler, the auto-start
// command, the confirmation page and the Tessel configuration block.
#pragma once

#include <string>

// "tqf/src/tqfdep": the small file that makes every Tessel entry name load
// the full interpreter on first use. With a local Tessel folder (koroPath
// ends in a separator) whose "src/tqfdos" names the file it runs, that file
// is adapted instead.
std::string krmTqfDepPS(bool builtIn, const char* koroPath);

// "tqf/src/tqfdep.run": runs the interpreter prolog, sets the search paths
// and runs the modules: the built-in run list, or the files that the local
// start-up file runs (startupFile may be null).
std::string krmDotRunPS(bool builtIn, bool imaging, const char* startupFile);

// The local start-up file of a Tessel folder: "src/tqfdos.run", or on hosts
// other than Windows "src/tqfunix.run" when that one is missing.
std::string krmLocalStartupFile(const char* koroPath);
// The file that krmTqfDepPS adapts: "src/tqfdos" (or "src/tqfunix").
std::string krmLocalTqfdosFile(const char* koroPath);

// The PostScript error handler stored as "tqf/errorh.ps".
const char* krmErrorHandlerText();

// "\n(" printer ") " status " " mode " auto_start".
std::string krmAutoStartCommand(const char* printerName, bool statusPage, int mode);

// The confirmation page of the start-up job.
const char* krmConfirmationPageText();

// The six search-path arrays, each closed by "] " operator "\n\n".
std::string krmSearchPathText();
// "TQFdict begin\n", the search paths and the spool name line.
std::string krmTesselConfigText();
// Closes the Tessel dictionary in "tqf/src/tqfdep.run".
inline constexpr const char* kKrmDotRunEnd = "end\t\t\t\t% mandatory (remove TQFdict from dict stack)\n";
