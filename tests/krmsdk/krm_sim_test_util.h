// End-to-end helpers: jobs written by the library, run on a simulated
// printer whose disk lives in a scratch directory.
#pragma once

#ifdef QM_HAVE_PRINTER_SIM

#include "krm_test_util.h"
#include "tests/common/needs_ghostscript.h"
#include "tools/printer_sim/printer_simulator.h"

namespace krmtest {

class SimulatedPrinter : public StartedLibrary {
 protected:
  void SetUp() override {
    QM_REQUIRE_GHOSTSCRIPT();
    StartedLibrary::SetUp();
    options_.diskDir = dir_ / "disk";
    options_.pagesDir = dir_ / "pages";
    vos_->krmVOSSetFlags(0x8000);
  }
  PrinterSimulator printer() const { return PrinterSimulator(options_); }
  // A fresh output path for the next job.
  krmVOS* output(const std::string& name) {
    jobPath_ = dir_ / (name + ".ps");
    vos_->krmVOSSetOutputPath(jobPath_.c_str());
    return vos_.get();
  }
  PrinterSimResult runJob() const { return printer().run(jobPath_); }
  PrinterSimResult runText(const std::string& name, const std::string& text) {
    std::string path = dir_ / (name + ".ps");
    writeFile(path, text);
    return printer().run(path);
  }
  std::vector<std::string> diskNames() const {
    std::vector<std::string> names;
    for (const DiskFile& f : printer().listDisk()) names.push_back(f.name);
    return names;
  }
  bool onDisk(const std::string& name) const { return printer().readFile(name).has_value(); }

  PrinterSimOptions options_;
  std::unique_ptr<krmVOS> vos_ = krmNewVOS();
  std::string jobPath_;
};

}  // namespace krmtest

#endif
