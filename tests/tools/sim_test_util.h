// Shared pieces of the printer simulator tests: a scratch printer (disk and
// pages in a temporary directory) and a builder for hand-made jobs that
// carry the disk prolog and transfer commands.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/sdk_fs.h"
#include "tests/common/needs_ghostscript.h"
#include "tools/printer_sim/printer_simulator.h"

namespace simtest {

// Every byte value, repeated to the given size.
inline std::string allBytes(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return data;
}

// Upper-case hexadecimal, 1024 digits a line, no line break after the last.
inline std::string hex(std::string_view data) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i > 0 && i % 512 == 0) out += '\n';
    unsigned char c = static_cast<unsigned char>(data[i]);
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// ASCII85 with the "z" rule, 128 groups a line, ended by "~>\n".
inline std::string ascii85(std::string_view data) {
  std::string out;
  std::size_t groups = 0;
  for (std::size_t i = 0; i < data.size(); i += 4) {
    std::size_t k = std::min<std::size_t>(4, data.size() - i);
    std::uint32_t v = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      v = (v << 8) | (j < k ? static_cast<unsigned char>(data[i + j]) : 0u);
    }
    if (k == 4 && v == 0) {
      out += 'z';
    } else {
      char five[5];
      for (int j = 4; j >= 0; --j) {
        five[j] = static_cast<char>('!' + v % 85);
        v /= 85;
      }
      out.append(five, k + 1);
    }
    if (++groups % 128 == 0) out += '\n';
  }
  return out + "~>\n";
}

inline std::string readSource(const char* relative) {
  auto text = sdkReadWholeFile((std::string(QM_SOURCE_DIR) + "/" + relative).c_str());
  return text ? *text : std::string();
}

// A job: header, the disk prolog, the date line, then commands.
class Job {
 public:
  Job() {
    text_ = "%!\n%%Title: test job\n%%Creator: tests\n%%EndComments\n\n";
    text_ += readSource("krmsdk/ps/krmprolog.ps");
    text_ += "\n/DATE (01/02/25 10:20:30) def\n";
  }
  // A bare job without the prolog.
  static Job bare(std::string_view text) {
    Job job;
    job.text_ = std::string(text);
    return job;
  }
  Job& hexLoad(std::string_view target, std::string_view data, std::string_view options) {
    text_ += "\n\n" + std::to_string(data.size()) + " (" + std::string(target) + ") " + std::string(options) +
             " load_file\n" + hex(data);
    return *this;
  }
  Job& a85Load(std::string_view target, std::string_view data, std::string_view options) {
    text_ += "\n\n0 (" + std::string(target) + ") " + std::string(options) + " load_file\n" + ascii85(data);
    return *this;
  }
  Job& add(std::string_view text) {
    text_ += text;
    return *this;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// A printer with its own disk and pages directories, removed afterwards.
class SimPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QM_REQUIRE_GHOSTSCRIPT();
    SdkString dir;
    ASSERT_TRUE(sdkMakeTempDir(dir));
    root_ = dir.str();
    options_.diskDir = sdkJoinPath(root_, "disk");
    options_.pagesDir = sdkJoinPath(root_, "pages");
  }
  // QM_KEEP_SIM_TESTS=1 keeps the directories for a look at the pages.
  void TearDown() override {
    if (const char* keep = std::getenv("QM_KEEP_SIM_TESTS"); keep != nullptr && *keep == '1') {
      std::printf("kept: %s\n", root_.c_str());
      return;
    }
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  PrinterSimulator printer() const { return PrinterSimulator(options_); }
  std::string path(std::string_view name) const { return sdkJoinPath(root_, name); }

  // Writes the job under name and runs it.
  PrinterSimResult run(const Job& job, std::string_view name = "job") const {
    std::string file = path(std::string(name) + ".ps");
    EXPECT_EQ(sdkWriteTextFile(file.c_str(), job.text()), 1);
    return printer().run(file);
  }

  std::string root_;
  PrinterSimOptions options_;
};

}  // namespace simtest
