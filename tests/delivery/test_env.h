// Helpers shared by the delivery tests: environment variables restored at
// the end of a test, and a scratch folder removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/sdk_fs.h"
#include "tests/common/test_platform.h"

using ScopedEnv = qmtest::ScopedEnvVar;

class ScratchDir {
 public:
  ScratchDir() {
    SdkString dir;
    sdkMakeTempDir(dir);
    path_ = dir.str();
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // A path in the folder, in the host's separators.
  std::string file(const std::string& name) const { return qmtest::native(path_ + "/" + name); }
  std::string write(const std::string& name, const std::string& content) const {
    std::string full = file(name);
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
