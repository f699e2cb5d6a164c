#include "archive/container_listing.h"

#include <unzip.h>

#include <cstdio>
#include <memory>

#include "archive/archive_handler.h"
#include "archive/archive_paths.h"
#include "archive/zip_entry.h"
#include "base/sdk_string.h"

namespace {
bool startsWithPK(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  char magic[2] = {0, 0};
  return f && std::fread(magic, 1, 2, f.get()) == 2 && magic[0] == 'P' && magic[1] == 'K';
}

// Refuses, as extraction does, a container in which two entries would land
// on one file.
std::string listZip(const std::string& path, std::vector<ContainerEntry>& entries) {
  unzFile zip = unzOpen64(path.c_str());
  if (!zip) return "Cannot open container '" + path + "'";
  ArchiveNameSet names;
  int err = unzGoToFirstFile(zip);
  while (err == UNZ_OK) {
    ZipEntryInfo info;
    if (zipCurrentEntry(zip, info) != UNZ_OK) break;
    std::string clash;
    if (!info.name.empty() && !names.add(info.name, archiveIsSeparator(info.name.back()), clash)) {
      unzClose(zip);
      return sdkFormat(kArchiveMsgInternal, static_cast<int>(kTagNameClash), info.name.c_str(),
                       clash.c_str());
    }
    entries.push_back({info.name, static_cast<std::uint64_t>(info.size)});
    err = unzGoToNextFile(zip);
  }
  unzClose(zip);
  return err == UNZ_END_OF_LIST_OF_FILE ? std::string() : "Damaged container '" + path + "'";
}

std::string listTar(const std::string& path, std::vector<ContainerEntry>& entries) {
  ArchiveHandler handler;
  std::string error = handler.RunTar({"pdtar_main", "-f", path, "-t"}, ".");
  if (!error.empty()) return error;
  std::string listing = handler.GetListing();
  std::size_t start = 0;
  while (start < listing.size()) {
    std::size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    if (end > start) entries.push_back({listing.substr(start, end - start), 0});
    start = end + 1;
  }
  return {};
}
}  // namespace

std::string ListContainerEntries(const std::string& containerPath, std::vector<ContainerEntry>& entries) {
  entries.clear();
  return startsWithPK(containerPath) ? listZip(containerPath, entries) : listTar(containerPath, entries);
}
