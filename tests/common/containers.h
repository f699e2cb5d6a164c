// Helpers of the tests that open containers built by hand: packing files
// into a zip or tar container with Python's own modules, listing a folder
// tree, and a private temporary folder for the code under test. Windows
// test machines have no python3: tests that pack containers start with
// QM_NEEDS_PYTHON.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/test_platform.h"

#ifdef _WIN32
#define QM_NEEDS_PYTHON() GTEST_SKIP() << "builds its containers with python3, which the Windows test machine lacks"
#else
#define QM_NEEDS_PYTHON() (void)0
#endif

namespace qmtest {

// A zip container (any name but ".tar") or a tar container (".tar") holding
// each file under its entry name: (entry name, file) pairs, in order.
inline void packContainer(const std::string& out, const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string cmd = "python3 -c \"import sys, tarfile, zipfile\n"
                    "out, p = sys.argv[1], sys.argv[2:]\n"
                    "if out.endswith('.tar'):\n"
                    "    t = tarfile.open(out, 'w', format=tarfile.GNU_FORMAT)\n"
                    "    for i in range(0, len(p), 2): t.add(p[i + 1], p[i])\n"
                    "    t.close()\n"
                    "else:\n"
                    "    z = zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED)\n"
                    "    for i in range(0, len(p), 2): z.write(p[i + 1], p[i])\n"
                    "    z.close()\n\" '" +
                    out + "'";
  for (const auto& [name, file] : entries) cmd += " '" + name + "' '" + file + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

// Every entry below root, relative and "/"-separated, sorted.
inline std::vector<std::string> treeBelow(const std::string& root) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    names.push_back(fs::path(it->path()).lexically_relative(root).generic_string());
  std::sort(names.begin(), names.end());
  return names;
}

// Points the temporary folder at another folder for the life of the object.
class TempDirVariable : public ScopedEnvVar {
 public:
  explicit TempDirVariable(const std::string& value) : ScopedEnvVar(kTempVariable, value.c_str()) {}
};

}  // namespace qmtest
