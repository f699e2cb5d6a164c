// Helpers shared by the job library tests: a started library, scratch
// directories and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "base/sdk_fs.h"
#include "krmsdk/krmsdk.h"
#include "tests/common/test_platform.h"

namespace krmtest {

namespace fs = std::filesystem;

// A fresh directory, removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    SdkString name;
    EXPECT_EQ(sdkMakeTempDir(name), 1);
    path_ = name.str();
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  // A path below the folder, in the host's separators.
  std::string operator/(const std::string& rel) const { return qmtest::native(path_ + "/" + rel); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Makes a scratch directory the current one for the life of the object.
// Tests that work on files in the current directory (the debug log) use
// it: ctest runs other test processes of this program side by side in the
// build directory, and they start the library there too.
class PrivateWorkingDir {
 public:
  PrivateWorkingDir() : previous_(fs::current_path()) { fs::current_path(dir_.path()); }
  ~PrivateWorkingDir() {
    std::error_code ec;
    fs::current_path(previous_, ec);
  }
  PrivateWorkingDir(const PrivateWorkingDir&) = delete;
  PrivateWorkingDir& operator=(const PrivateWorkingDir&) = delete;

 private:
  ScratchDir dir_;
  fs::path previous_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out << content;
}

// The "%os%" form of a local path that start-up files use: "%os%/c/dir/f"
// for "c:\dir\f" on Windows; on POSIX the marker before the path.
inline std::string osPath(const std::string& path) {
#ifdef _WIN32
  std::string out = "%os%/";
  out += path.substr(0, 1);
  for (char c : path.substr(2)) out += c == '\\' ? '/' : c;
  return out;
#else
  return "%os%" + path;
#endif
}

// Starts the library for a test and stops it afterwards.
class StartedLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    if (krmGetLastMessage() != nullptr) krmFinished();
    ASSERT_EQ(krmInitialize(), 1001);
  }
  void TearDown() override { krmFinished(); }
  ScratchDir dir_;
};

// The job text after the header (whose creation date varies).
inline std::string afterHeader(const std::string& job) {
  auto at = job.find("%%EndComments\n\n");
  return at == std::string::npos ? job : job.substr(at + 15);
}

// The targets of the transfer commands of a job, in order.
inline std::vector<std::string> transferTargets(const std::string& job) {
  std::vector<std::string> out;
  static const std::regex command("\n\n(-?[0-9]+) \\(((?:[^()\\\\]|\\\\.)*)\\) .* load_file\n");
  for (std::sregex_iterator it(job.begin(), job.end(), command), end; it != end; ++it) out.push_back((*it)[2]);
  return out;
}

}  // namespace krmtest
