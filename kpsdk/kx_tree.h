// Folder trees the project SDK unpacks into: listing, finding the project
// file, removing a whole temporary tree. Pure std::filesystem, so the same
// code serves every platform; errors are swallowed into empty results.
#pragma once

#include <string>
#include <vector>

// Every regular file below dir (recursively), in a stable order.
std::vector<std::string> kxListFiles(const std::string& dir);
// Every regular file below dir, not through symbolic links (a link is not
// listed, nor is what lies below one): its path below dir, "/" separated,
// and its host path; shallower files first, then by name.
struct KxTreeFile {
  std::string relative;
  std::string path;
};
std::vector<KxTreeFile> kxListTree(const std::string& dir);
// The first file below dir whose name ends in ".kpf" in any case, or empty.
std::string kxFindProjectFile(const std::string& dir);
// Removes dir and everything below it; 1 when nothing is left.
int kxRemoveTree(const std::string& dir);
// A new, empty folder in the temporary directory whose name starts with
// prefix; empty on failure.
std::string kxMakeTempFolder(const char* prefix);
// 1 when the file starts with "PK" (a zip container).
int kxIsZipFile(const std::string& path);
