// Shared part of the archive fuzz targets: run the three extraction modes
// into one folder and check that nothing appeared beside it.
#pragma once

#include <string>

#include "archive/archive_handler.h"
#include "fuzz/fuzz_util.h"

namespace qmfuzz {

inline void extractAllModes(const std::string& container, const std::string& wanted) {
  fs::path box = scratch() / "box";
  fs::path target = box / "in";
  std::error_code ec;
  fs::remove_all(box, ec);
  fs::create_directories(target);

  ArchiveHandler handler;
  std::string error = handler.Extract(container, target.string());
  check(error == handler.GetErrorText(), "returned error is the handler's");
  if (!error.empty()) check(!handler.GetErrorTemplate().empty(), "an error has its template");
  handler.ExtractProjectFile(container, target.string());
  if (handler.GetErrorText().empty()) check(!handler.GetFoundProjectEntry().empty(), "a found project entry");
  handler.ExtractNamed(container, wanted, target.string());

  for (const std::string& name : listTree(box))
    if (name != "in" && name.rfind("in/", 0) != 0) fail("an entry was written outside the target folder");
  fs::remove_all(box, ec);
}

}  // namespace qmfuzz
