// Names of a project's files inside a container, and which unpacked entry
// holds which file.
//
// A container names each file by where it belongs in the customer resource
// tree, not by where it was read from: the project file and local resources
// under "<folder>/<project>/", folder-shared resources under
// "<folder>/fshared/", global-shared ones under "gshared/". The same project
// therefore gives the same container whatever folder it was packed from,
// and no entry tells anything about the machine.
//
// On opening, every resource takes its own entry: the first not yet taken
// whose name ends in the resource's name, in archive order (the project file
// comes first and the resources in project order). Where several entries
// carry one name (a file of that name in two scopes), a resource read at
// local scope prefers the entry beside the project file and a shared one an
// entry elsewhere, so each file gets its own bytes whatever the container's
// folder layout, this program's or an older one's full host paths.
#pragma once

#include <string>
#include <vector>

#include "archive/archive_handler.h"

// The entry name of a file of the project with that scope (0 local, also the
// project file; 1 folder shared; 2 global shared).
std::string kxEntryNameFor(int scope, const std::string& folder, const std::string& project, const std::string& name);

struct KxEntryFile {
  std::string name;
  int scope = 0;
};

// For each file, the index in entries of the entry that holds it, or -1.
// The project file is looked for first and stands for the project's own
// folder: the entry named projectFile exactly, or for a bare file name the
// first entry of that file name; its index is in projectIndex (-1 when
// absent).
std::vector<int> kxMatchEntries(const std::vector<ArchiveExtracted>& entries, const std::string& projectFile,
                                const std::vector<KxEntryFile>& files, int& projectIndex);
