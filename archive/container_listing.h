// The entries of a container, for people looking into one: name and size
// of every entry, in stored order, without unpacking anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ContainerEntry {
  std::string name;  // as stored, "/" separated
  std::uint64_t size = 0;
};

// Reads the entry list of a zip or tar container (sniffed as on
// extraction), zip sizes from the Zip64 field where it holds them. Returns
// an error text, empty on success; a container in which two entries would
// land on one file is refused as on extraction (internal tag
// kTagNameClash).
std::string ListContainerEntries(const std::string& containerPath, std::vector<ContainerEntry>& entries);
