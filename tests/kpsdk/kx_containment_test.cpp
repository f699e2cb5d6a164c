// Containment: names read from a container's project file (folder, project
// and resource names, project paths) never lead a write, move or delete out
// of the folders the project SDK chose. Every case opens a zip and a tar
// container the three ways a container is opened (install, print-and-forget
// with its removal, inspection) and checks a sentinel folder beside the
// printer-side tree, the current folder and the temporary folder.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "kpsdk/kx_tree.h"
#include "kx_test_util.h"
#include "tests/common/containers.h"

using kxtest::TempDir;
using kxtest::writeFile;
using qmtest::packContainer;
using qmtest::TempDirVariable;

namespace {

namespace fs = std::filesystem;

struct Res {
  std::string name;
  int scope = 0;
};

std::string kpfText(const std::string& folder, const std::string& project, const std::vector<Res>& resources,
                    const std::string& extra = "") {
  std::string text =
      "<?xml version='1.0'?>\n<KPF Version='2.0'>\n<INFORMATION>\n <COPYRIGHT>c</COPYRIGHT>\n" + extra +
      " <FOLDER_NAME>" + folder + "</FOLDER_NAME>\n <PROJECT_NAME>" + project +
      "</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n <PROJECT_TITLE>T</PROJECT_TITLE>\n"
      " <GENERATOR>G</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n";
  for (const Res& r : resources)
    text += " <RESOURCE Name='" + r.name + "' Type='frm' Scope='" + std::to_string(r.scope) + "'/>\n";
  return text + "</RESOURCES>\n</KPF>\n";
}

}  // namespace

class KxContainment : public ::testing::Test {
 protected:
  // world/ holds stage/ (the stub file's tree), victim/ (the sentinel),
  // src/ (the containers), tmp/ (the temporary folder) and cwd/ (the
  // current folder while containers are opened).
  void SetUp() override {
    QM_NEEDS_PYTHON();
    for (const char* d : {"stage", "victim", "src", "tmp", "cwd"}) fs::create_directories(world_ / d);
    writeFile(world_ / "victim/invoice.frm", "precious");
    writeFile(world_ / "victim/keep.txt", "keep");
    writeFile(world_ / "src/invoice.frm", "container form");
    char buffer[4096];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    oldCwd_ = buffer;
    ASSERT_EQ(chdir((world_ / "cwd").c_str()), 0);
  }
  void TearDown() override {
    if (!oldCwd_.empty()) {
      ASSERT_EQ(chdir(oldCwd_.c_str()), 0);
    }
  }

  // The zip and the tar container of a project file and invoice.frm.
  std::vector<std::string> containers(const std::string& kpf, const std::string& tag) {
    writeFile(world_ / ("src/" + tag + ".kpf"), kpf);
    std::vector<std::string> out;
    for (const char* ext : {".kpc", ".tar"}) {
      const std::string path = world_ / ("src/" + tag + ext);
      packContainer(path, {{"Proj.kpf", world_ / ("src/" + tag + ".kpf")}, {"invoice.frm", world_ / "src/invoice.frm"}});
      out.push_back(path);
    }
    return out;
  }

  // Opens the container the three ways; returns the install's log.
  std::string openAllWays(const std::string& container, bool expectError, const std::string& stub = {}) {
    TempDirVariable tmp(world_ / "tmp");
    auto project = [&] { return stub.empty() ? kxtest::projectIn(world_ / "stage") : kxProjectNew(stub); };
    auto p = project();
    int flags = p->OpenContainer(container);
    EXPECT_EQ(flags & kKxError, expectError ? kKxError : 0) << container << ": " << p->GetMessages();
    const std::string log = p->GetMessages();
    if (stub.empty()) {
      auto q = project();
      flags = q->OpenContainerPrintAndForget(container);
      EXPECT_EQ(flags & kKxError, expectError ? kKxError : 0) << container << ": " << q->GetMessages();
      q->RemovePrintAndForget();
    }
    auto r = project();
    r->InspectContainer(container);
    expectSentinelIntact(container);
    return log;
  }

  void expectSentinelIntact(const std::string& what) {
    EXPECT_EQ(kxtest::readFile(world_ / "victim/invoice.frm"), "precious") << what;
    EXPECT_EQ(qmtest::treeBelow(world_ / "victim"), (std::vector<std::string>{"invoice.frm", "keep.txt"})) << what;
    EXPECT_TRUE(qmtest::treeBelow(world_ / "cwd").empty()) << what << " wrote into the current folder";
    EXPECT_TRUE(qmtest::treeBelow(world_ / "tmp").empty()) << what << " left a temporary folder";
    for (const std::string& top : qmtest::treeBelow(world_.path())) {
      if (top.find('/') != std::string::npos) continue;
      EXPECT_TRUE(top == "stage" || top == "victim" || top == "src" || top == "tmp" || top == "cwd")
          << what << " left " << top;
    }
  }

  TempDir world_;
  std::string oldCwd_;
};

TEST_F(KxContainment, FolderAndProjectNamesThatLeaveTheirFolderAreRefused) {
  // The print-and-forget folder is stage/kpcpfd/F/P: "../.." and "victim"
  // would make it the sentinel folder.
  const std::vector<std::pair<std::string, std::string>> names = {
      {"../..", "victim"}, {"Fold", "../../../victim"}, {"..\\..", "victim"}, {"Fold/../..", "victim"},
      {". .", "victim"},   {"C:", "victim"},            {"Fold", "a/b"},       {"Fold\x01", "Proj"},
  };
  for (const auto& [folder, project] : names) {
    for (const std::string& c : containers(kpfText(folder, project, {{"invoice.frm"}}), "names")) {
      std::string log = openAllWays(c, true);
      EXPECT_NE(log.find("is not a plain folder name"), std::string::npos) << folder << " " << project << ": " << log;
    }
  }
  EXPECT_TRUE(qmtest::treeBelow(world_ / "stage/kpcpfd").empty());
}

TEST_F(KxContainment, ResourceNamesThatLeaveTheProjectAreRefused) {
  // Print-and-forget puts local files in stage/kpcpfd/Fold/Proj; four
  // levels up is world/.
  for (const char* name : {"../../../../victim/invoice.frm", "..\\..\\..\\..\\victim\\invoice.frm", "/victim/invoice.frm",
                           "C:invoice.frm", "sub//invoice.frm", "invoice.frm:stream", "aux.frm", "sub./invoice.frm"}) {
    for (int scope : {0, 2}) {
      for (const std::string& c : containers(kpfText("Fold", "Proj", {{name, scope}}), "res")) {
        std::string log = openAllWays(c, true);
        EXPECT_NE(log.find("is not a plain name inside the project's folders"), std::string::npos) << name << log;
      }
    }
  }
}

TEST_F(KxContainment, ProjectsWithoutFolderOrProjectNameAreNotInstalledInTheCurrentFolder) {
  for (const auto& [folder, project] : std::vector<std::pair<std::string, std::string>>{{"", "Proj"}, {"Fold", ""}}) {
    for (const std::string& c : containers(kpfText(folder, project, {}), "empty")) {
      std::string log = openAllWays(c, true);
      EXPECT_NE(log.find(folder.empty() ? "ERROR: Folder name not specified" : "ERROR: Project name not specified"),
                std::string::npos)
          << log;
    }
  }
}

TEST_F(KxContainment, ProjectPathsOfAContainerAreNotInstalledInto) {
  // A PS project whose own project paths (used with mismatch action 2)
  // name the sentinel folder.
  const std::string stub = world_ / "stage/typed.run";
  writeFile(stub, "%!PS\n% KX_PROJECT_PDLTYPE: PS\n(" + world_ / "stage/ps/$$FOLDER./$$PROJECT./)\n(" +
                      world_ / "stage/ps/$$FOLDER./fshared/)\n(" + world_ / "stage/ps/gshared/) SETPPATH\n");
  const std::string victim = world_ / "victim/";
  const std::string paths = " <PROJECT_TYPE>PS</PROJECT_TYPE>\n";
  std::string kpf = kpfText("Fold", "Proj", {{"invoice.frm", 2}}, paths);
  const std::string at = "<RESOURCES>\n";
  kpf.insert(kpf.find(at) + at.size(), "<PROJECT_PATH Scope='0'>" + victim + "</PROJECT_PATH>\n<PROJECT_PATH Scope='1'>" +
                                           victim + "</PROJECT_PATH>\n<PROJECT_PATH Scope='2'>" + victim +
                                           "</PROJECT_PATH>\n");
  for (const std::string& c : containers(kpf, "paths")) {
    TempDirVariable tmp(world_ / "tmp");
    auto p = kxProjectNew(stub);
    ASSERT_EQ(p->SetPathMismatchAction(2), 0);
    EXPECT_EQ(p->OpenContainer(c) & kKxError, kKxError) << p->GetMessages();
    EXPECT_NE(p->GetMessages().find("Project paths of a container are not used to install it"), std::string::npos)
        << p->GetMessages();
    expectSentinelIntact(c);
    // The stub file's own paths install it.
    auto q = kxProjectNew(stub);
    ASSERT_EQ(q->SetPathMismatchAction(1), 0);
    EXPECT_EQ(q->OpenContainer(c) & kKxError, 0) << q->GetMessages();
    EXPECT_EQ(kxtest::readFile(world_ / "stage/ps/gshared/invoice.frm"), "container form");
    expectSentinelIntact(c);
  }
}

TEST_F(KxContainment, PrintAndForgetRemovesOnlyWhatItPlaced) {
  // Left in the print-and-forget folder before the container is opened:
  // a file the project lists but the container lacks, and one it does
  // not know.
  writeFile(world_ / "stage/kpcpfd/Fold/Proj/missing.frm", "someone's");
  writeFile(world_ / "stage/kpcpfd/Fold/Proj/other.txt", "someone's");
  for (const std::string& c : containers(kpfText("Fold", "Proj", {{"invoice.frm"}, {"missing.frm"}}), "own")) {
    TempDirVariable tmp(world_ / "tmp");
    auto p = kxtest::projectIn(world_ / "stage");
    ASSERT_EQ(p->OpenContainerPrintAndForget(c) & kKxError, 0) << p->GetMessages();
    // The opening has a folder of its own: the file the container lacks is
    // missing, not someone else's.
    const std::string pf = kxtest::printAndForgetDir(*p, world_ / "stage");
    EXPECT_EQ(kxtest::readFile(pf + "/invoice.frm"), "container form");
    EXPECT_EQ(p->GetResource(p->FindResource("missing.frm"))->GetPath(), pf + "/missing.frm");
    EXPECT_FALSE(fs::exists(pf + "/missing.frm"));
    EXPECT_EQ(p->RemovePrintAndForget() & kKxError, 0) << p->GetMessages();
    EXPECT_EQ(qmtest::treeBelow(world_ / "stage/kpcpfd"),
              (std::vector<std::string>{"Fold", "Fold/Proj", "Fold/Proj/missing.frm", "Fold/Proj/other.txt"}));
    expectSentinelIntact(c);
  }
  // In a fresh tree everything it made goes, folders included.
  fs::remove_all(world_ / "stage/kpcpfd");
  for (const std::string& c : containers(kpfText("Fold", "Proj", {{"invoice.frm"}}), "fresh")) {
    TempDirVariable tmp(world_ / "tmp");
    auto p = kxtest::projectIn(world_ / "stage");
    ASSERT_EQ(p->OpenContainerPrintAndForget(c) & kKxError, 0) << p->GetMessages();
    EXPECT_EQ(p->RemovePrintAndForget() & kKxError, 0) << p->GetMessages();
    EXPECT_FALSE(fs::exists(world_ / "stage/kpcpfd")) << c;
  }
}

#ifndef _WIN32  // processes of their own: fork
TEST_F(KxContainment, TwoProcessesPrintingOneContainerKeepTheirOwnFiles) {
  // Two processes open one container for print-and-forget at once; the
  // first removes its files while the second still needs its own.
  const std::string stub = world_ / "stage/stub.run";
  kxtest::projectIn(world_ / "stage");  // writes the stub file
  const std::string opened = world_ / "src/second-opened";
  const std::string removed = world_ / "src/first-removed";
  auto waitFor = [](const std::string& marker) {
    for (int i = 0; i < 30000 && !sdkFileExists(marker.c_str()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return sdkFileExists(marker.c_str()) != 0;
  };
  for (const std::string& c : containers(kpfText("Fold", "Proj", {{"invoice.frm"}}), "shared")) {
    TempDirVariable tmp(world_ / "tmp");
    auto first = kxProjectNew(stub);
    ASSERT_EQ(first->OpenContainerPrintAndForget(c) & kKxError, 0) << first->GetMessages();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      auto second = kxProjectNew(stub);
      if (!second || (second->OpenContainerPrintAndForget(c) & kKxError)) _exit(2);
      const std::string file = second->GetResource(0)->GetPath();
      writeFile(opened, "opened");
      if (!waitFor(removed)) _exit(3);
      // What its job would read is still there, with its bytes.
      if (kxtest::readFile(file) != "container form") _exit(4);
      _exit(second->RemovePrintAndForget() & kKxError ? 5 : 0);
    }
    EXPECT_TRUE(waitFor(opened)) << c;
    EXPECT_EQ(first->RemovePrintAndForget() & kKxError, 0) << first->GetMessages();
    writeFile(removed, "removed");
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c << ": second process ended with " << status;
    // Both removed everything they placed (the root the first one made
    // stays, as the second one still used it when the first was done).
    EXPECT_TRUE(qmtest::treeBelow(world_ / "stage/kpcpfd").empty()) << c;
    fs::remove_all(world_ / "stage/kpcpfd");
    fs::remove(opened);
    fs::remove(removed);
    expectSentinelIntact(c);
  }
}
#endif

TEST_F(KxContainment, ProjectFileIsTheEntryEndingInKpf) {
  // A backup next to the project file, and notes that merely hold ".kpf".
  writeFile(world_ / "src/good.kpf", kpfText("Fold", "Good", {{"invoice.frm"}}));
  writeFile(world_ / "src/bak.kpf", kpfText("Fold", "Backup", {{"invoice.frm"}}));
  writeFile(world_ / "src/notes.txt", "not a project");
  for (const char* ext : {".kpc", ".tar"}) {
    const std::string both = world_ / (std::string("src/both") + ext);
    packContainer(both, {{"notes.kpf.txt", world_ / "src/notes.txt"},
                         {"P.kpf", world_ / "src/good.kpf"},
                         {"P.kpf.bak", world_ / "src/bak.kpf"},
                         {"invoice.frm", world_ / "src/invoice.frm"}});
    openAllWays(both, false);
    auto p = kxtest::projectIn(world_ / "stage");
    EXPECT_EQ(p->InspectContainer(both) & kKxError, 0) << p->GetMessages();
    EXPECT_EQ(p->GetProjectName(), "Good") << ext;
    std::string error;
    EXPECT_EQ(kpsdkPeekContainerProjectType(error, both), 0) << error;

    const std::string notes = world_ / (std::string("src/notes") + ext);
    packContainer(notes, {{"notes.kpf.txt", world_ / "src/notes.txt"}, {"invoice.frm", world_ / "src/invoice.frm"}});
    std::string log = openAllWays(notes, true);
    EXPECT_NE(log.find("Could not find a file with .kpf extension in archive"), std::string::npos) << log;
  }
}

TEST_F(KxContainment, OfSeveralProjectFilesTheFirstOpensWithItsOwnResources) {
  writeFile(world_ / "src/a.kpf", kpfText("Fold", "First", {{"x.frm"}}));
  writeFile(world_ / "src/b.kpf", kpfText("Fold", "Second", {{"x.frm"}}));
  writeFile(world_ / "src/ax.frm", "first form");
  writeFile(world_ / "src/bx.frm", "second form");
  // Two project files of one name, and of two names (the first in mixed
  // case, which the tar side's own match passes over); the other
  // project's files come first.
  const std::vector<std::vector<std::pair<std::string, std::string>>> layouts = {
      {{"A/P.kpf", world_ / "src/a.kpf"},
       {"B/x.frm", world_ / "src/bx.frm"},
       {"B/P.kpf", world_ / "src/b.kpf"},
       {"A/x.frm", world_ / "src/ax.frm"}},
      {{"A/P.Kpf", world_ / "src/a.kpf"},
       {"B/x.frm", world_ / "src/bx.frm"},
       {"A/x.frm", world_ / "src/ax.frm"},
       {"B/Q.kpf", world_ / "src/b.kpf"}}};
  const std::string firstKpf = kxtest::readFile(world_ / "src/a.kpf");
  int n = 0;
  for (const auto& layout : layouts) {
    const std::string kpfName = fs::path(layout[0].first).filename().string();
    for (const char* ext : {".kpc", ".tar"}) {
      const std::string c = world_ / ("src/two" + std::to_string(++n) + ext);
      packContainer(c, layout);
      TempDirVariable tmp(world_ / "tmp");
      auto inspected = kxtest::projectIn(world_ / "stage");
      EXPECT_EQ(inspected->InspectContainer(c) & kKxError, 0) << inspected->GetMessages();
      EXPECT_EQ(inspected->GetProjectName(), "First") << c;

      auto p = kxtest::projectIn(world_ / "stage");
      ASSERT_EQ(p->OpenContainerPrintAndForget(c) & kKxError, 0) << p->GetMessages();
      EXPECT_EQ(p->GetProjectName(), "First") << c;
      const std::string pf = kxtest::printAndForgetDir(*p, world_ / "stage");
      EXPECT_EQ(kxtest::readFile(pf + "/x.frm"), "first form") << c;
      EXPECT_EQ(kxtest::readFile(pf + "/" + kpfName), firstKpf) << c;
      EXPECT_EQ(p->RemovePrintAndForget() & kKxError, 0) << p->GetMessages();

      // Installed: the other project's file neither replaces this one's
      // nor joins it in the project's directory.
      auto q = kxtest::projectIn(world_ / "stage");
      ASSERT_EQ(q->OpenContainer(c) & kKxError, 0) << q->GetMessages();
      EXPECT_EQ(qmtest::treeBelow(world_ / "stage/tqfc/Fold/First"), (std::vector<std::string>{kpfName, "x.frm"}))
          << c;
      EXPECT_EQ(kxtest::readFile(world_ / "stage/tqfc/Fold/First/x.frm"), "first form") << c;
      EXPECT_EQ(kxtest::readFile(world_ / ("stage/tqfc/Fold/First/" + kpfName)), firstKpf) << c;
      fs::remove_all(world_ / "stage/tqfc");
      expectSentinelIntact(c);
    }
  }
}

TEST_F(KxContainment, ALocalResourceThatCannotBePlacedIsAnError) {
  // A folder stands where the local resource must go.
  fs::create_directories(world_ / "stage/tqfc/Fold/Proj/invoice.frm/inside");
  for (const std::string& c : containers(kpfText("Fold", "Proj", {{"invoice.frm"}}), "blocked")) {
    TempDirVariable tmp(world_ / "tmp");
    auto p = kxtest::projectIn(world_ / "stage");
    EXPECT_EQ(p->OpenContainer(c) & kKxError, kKxError) << p->GetMessages();
    EXPECT_NE(p->GetMessages().find("Could not create file '" + world_ / "stage/tqfc/Fold/Proj/invoice.frm"),
              std::string::npos)
        << p->GetMessages();
    expectSentinelIntact(c);
  }
}
