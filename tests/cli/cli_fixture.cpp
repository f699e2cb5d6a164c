#include "cli_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/sdk_fs.h"
#include "tests/common/project_stub.h"

namespace fs = std::filesystem;

void CliFixture::SetUp() {
  std::string error;
  cups_ = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, QM_PRINTER_SIM, error);
#ifdef _WIN32
  if (!cups_) GTEST_SKIP() << error;
#endif
  ASSERT_TRUE(cups_) << error;
  ASSERT_TRUE(cups_->addSimulated("Tessel_1", disk_[1], pages_[1])) << cups_->lastError();
  ASSERT_TRUE(cups_->addSimulated("Tessel_2", disk_[2], pages_[2])) << cups_->lastError();
  ASSERT_TRUE(cups_->addCapture("Raw_Capture", jobs_)) << cups_->lastError();
  cups_->useForClients();
  SdkString dir;
  ASSERT_EQ(sdkMakeTempDir(dir), 1);
  scratch_ = dir.str();
  // A copy of the sample project and a stub file that points at it.
  tree_ = scratch_ + "/projects";
  fs::copy(std::string(QM_TEST_DATA) + "/sample-project", tree_, fs::copy_options::recursive);
  stub_ = scratch_ + "/tessel/tqfstub.ps";
  sdkMakeDirs(stub_.c_str());
  std::ofstream(stub_) << projectStubText(scratch_, tree_);
  config_ = scratch_ + "/quaymaster.ini";
  writeConfig("", "");
}

void CliFixture::writeConfig(const std::string& moreKeys, const std::string& moreGroups) {
  std::ofstream(config_) << "qmRootDir=" << scratch_ << "\nuseBuiltin=1\nkoroStub=" << stub_
                         << "\nincludeLUS=1\n"
                         << moreKeys << "[printer-groups]\nFloor_2=Tessel_1,tessel_2\n"
                         << moreGroups;
}

void CliFixture::TearDown() {
  cups_.reset();
  std::error_code ec;
  fs::remove_all(scratch_, ec);
}

std::string CliFixture::sampleKpf() const { return tree_ + "/tqfc/Demo/Invoice/Invoice.kpf"; }

CliRun CliFixture::cliBare(std::vector<std::string> args) {
  std::vector<std::string> argv{QM_CLI};
  argv.insert(argv.end(), args.begin(), args.end());
  CliRun r;
  r.status = runProgram(argv, r.output);
  return r;
}

CliRun CliFixture::cli(std::vector<std::string> args) {
  static const char* kLocalOnly[] = {"preview", "--help", "--version", "help"};
  bool takesConfig = !args.empty();
  for (const char* c : kLocalOnly)
    if (!args.empty() && args[0] == c) takesConfig = false;
  std::vector<std::string> argv{QM_CLI};
  argv.insert(argv.end(), args.begin(), args.end());
  if (takesConfig && std::find(args.begin(), args.end(), "--help") == args.end()) {
    argv.push_back("--config");
    argv.push_back(config_);
  }
  CliRun r;
  r.status = runProgram(argv, r.output);
  return r;
}

void CliFixture::waitIdle() {
  if (!waitForEmptyQueues(120000)) ADD_FAILURE() << "jobs still pending after two minutes";
}

PrinterSimulator CliFixture::printer(int n) const {
  PrinterSimOptions o;
  o.diskDir = disk_[n];
  o.pagesDir = pages_[n];
  return PrinterSimulator(o);
}

std::vector<std::string> CliFixture::pages(int n) const {
  std::vector<std::string> p;
  for (const auto& e : fs::directory_iterator(pages_[n])) p.push_back(e.path().string());
  std::sort(p.begin(), p.end());
  return p;
}

std::vector<std::string> CliFixture::capturedJobs() const {
  std::vector<std::string> p;
  for (const auto& e : fs::directory_iterator(jobs_)) p.push_back(e.path().string());
  std::sort(p.begin(), p.end());
  return p;
}

std::string CliFixture::scratchFile(const std::string& name, const std::string& content) const {
  std::string path = scratch_ + "/" + name;
  sdkMakeDirs(path.c_str());
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

bool hasFileStartingWith(const std::vector<DiskFile>& disk, const std::string& prefix) {
  for (const auto& f : disk)
    if (f.name.rfind(prefix, 0) == 0) return true;
  return false;
}

std::string pdfText(const std::string& pdf) {
  std::string text;
  return runProgram({"pdftotext", "-layout", pdf, "-"}, text) == 0 ? text : std::string();
}
