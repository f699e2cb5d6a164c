// Helpers of the project job tests: a local Tessel folder whose start-up
// file points the project scopes into a scratch tree, and projects written
// into it as KPF files with their resource files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "krm_test_util.h"

namespace krmtest {

struct TestResource {
  TestResource(std::string n, std::string t, int s, std::string c, std::string e = "")
      : name(std::move(n)), type(std::move(t)), scope(s), content(std::move(c)), extra(std::move(e)) {}
  std::string name;
  std::string type;
  int scope = 0;
  std::string content;
  std::string extra;  // more attributes, e.g. "SubmissionOrder='1'"
};

// A scratch tree: koro/src/tqfdos.run (SETPPATH: print-and-forget, local,
// folder-shared and global-shared directories under the tree) and the
// project folders tqfc/<folder>/<project>/, tqfc/<folder>/fshared/,
// tqfc/gshared/.
class ProjectJobTest : public StartedLibrary {
 protected:
  void SetUp() override {
    StartedLibrary::SetUp();
    koro_ = dir_ / "koro/";
    writeFile(startupFile(), startupText(""));
    vos_->krmVOSSetOutputPath(out_.c_str());
    vos_->krmVOSSetFlags(0x8000);
    pps_->krmPPSSetKOROPath(koro_.c_str());
  }

  std::string startupFile() const { return koro_ + "src/tqfdos.run"; }
  // A start-up file that runs the given lines and sets the project paths.
  std::string startupText(const std::string& runLines) const {
    const std::string& r = dir_.path();
    return "%!PS\n% Tessel start-up\n" + runLines +
           "TQFdict begin\n"
           "[ (" + r + "/kpcpfd/$$FOLDER./$$PROJECT./)\t% print and forget\n"
           "  (" + r + "/tqfc/$$FOLDER./$$PROJECT./)\n"
           "  (" + r + "/tqfc/$$FOLDER./fshared/)\n"
           "  (" + r + "/tqfc/gshared/)\n"
           "] SETPPATH\nend\n";
  }

  std::string scopeDir(int scope, const std::string& folder, const std::string& project) const {
    if (scope == 1) return dir_ / ("tqfc/" + folder + "/fshared/");
    if (scope == 2) return dir_ / "tqfc/gshared/";
    return dir_ / ("tqfc/" + folder + "/" + project + "/");
  }
  std::string resourcePath(const TestResource& r) const { return scopeDir(r.scope, folder_, project_) + r.name; }

  static std::string kpfText(const std::string& folder, const std::string& project,
                             const std::vector<TestResource>& resources, const std::string& type = "KORO") {
    std::string text =
        "<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n<INFORMATION>\n"
        " <COPYRIGHT>(c) Q</COPYRIGHT>\n <PROJECT_TYPE>" + type + "</PROJECT_TYPE>\n"
        " <FOLDER_NAME>" + folder + "</FOLDER_NAME>\n <PROJECT_NAME>" + project + "</PROJECT_NAME>\n"
        " <PROJECT_VERSION>1</PROJECT_VERSION>\n <PROJECT_TITLE>T</PROJECT_TITLE>\n"
        " <PROJECT_DESCRIPTION>D</PROJECT_DESCRIPTION>\n <AUTHOR>A</AUTHOR>\n <KEYWORDS>K</KEYWORDS>\n"
        " <GENERATOR>G</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n";
    for (const TestResource& r : resources)
      text += " <RESOURCE Name='" + r.name + "' Type='" + r.type + "' Scope='" + std::to_string(r.scope) + "' " +
              r.extra + "/>\n";
    return text + "</RESOURCES>\n</KPF>\n";
  }

  // Writes the resource files and the KPF into the project's local
  // directory; the job will open it as a project file (mode 2002).
  std::string makeProject(const std::vector<TestResource>& resources, const std::string& type = "KORO") {
    for (const TestResource& r : resources) writeFile(resourcePath(r), r.content);
    kpf_ = scopeDir(0, folder_, project_) + project_ + ".kpf";
    writeFile(kpf_, kpfText(folder_, project_, resources, type));
    pps_->krmPPSSetProcessingMode(2002);
    pps_->krmPPSSetProjectFile(kpf_.c_str());
    return kpf_;
  }

  std::string output() const { return readFile(out_); }
  bool outputExists() const { return fs::exists(out_); }
  // Called before a job: what is at the output then.
  void notePreviousOutput() { previous_ = fs::exists(out_) ? readFile(out_) : std::string("<none>"); }
  // A failed job leaves the output as it was before it.
  bool outputKept() const { return (fs::exists(out_) ? readFile(out_) : std::string("<none>")) == previous_; }
  std::string previous_;

  std::string koro_;
  std::string folder_ = "F";
  std::string project_ = "P";
  std::string kpf_;
  std::unique_ptr<krmPPS> pps_ = krmNewPPS();
  std::unique_ptr<krmVOS> vos_ = krmNewVOS();
  std::string out_ = dir_ / "out/job.ps";
};

}  // namespace krmtest
