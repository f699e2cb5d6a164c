// The part files a writer keeps beside its output until it renames one
// over it: the output's name, a dot, six random letters or digits, ".part".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace qmtest {

inline std::vector<std::filesystem::path> partFilesOf(const std::filesystem::path& output) {
  std::vector<std::filesystem::path> found;
  const std::string stem = output.filename().string() + ".";
  const std::string suffix = ".part";
  std::error_code ec;
  const std::filesystem::path folder = output.has_parent_path() ? output.parent_path() : ".";
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() == stem.size() + 6 + suffix.size() && name.compare(0, stem.size(), stem) == 0 &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      found.push_back(it->path());
  }
  return found;
}

// Size of the biggest part file of output; -1 when there is none.
inline std::int64_t partSizeOf(const std::filesystem::path& output) {
  std::int64_t biggest = -1;
  for (const auto& part : partFilesOf(output)) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(part, ec);
    if (!ec && static_cast<std::int64_t>(size) > biggest) biggest = static_cast<std::int64_t>(size);
  }
  return biggest;
}

}  // namespace qmtest
