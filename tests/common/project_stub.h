// The stub file of the tests' Tessel: print-and-forget files go to
// <printAndForgetRoot>/kpcpfd/<folder>/<project>/, and the three project
// scopes (local, folder-shared, global-shared) lie under <tree>/tqfc/.
#pragma once

#include <string>

inline std::string projectStubText(const std::string& printAndForgetRoot, const std::string& tree) {
  return "%!PS\nTQFdict begin\n"
         "[ (" + printAndForgetRoot + "/kpcpfd/$$FOLDER./$$PROJECT./)\n"
         "  (" + tree + "/tqfc/$$FOLDER./$$PROJECT./)\n"
         "  (" + tree + "/tqfc/$$FOLDER./fshared/)\n"
         "  (" + tree + "/tqfc/gshared/)\n"
         "] SETPPATH\nend\n";
}
