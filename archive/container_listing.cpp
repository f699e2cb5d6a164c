#include "archive/container_listing.h"

#include <unzip.h>

#include <cstdio>
#include <memory>

#include "archive/archive_handler.h"

namespace {
bool startsWithPK(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  char magic[2] = {0, 0};
  return f && std::fread(magic, 1, 2, f.get()) == 2 && magic[0] == 'P' && magic[1] == 'K';
}

std::string listZip(const std::string& path, std::vector<ContainerEntry>& entries) {
  unzFile zip = unzOpen64(path.c_str());
  if (!zip) return "Cannot open container '" + path + "'";
  int err = unzGoToFirstFile(zip);
  while (err == UNZ_OK) {
    unz_file_info64 info;
    char name[4096];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    entries.push_back({name, info.uncompressed_size});
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
