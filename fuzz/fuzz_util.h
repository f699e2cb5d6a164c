// Helpers shared by the fuzz targets: a private scratch folder per process,
// input written to a file, and the checks that abort on a broken property
// (libFuzzer then keeps the input as a crash).
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace qmfuzz {

namespace fs = std::filesystem;

// A folder of this process, removed at exit. Under /dev/shm when it exists,
// so the many small files the targets write stay in memory.
inline const fs::path& scratch() {
  static const fs::path root = [] {
    fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path dir = base / ("qm_fuzz_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(scratch(), ignored);
    });
    return dir;
  }();
  return root;
}

inline std::string writeInput(const std::string& name, std::string_view bytes) {
  fs::path path = scratch() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

inline void fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

inline void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

// Entries below root as relative generic paths ("" when root is missing).
inline std::vector<std::string> listTree(const fs::path& root) {
  std::vector<std::string> names;
  std::error_code ec;
  if (!fs::exists(root, ec)) return names;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    names.push_back(it->path().lexically_relative(root).generic_string());
  return names;
}

// Splits the input at the first byte equal to sep.
inline std::pair<std::string_view, std::string_view> splitAt(std::string_view in, char sep) {
  std::size_t at = in.find(sep);
  if (at == std::string_view::npos) return {in, {}};
  return {in.substr(0, at), in.substr(at + 1)};
}

}  // namespace qmfuzz
