// Helpers of the project SDK tests: temporary trees, files, stub files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/sdk_fs.h"
#include "kpsdk/kx_project.h"
#include "tests/common/test_platform.h"

namespace kxtest {

// A fresh temporary directory, removed with everything below it.
class TempDir {
 public:
  TempDir() {
    SdkString name;
    sdkMakeTempDir(name);
    path_ = name.str();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  // A path below the folder, in the host's separators.
  std::string operator/(const std::string& rel) const { return qmtest::native(path_ + "/" + rel); }

 private:
  std::string path_;
};

inline void writeFile(const std::string& path, const std::string& text) {
  sdkMakeDirs(path.c_str());
  sdkWriteTextFile(path.c_str(), text);
}

inline std::string readFile(const std::string& path) { return sdkReadWholeFile(path.c_str()).value_or("<missing>"); }

// A legacy stub with POSIX directories under root: print-and-forget first,
// then local, folder shared and global shared patterns.
inline std::string legacyStub(const std::string& root) {
  return "%!PS-Adobe-3.0\n% start-up file\n/SETPPATH where { pop } if\n[\n"
         " (" + root + "/kpcpfd/$$FOLDER./$$PROJECT./)\n"
         " (" + root + "/tqfc/$$FOLDER./$$PROJECT./)\n"
         " (" + root + "/tqfc/$$FOLDER./fshared/)\n"
         " (" + root + "/tqfc/gshared/)\n"
         "] SETPPATH\n";
}

// A project over a legacy stub in root/stub.run.
inline std::unique_ptr<KxProject> projectIn(const std::string& root) {
  std::string stub = root + "/stub.run";
  writeFile(stub, legacyStub(root));
  return kxProjectNew(stub);
}

// The folder a print-and-forget opening placed the project's files in: a
// private one below root/kpcpfd, with the folder and project levels below
// it ("root/kpcpfd/_pfXXXXXX/Fold/Proj"); empty when the project is not
// there.
inline std::string printAndForgetDir(const KxProject& p, const std::string& root) {
  const std::string dir = sdkDirPart(p.GetKpfPath());
  // Compared with "/" for either separator: Windows paths carry "\".
  const std::string d = qmtest::slashed(dir);
  const std::string base = qmtest::slashed(root) + "/kpcpfd/_pf";
  const bool below = d.compare(0, base.size(), base) == 0 && d.find('/', base.size()) != std::string::npos &&
                     d.substr(d.find('/', base.size())) == "/" + p.GetFolderName() + "/" + p.GetProjectName();
  return below ? dir : std::string();
}

// Fills the information fields so that validation has nothing to report
// but what a test provokes.
inline void describe(KxProject& p, const std::string& folder = "F1", const std::string& project = "P1") {
  p.SetFolderProjectNames(folder, project);
  p.SetCopyright("(c) Quay");
  p.SetProjectVersion("3");
  p.SetProjectTitle("Title");
  p.SetProjectDescription("Description");
  p.SetAuthor("Author");
  p.SetKeywords("k1 k2");
  p.SetGenerator("tests");
  p.SetCreationDate("2024-01-02");
  p.SetCurrentDate("2024-02-03");
  p.SetCurrentUser("tester");
}

inline std::unique_ptr<KxResource> resource(const std::string& name, const std::string& type, int scope,
                                            const std::string& path) {
  auto r = kxResourceNew();
  r->SetName(name);
  r->SetType(type);
  r->SetScope(scope);
  r->SetPath(path);
  return r;
}

// For the tests that kill a process saving a project: a project of about
// 1.5 MB (so that a save takes a while) written to big.kpf and opened, its
// two versions saved as first.kpf (title "first") and second.kpf, and the
// second saved to saved.kpf, the file the killed saves go to.
struct BigProjectSaves {
  std::unique_ptr<KxProject> project;
  std::string target, first, second;
};
inline void saveBigProject(const TempDir& dir, BigProjectSaves& out) {
  std::string resources;
  for (int i = 0; i < 20000; ++i)
    resources += " <RESOURCE Name='form" + std::to_string(i) + ".frm' Type='frm' Scope='0'/>\n";
  writeFile(dir / "big.kpf",
            "<?xml version='1.0'?>\n<KPF Version='2.0'>\n<INFORMATION>\n <COPYRIGHT>c</COPYRIGHT>\n"
            " <FOLDER_NAME>F</FOLDER_NAME>\n <PROJECT_NAME>P</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
            " <PROJECT_TITLE>T</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>D</PROJECT_DESCRIPTION>\n <AUTHOR>A</AUTHOR>\n"
            " <KEYWORDS>K</KEYWORDS>\n <GENERATOR>G</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n"
            "</INFORMATION>\n<RESOURCES>\n" +
                resources + "</RESOURCES>\n</KPF>\n");
  out.project = projectIn(dir.path());
  KxProject& p = *out.project;
  ASSERT_EQ(p.OpenProject(dir / "big.kpf") & kKxError, 0) << p.GetMessages();
  out.target = dir / "saved.kpf";
  p.SetProjectTitle("first");
  ASSERT_EQ(p.WriteKpf(dir / "first.kpf") & kKxError, 0) << p.GetMessages();
  p.SetProjectTitle("second");
  ASSERT_EQ(p.WriteKpf(dir / "second.kpf") & kKxError, 0);
  out.first = readFile(dir / "first.kpf");
  out.second = readFile(dir / "second.kpf");
  ASSERT_EQ(p.WriteKpf(out.target) & kKxError, 0);
}

}  // namespace kxtest
