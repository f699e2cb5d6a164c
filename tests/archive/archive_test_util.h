// Helpers of the archive tests: a scratch folder per test, files with known
// content and times, and peer tools run through the shell.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <zip.h>

#include "archive/archive_handler.h"
#include "archive/tar.h"
#include "tests/common/test_platform.h"

namespace archive_test {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void writeFile(const fs::path& path, const std::string& data) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

// Mixed text and noise, so that deflate has something to do.
inline std::string sampleData(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string data;
  data.reserve(size);
  static const char* words[] = {"KORO ", "Tessel ", "resource ", "formlib/", "%!PS\n", "showpage ", "1 2 3 "};
  while (data.size() < size) {
    if (rng() % 4 == 0) {
      for (int i = 0; i < 16 && data.size() < size; ++i) data.push_back(static_cast<char>(rng() & 0xff));
    } else {
      data += words[rng() % 7];
    }
  }
  data.resize(size);
  return data;
}

// A local time with even seconds (zip keeps two-second steps).
inline std::int64_t fixedTime() {
  struct tm t {};
  t.tm_year = 2021 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 4;
  t.tm_hour = 5;
  t.tm_min = 6;
  t.tm_sec = 8;
  t.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&t));
}

inline void setTime(const fs::path& path, std::int64_t when) { qmtest::setFileTime(path.string(), when); }

inline std::int64_t modTime(const fs::path& path) { return qmtest::fileTime(path.string()); }

// The peer tools are run through a POSIX shell; Windows has none, so the
// comparisons with them are skipped there.
inline bool haveTool(const char* name) {
#ifdef _WIN32
  (void)name;
  return false;
#else
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
#endif
}

// Runs a shell command; the exit status (0 success).
inline int run(const std::string& command) { return qmtest::commandStatus(std::system(command.c_str())); }

// Makes a symbolic link; false where the system cannot (Wine, Windows
// without the privilege).
inline bool makeSymlink(const fs::path& target, const fs::path& link) {
  std::error_code ec;
  fs::create_symlink(target, link, ec);
  return !ec;
}

// Makes a second name for a file.
inline bool hardLink(const fs::path& existing, const fs::path& name) {
  std::error_code ec;
  fs::create_hard_link(existing, name, ec);
  return !ec;
}

inline std::string quote(const fs::path& path) { return "'" + path.string() + "'"; }

// Files below a folder, as relative paths with "/" (sorted).
inline std::vector<std::string> listTree(const fs::path& root) {
  std::vector<std::string> names;
  if (!fs::exists(root)) return names;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    bool folder = e.is_directory() && !e.is_symlink();
    names.push_back(e.path().lexically_relative(root).generic_string() + (folder ? "/" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Writes a zip with the given entry names and contents through minizip,
// optionally marking entries as symbolic links (Unix mode in the external
// attributes, as Info-ZIP stores them).
inline void makeRawZip(const fs::path& zipPath, const std::vector<std::pair<std::string, std::string>>& entries,
                const std::vector<bool>& links = {}) {
  zipFile zf = zipOpen64(zipPath.string().c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(nullptr, zf);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    zip_fileinfo zi{};
    zi.tmz_date = tm_zip{0, 0, 12, 1, 0, 2020};
    bool link = i < links.size() && links[i];
    if (link) zi.external_fa = (0120777u << 16);
    int versionMadeBy = link ? (3 << 8) : 0;  // Unix
    ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip4_64(zf, entries[i].first.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr,
                                              Z_DEFLATED, 6, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                              nullptr, 0, versionMadeBy, 0, 0));
    zipWriteInFileInZip(zf, entries[i].second.data(), static_cast<unsigned>(entries[i].second.size()));
    zipCloseFileInZip(zf);
  }
  zipClose(zf, nullptr);
}

// Builds tar archives block by block with our own header writer.
struct TarBuilder {
  std::string bytes;

  TarBuilder& add(const std::string& name, const std::string& data = "", char type = '0',
                  const std::string& link = "") {
    TarHeader header;
    header.name = name;
    header.type = type;
    header.size = static_cast<std::int64_t>(data.size());
    header.linkName = link;
    header.mtime = fixedTime();
    char block[kTarBlock];
    tarEncodeHeader(header, block);
    bytes.append(block, kTarBlock);
    bytes += data;
    bytes.append((kTarBlock - data.size() % kTarBlock) % kTarBlock, '\0');
    return *this;
  }
  std::string finish() const {
    std::string out = bytes + std::string(2 * kTarBlock, '\0');
    out.append((kArchiveRecordSize - out.size() % kArchiveRecordSize) % kArchiveRecordSize, '\0');
    return out;
  }
};

// A fresh scratch folder per test, removed afterwards.
class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("qm_archive_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
             std::to_string(qmtest::processId()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path path(const std::string& relative) const { return root_ / relative; }

  // Writes files under src/ with sample contents and the fixed time;
  // returns the names relative to src/.
  std::vector<std::string> makeSources(const std::vector<std::pair<std::string, std::size_t>>& files) {
    std::vector<std::string> names;
    unsigned seed = 1;
    for (const auto& [name, size] : files) {
      writeFile(path("src") / name, sampleData(size, seed++));
      setTime(path("src") / name, fixedTime());
      names.push_back(name);
    }
    return names;
  }

  // Every source file exists under dir (at the same relative name, or flat
  // when flat is set) with the same bytes and time.
  void expectSame(const std::vector<std::string>& names, const fs::path& dir, bool flat) {
    for (const std::string& name : names) {
      fs::path got = dir / (flat ? fs::path(name).filename() : fs::path(name));
      ASSERT_TRUE(fs::exists(got)) << got;
      EXPECT_EQ(readFile(path("src") / name), readFile(got)) << name;
      EXPECT_EQ(fixedTime(), modTime(got)) << name;
    }
  }

  fs::path root_;
};

}  // namespace archive_test
