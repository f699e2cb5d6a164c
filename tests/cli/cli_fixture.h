// End-to-end runs of quaymaster-cli against a private CUPS scheduler with
// two simulated Tessel printers (Tessel_1, Tessel_2, group Floor_2) and a
// raw capture queue (Raw_Capture), with a configuration file of its own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/cups/private_cups.h"
#include "tools/printer_sim/printer_simulator.h"

struct CliRun {
  int status = -1;
  std::string output;  // standard output and error together
};

class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs quaymaster-cli with the arguments (the configuration file is added
  // as --config where the command takes it).
  CliRun cli(std::vector<std::string> args);
  // Runs it with exactly these arguments.
  CliRun cliBare(std::vector<std::string> args);
  // Rewrites the configuration file with more root-level keys and more
  // printer groups (lines ending in "\n").
  void writeConfig(const std::string& moreKeys, const std::string& moreGroups);
  // Waits until the scheduler has no unfinished job.
  void waitIdle();
  // The simulated printers' disks.
  PrinterSimulator printer(int n) const;
  std::vector<std::string> pages(int n) const;
  std::vector<std::string> capturedJobs() const;
  // A scratch file with the content.
  std::string scratchFile(const std::string& name, const std::string& content) const;
  // The project file of a copy of the sample project Demo/Invoice; the
  // configuration's stub file points at that copy.
  std::string sampleKpf() const;

  std::unique_ptr<PrivateCups> cups_;
  std::string scratch_, config_, tree_, stub_;
  std::string disk_[3], pages_[3], jobs_;
};

// The text of a PDF page file (pdftotext), or empty.
std::string pdfText(const std::string& pdf);

// True when the disk holds a file whose printer name starts with prefix.
bool hasFileStartingWith(const std::vector<DiskFile>& disk, const std::string& prefix);
