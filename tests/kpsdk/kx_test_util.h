// Helpers of the project SDK tests: temporary trees, files, stub files.
#pragma once

#include <filesystem>
#include <string>

#include "base/sdk_fs.h"
#include "kpsdk/kx_project.h"

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
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

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
  const std::string base = root + "/kpcpfd/_pf";
  const bool below = dir.compare(0, base.size(), base) == 0 &&
                     dir.find('/', base.size()) != std::string::npos &&
                     dir.substr(dir.find('/', base.size())) == "/" + p.GetFolderName() + "/" + p.GetProjectName();
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

}  // namespace kxtest
