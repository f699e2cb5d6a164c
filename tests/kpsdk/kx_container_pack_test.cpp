// Packing projects into containers and unpacking them file by file: each
// resource keeps its own bytes, packing writes nothing but the container,
// the same project gives the same entries wherever it is opened from, and a
// failed packing leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "archive/archive_handler.h"
#include "archive/container_listing.h"
#include "kx_test_util.h"

using kxtest::TempDir;
using kxtest::readFile;
using kxtest::writeFile;

namespace {

// The entry names of a container, in stored order.
std::vector<std::string> entriesOf(const std::string& kpc) {
  std::vector<ContainerEntry> entries;
  EXPECT_EQ(ListContainerEntries(kpc, entries), "");
  std::vector<std::string> names;
  for (const ContainerEntry& e : entries) names.push_back(e.name);
  return names;
}

// Every file below a folder with its bytes.
std::map<std::string, std::string> treeOf(const std::string& dir) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto& e : std::filesystem::recursive_directory_iterator(dir, ec))
    if (e.is_regular_file()) files[e.path().lexically_relative(dir).generic_string()] = readFile(e.path().string());
  return files;
}

// Changes the working directory for one test.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~WorkingDirectory() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

class KxPacking : public ::testing::Test {
 protected:
  // A saved project F/P: a local, a folder-shared and a global-shared file.
  std::unique_ptr<KxProject> saved() {
    auto p = kxtest::projectIn(src_.path());
    kxtest::describe(*p, "F", "P");
    for (const auto& [name, scope] : std::vector<std::pair<std::string, int>>{
             {"a.frm", 0}, {"form.ps", 1}, {"logo.tif", 2}}) {
      std::string path = p->ResolveInScope(scope, name);
      writeFile(path, "bytes of " + name + " in scope " + std::to_string(scope));
      EXPECT_EQ(p->AddResource(kxtest::resource(name, "frm", scope, path)) & kKxError, 0) << p->GetMessages();
    }
    EXPECT_EQ(p->SaveProject() & kKxError, 0) << p->GetMessages();
    return p;
  }
  // The saved project's KPF with a second resource dup.frm in another
  // scope than the first one (the reader takes both).
  std::string withDuplicate(bool globalFirst) {
    auto p = saved();
    const std::string kpf = p->GetKpfPath();
    std::string text = readFile(kpf);
    const std::string local = " <RESOURCE Name='dup.frm' Type='frm' Scope='0'/>\n";
    const std::string global = " <RESOURCE Name='dup.frm' Type='frm' Scope='2'/>\n";
    text.insert(text.find("</RESOURCES>"), globalFirst ? global + local : local + global);
    writeFile(kpf, text);
    writeFile(src_ / "tqfc/F/P/dup.frm", "LOCAL dup");
    writeFile(src_ / "tqfc/gshared/dup.frm", "GLOBAL dup");
    return kpf;
  }
  std::unique_ptr<KxProject> opened(const std::string& kpf) {
    auto p = kxtest::projectIn(src_.path());
    EXPECT_EQ(p->OpenProject(kpf) & kKxError, 0) << p->GetMessages();
    return p;
  }

  TempDir src_, dst_;
};

}  // namespace

TEST_F(KxPacking, ResourcesOfOneNameInTwoScopesKeepTheirOwnBytes) {
  for (bool globalFirst : {false, true}) {
    for (int format : {kArchiveFormatZip, kArchiveFormatTar}) {
      SCOPED_TRACE(std::string(format == kArchiveFormatZip ? "zip" : "tar") + (globalFirst ? ", global first" : ""));
      auto source = opened(withDuplicate(globalFirst));
      ASSERT_EQ(source->GetResourceCount(), 5);
      source->SetArchiveFormat(format);
      const std::string kpc = src_ / "out/dup.kpc";
      ASSERT_EQ(source->CreateContainer(kpc) & kKxError, 0) << source->GetMessages();

      // Installed: each file in its own scope with its own bytes.
      TempDir dst;
      auto p = kxtest::projectIn(dst.path());
      ASSERT_EQ(p->OpenContainer(kpc) & kKxError, 0) << p->GetMessages();
      EXPECT_EQ(readFile(dst / "tqfc/F/P/dup.frm"), "LOCAL dup");
      EXPECT_EQ(readFile(dst / "tqfc/gshared/dup.frm"), "GLOBAL dup");
      EXPECT_EQ(readFile(dst / "tqfc/F/P/a.frm"), "bytes of a.frm in scope 0");

      // One entry after the other, into a fresh tree.
      TempDir single;
      auto q = kxtest::projectIn(single.path());
      ASSERT_EQ(q->InspectContainer(kpc) & kKxError, 0) << q->GetMessages();
      for (int n = 1; n <= q->GetResourceCount(); ++n) EXPECT_EQ(q->ExtractEntry(kpc, n), 0) << q->GetMessages();
      EXPECT_EQ(readFile(single / "tqfc/F/P/dup.frm"), "LOCAL dup");
      EXPECT_EQ(readFile(single / "tqfc/gshared/dup.frm"), "GLOBAL dup");

      // Print-and-forget puts every file at local scope: the local file's
      // name holds the local file's bytes.
      auto r = kxtest::projectIn(dst.path());
      ASSERT_EQ(r->OpenContainerPrintAndForget(kpc) & kKxError, 0) << r->GetMessages();
      const std::string pf = kxtest::printAndForgetDir(*r, dst.path());
      EXPECT_EQ(readFile(pf + "/dup.frm"), "LOCAL dup");
      EXPECT_EQ(readFile(pf + "/form.ps"), "bytes of form.ps in scope 1");
      EXPECT_EQ(r->RemovePrintAndForget(), 0) << r->GetMessages();
    }
  }
}

TEST_F(KxPacking, PackingWritesOnlyTheContainer) {
  auto project = saved();
  const std::string kpf = project->GetKpfPath();
  // A hand-written project file: a comment and an element of another tool.
  std::string text = readFile(kpf);
  text.insert(text.find("<INFORMATION>"), "<!-- kept by hand -->\n<OTHER_TOOL>x</OTHER_TOOL>\n");
  writeFile(kpf, text);
  const auto before = treeOf(src_.path());
  const auto modified = std::filesystem::last_write_time(kpf);

  for (int format : {kArchiveFormatZip, kArchiveFormatTar}) {
    auto p = opened(kpf);
    p->SetArchiveFormat(format);
    const std::string kpc = dst_ / "pack.kpc";
    ASSERT_EQ(p->CreateContainer(kpc) & kKxError, 0) << p->GetMessages();
    EXPECT_EQ(treeOf(src_.path()), before);
    EXPECT_EQ(std::filesystem::last_write_time(kpf), modified);
    EXPECT_EQ(treeOf(dst_.path()).size(), 1u);  // the container alone
  }

  // A read-only project folder is no obstacle (permission bits: POSIX only).
#ifndef _WIN32
  if (geteuid() != 0) {
    const std::string folder = sdkDirPart(kpf);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    auto p = opened(kpf);
    EXPECT_EQ(p->CreateContainer(dst_ / "readonly.kpc") & kKxError, 0) << p->GetMessages();
    chmod(folder.c_str(), 0755);
  }
#endif

  // A container named like the project file or one of its resources is
  // refused, and the file stays.
  auto p = opened(kpf);
  const std::string resource = p->GetResource(0)->GetPath();
  const std::string resourceBytes = readFile(resource);
  EXPECT_EQ(p->CreateContainer(kpf) & kKxError, kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR: Could not create file '" + kpf + "' (it is the project file being packed)");
  EXPECT_EQ(p->CreateContainer(resource) & kKxError, kKxError);
  EXPECT_NE(p->GetMessages().find("tag: 60"), std::string::npos) << p->GetMessages();
  EXPECT_EQ(treeOf(src_.path()), before);
  EXPECT_EQ(readFile(resource), resourceBytes);
}

TEST_F(KxPacking, TheSameProjectGivesTheSameEntriesFromAnyPath) {
  const std::string kpf = saved()->GetKpfPath();
  const std::vector<std::string> expected = {"F/P/P.kpf", "F/P/a.frm", "F/fshared/form.ps", "gshared/logo.tif"};
  for (int format : {kArchiveFormatZip, kArchiveFormatTar}) {
    auto absolute = opened(kpf);
    absolute->SetArchiveFormat(format);
    ASSERT_EQ(absolute->CreateContainer(dst_ / "absolute.kpc") & kKxError, 0) << absolute->GetMessages();
    EXPECT_EQ(entriesOf(dst_ / "absolute.kpc"), expected);

    // The project file named relative to the working directory, with the
    // stub's absolute folders and with folders relative to it too.
    WorkingDirectory here(src_.path());
    writeFile(src_ / "rel.run", kxtest::legacyStub("."));
    for (const std::string& stub : {src_ / "stub.run", std::string("rel.run")}) {
      auto relative = kxProjectNew(stub);
      ASSERT_EQ(relative->OpenProject("tqfc/F/P/P.kpf") & kKxError, 0) << relative->GetMessages();
      relative->SetArchiveFormat(format);
      ASSERT_EQ(relative->CreateContainer("relative.kpc") & kKxError, 0) << relative->GetMessages();
      EXPECT_EQ(entriesOf(src_ / "relative.kpc"), expected) << stub;
    }

    // Read back, the files find their scopes again.
    TempDir dst;
    auto p = kxtest::projectIn(dst.path());
    ASSERT_EQ(p->OpenContainer(src_ / "relative.kpc") & kKxError, 0) << p->GetMessages();
    EXPECT_EQ(readFile(dst / "tqfc/F/fshared/form.ps"), "bytes of form.ps in scope 1");
    EXPECT_EQ(readFile(dst / "tqfc/gshared/logo.tif"), "bytes of logo.tif in scope 2");
    std::filesystem::remove(src_ / "relative.kpc");
  }
}

TEST_F(KxPacking, AFailedPackingLeavesNoContainer) {
  auto p = saved();
  // A tar entry name of 100 characters or more cannot be stored.
  const std::string longName = std::string(100, 'n') + ".frm";
  const std::string path = p->ResolveInScope(0, longName);
  writeFile(path, "long");
  ASSERT_EQ(p->AddResource(kxtest::resource(longName, "frm", 0, path)) & kKxError, 0) << p->GetMessages();
  p->SetArchiveFormat(kArchiveFormatTar);
  writeFile(dst_ / "old.kpc", "the container that was there");
  EXPECT_EQ(p->CreateContainer(dst_ / "old.kpc") & kKxError, kKxError);
  EXPECT_NE(p->GetMessages().find("tag: 70"), std::string::npos) << p->GetMessages();
  EXPECT_EQ(readFile(dst_ / "old.kpc"), "the container that was there");
  EXPECT_EQ(p->CreateContainer(dst_ / "new.kpc") & kKxError, kKxError);
  EXPECT_EQ(treeOf(dst_.path()).size(), 1u);

  // A resource that went missing: nothing is written either.
  p->SetArchiveFormat(kArchiveFormatZip);
  sdkDeleteFile(path.c_str());
  EXPECT_EQ(p->CreateContainer(dst_ / "new.kpc") & kKxError, kKxError);
  EXPECT_EQ(treeOf(dst_.path()).size(), 1u);
}
