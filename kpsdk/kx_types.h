// Basic vocabulary of the project SDK: version text, project types, scopes
// and message levels.
//
// Project types are small integers (0 KORO, 1 PS, 2 PDF, 3 PPML-GA); their
// names are exact, case-sensitive words. Scopes say where a resource lives
// (0 the project's own directory, 1 shared by the projects of a folder,
// 2 shared by all projects). Message levels are bit values; almost every
// project operation returns the OR of the levels it logged, and callers test
// kKxError.
#pragma once

#include <string_view>

inline constexpr const char* kKpsdkVersion = "KPSDK 2.1.2";

enum KxProjectType : int {
  kKxTypeKoro = 0,
  kKxTypePs = 1,
  kKxTypePdf = 2,
  kKxTypePpmlGa = 3,
};

enum KxScope : int {
  kKxScopeLocal = 0,
  kKxScopeFolder = 1,
  kKxScopeGlobal = 2,
};

enum KxLevel : int {
  kKxCancelled = 1,
  kKxInfo = 2,
  kKxWarning = 4,
  kKxError = 8,
};

// "KORO", "PS", "PDF", "PPML-GA" for 0..3; an empty text for anything else.
const char* kxProjectTypeName(int type);

// Exact, case-sensitive match against the four type names; -1 otherwise.
int kxParseProjectType(std::string_view text);

// The level word ("CANCELLED", "INFO", "WARNING", "ERROR"); an empty text for
// a value that is not exactly one level.
const char* kxLevelWord(int level);
