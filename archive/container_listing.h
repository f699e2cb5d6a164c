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
// extraction). Returns an error text, empty on success.
std::string ListContainerEntries(const std::string& containerPath, std::vector<ContainerEntry>& entries);
