// Shared pieces of the operation tests: a started job library, a private
// configuration file, and a spooler that records what it was given.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/sdk_fs.h"
#include "delivery/send_job.h"
#include "ops/operation.h"
#include "tests/common/test_platform.h"

class RecordingSpooler : public Spooler {
 public:
  std::vector<std::string> printers{"P1", "P2"};
  struct Job {
    std::string title, printer, content;
  };
  std::vector<Job> jobs;

  std::vector<std::string> EnumeratePrinters() override { return printers; }
  bool WriteFileToPrinter(const std::string& docName, const std::string& filePath,
                          const std::string& printerName) override {
    auto content = sdkReadWholeFile(filePath.c_str());
    jobs.push_back({docName, printerName, content ? *content : ""});
    return content.has_value();
  }
};

// A temporary folder with a quaymaster.ini and a context that sends to a
// RecordingSpooler.
class OpsFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Replaces the configuration file's content.
  void writeConfig(const std::string& ini);
  // A path in the folder, in the host's separators.
  std::string path(const std::string& rel) const { return qmtest::native(dir_ + "/" + rel); }
  // Number of files in the temporary folder starting with "krm".
  int leftoverJobFiles() const;

  std::string dir_;
  RecordingSpooler spooler_;
  std::vector<std::string> groups_;
  OpContext ctx_;
};
