// Writing KPF files: the exact text, round trips, and safe replacement.
#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "kpsdk/kx_tree.h"
#include "kx_test_util.h"

using kxtest::TempDir;
using kxtest::writeFile;

namespace {

const char* kTypedStub =
    "% KX_PROJECT_PDLTYPE: PS\n(@/ps/$$FOLDER./$$PROJECT./)\n(@/ps/$$FOLDER./fshared/)\n(@/ps/gshared/) SETPPATH\n"
    "% KX_PROJECT_PDLTYPE: PDF\n(@/pdf/$$FOLDER./$$PROJECT./)\n(@/pdf/$$FOLDER./fshared/)\n(@/pdf/gshared/) SETPPATH\n"
    "% KX_PROJECT_PDLTYPE: PPML-GA\n(@/pg/$$FOLDER./$$PROJECT./)\n(@/pg/$$FOLDER./fshared/)\n(@/pg/gshared/) SETPPATH\n";

// A resource name with XML's special characters, and how the file writes
// it; Windows file names cannot hold <, > or ".
#ifdef _WIN32
const char* const kEntityName = "all & 'entity' char.ps";
const char* const kEntityXml = "all &amp; &apos;entity&apos; char.ps";
#else
const char* const kEntityName = "all & <every> 'entity' \"char\".ps";
const char* const kEntityXml = "all &amp; &lt;every&gt; &apos;entity&apos; &quot;char&quot;.ps";
#endif

// Adds a resource whose file exists where its scope resolves it.
KxResource* add(KxProject& p, const std::string& name, const std::string& type, int scope,
                void (*fill)(KxResource&) = nullptr) {
  auto r = kxResourceNew();
  r->SetName(name);
  r->SetType(type);
  r->SetScope(scope);
  r->SetPath(p.ResolveInScope(scope, name));
  if (fill) fill(*r);
  writeFile(r->GetPath(), name);
  EXPECT_EQ(p.AddResource(std::move(r)) & kKxError, 0) << p.GetMessages();
  return p.GetResource(p.FindResource(name));
}

// The first sample project: KORO, every scope, ordered tickets, recorded
// modifications, attributes, PRIVATE sections, names with every entity
// character.
std::unique_ptr<KxProject> koroProject(const TempDir& dir) {
  auto p = kxtest::projectIn(dir.path());
  kxtest::describe(*p);
  p->SetRecordModifications(1);
  add(*p, "logo.tif", "img", 0, [](KxResource& r) {
    r.SetDescription("Logo <main> & 'co' \"x\"");
    r.SetMime("image/tiff");
    r.SetPreCaching("1");
    r.SetAttribute("Color", "red");
  });
  add(*p, "s1.ps", "sub", 0, [](KxResource& r) { r.SetSubmissionOrder(1); });
  add(*p, "t1.jdf", "jtk", 0, [](KxResource& r) {
    r.SetJobTicketOrder(1);
    r.SetMime("application/jdf");
  });
  add(*p, "font.pfb", "fnt", 2);
  p->SetPrivateSection("vendor", "\n<x a='1'/>\n");
  return p;
}

const char* kKoroText =
    "<?xml version='1.0' encoding='ISO-8859-1'?>\n"
    "<KPF Version='2.0'>\n"
    "\n"
    "<INFORMATION>\n"
    " <COPYRIGHT>(c) Quay</COPYRIGHT>\n"
    " <PROJECT_TYPE>KORO</PROJECT_TYPE>\n"
    " <FOLDER_NAME>F1</FOLDER_NAME>\n"
    " <PROJECT_NAME>P1</PROJECT_NAME>\n"
    " <PROJECT_VERSION>3</PROJECT_VERSION>\n"
    " <PROJECT_TITLE>Title</PROJECT_TITLE>\n"
    " <PROJECT_DESCRIPTION>Description</PROJECT_DESCRIPTION>\n"
    " <AUTHOR>Author</AUTHOR>\n"
    " <KEYWORDS>k1 k2</KEYWORDS>\n"
    " <GENERATOR>tests</GENERATOR>\n"
    " <CREATION_DATE>2024-01-02</CREATION_DATE>\n"
    "</INFORMATION>\n"
    "\n"
    "<RESOURCES>\n"
    " <RESOURCE Name='logo.tif' Type='img' Scope='0' Description='Logo &lt;main&gt; &amp; &apos;co&apos; "
    "&quot;x&quot;' Mime='image/tiff' Color='red'/>\n"
    " <RESOURCE Name='s1.ps' Type='sub' Scope='0' SubmissionOrder='1'/>\n"
    " <RESOURCE Name='t1.jdf' Type='jtk' Scope='0' JobTicketOrder='1' Mime='application/jdf'/>\n"
    " <RESOURCE Name='font.pfb' Type='fnt' Scope='2'/>\n"
    "</RESOURCES>\n"
    "\n"
    "<MODIFICATIONS>\n"
    " <MODIFICATION>\n"
    "  <DATE>2024-02-03</DATE>\n"
    "  <USER>tester</USER>\n"
    "  <ACTIONS>\n"
    "   <ACTION>Add &apos;img&apos; file &apos;logo.tif&apos;</ACTION>\n"
    "   <ACTION>Add &apos;sub&apos; file &apos;s1.ps&apos;</ACTION>\n"
    "   <ACTION>Add &apos;jtk&apos; file &apos;t1.jdf&apos;</ACTION>\n"
    "   <ACTION>Add &apos;fnt&apos; file &apos;font.pfb&apos;</ACTION>\n"
    "  </ACTIONS>\n"
    " </MODIFICATION>\n"
    "</MODIFICATIONS>\n"
    "\n"
    "<PRIVATE Identifier='vendor'>\n"
    "<x a='1'/>\n"
    "</PRIVATE>\n"
    "\n"
    "</KPF>\n";

// A project of type 1..3 with project paths and tickets by ID.
std::unique_ptr<KxProject> typedProject(const TempDir& dir, int type) {
  std::string stub = kTypedStub;
  for (std::size_t at; (at = stub.find('@')) != std::string::npos;) stub.replace(at, 1, dir.path());
  writeFile(dir / "typed.run", stub);
  auto p = kxProjectNew(dir / "typed.run");
  kxtest::describe(*p, "Fo<l>der", "Pro'ject");
  p->SetEncoding("");
  p->SetPathMismatchAction(2);
  p->SetProjectPaths((dir / "kpf/local").c_str(), (dir / "kpf/folder").c_str(), (dir / "kpf/global").c_str());
  p->SetProjectType(type);
  EXPECT_EQ(p->GetMessageFlags() & kKxError, 0) << p->GetMessages();
  add(*p, kEntityName, "sub", 0, [](KxResource& r) {
    r.SetSubmissionOrder(2);
    r.SetJobTicketId(11);
  });
  add(*p, "ticket.jdf", "jtk", 1, [](KxResource& r) {
    r.SetJobTicketId(11);
    r.SetMime("text/xml");
    r.SetDescription("per-ID ticket");
  });
  add(*p, "g.ttf", "fnt", 2, [](KxResource& r) { r.SetAttribute("Weight", "bold"); });
  return p;
}

void expectSameValues(const KxProject& a, const KxProject& b) {
  EXPECT_EQ(a.GetProjectType(), b.GetProjectType());
  EXPECT_EQ(a.GetFolderName(), b.GetFolderName());
  EXPECT_EQ(a.GetProjectName(), b.GetProjectName());
  EXPECT_EQ(a.GetCopyright(), b.GetCopyright());
  EXPECT_EQ(a.GetEncoding(), b.GetEncoding());
  for (int s = 0; s < 3; ++s) EXPECT_EQ(a.GetScopePatterns(s), b.GetScopePatterns(s));
  EXPECT_STREQ(a.GetLocalProjectPath(), b.GetLocalProjectPath());
  EXPECT_STREQ(a.GetGlobalProjectPath(), b.GetGlobalProjectPath());
  ASSERT_EQ(a.GetResourceCount(), b.GetResourceCount());
  for (int i = 0; i < a.GetResourceCount(); ++i) {
    const KxResource& x = *a.GetResource(i);
    const KxResource& y = *b.GetResource(i);
    EXPECT_EQ(x.GetName(), y.GetName());
    EXPECT_EQ(x.GetPath(), y.GetPath());
    EXPECT_EQ(x.GetType(), y.GetType());
    EXPECT_EQ(x.GetScope(), y.GetScope());
    EXPECT_EQ(x.GetDescription(), y.GetDescription());
    EXPECT_EQ(x.GetMime(), y.GetMime());
    EXPECT_EQ(x.GetSubmissionOrder(), y.GetSubmissionOrder());
    EXPECT_EQ(x.GetJobTicketOrder(), y.GetJobTicketOrder());
    EXPECT_EQ(x.GetJobTicketId(), y.GetJobTicketId());
    EXPECT_EQ(x.GetJobTicketName(), y.GetJobTicketName());
    ASSERT_EQ(x.GetAttributes().size(), y.GetAttributes().size());
    for (std::size_t k = 0; k < x.GetAttributes().size(); ++k)
      EXPECT_EQ(x.GetAttributes()[k].value, y.GetAttributes()[k].value);
  }
  ASSERT_EQ(a.GetPrivateSections().size(), b.GetPrivateSections().size());
  for (std::size_t k = 0; k < a.GetPrivateSections().size(); ++k)
    EXPECT_EQ(a.GetPrivateSections()[k].content, b.GetPrivateSections()[k].content);
}

// Writes p, reads it into a fresh project over the same stub, writes that
// again; both texts must be the same.
void roundTrip(const TempDir& dir, KxProject& p, const std::string& stub) {
  const std::string first = dir / "first.kpf", second = dir / "second.kpf";
  ASSERT_EQ(p.WriteKpf(first) & kKxError, 0) << p.GetMessages();
  auto q = kxProjectNew(stub);
  q->SetPathMismatchAction(p.GetPathMismatchAction());
  ASSERT_EQ(q->OpenProject(first) & kKxError, 0) << q->GetMessages();
  ASSERT_EQ(q->WriteKpf(second) & kKxError, 0) << q->GetMessages();
  EXPECT_EQ(kxtest::readFile(first), kxtest::readFile(second));
  expectSameValues(p, *q);
  for (int i = 0; i < q->GetResourceCount(); ++i) EXPECT_EQ(q->GetResource(i)->GetPreCaching(), "");
  EXPECT_EQ(q->GetKpfVersion(), "2.0");
}

}  // namespace

TEST(KpfWriter, CanonicalTextByteForByte) {
  TempDir dir;
  auto p = koroProject(dir);
  EXPECT_EQ(p->WriteKpf(dir / "out.kpf"), 0) << p->GetMessages();
  EXPECT_EQ(kxtest::readFile(dir / "out.kpf"), kKoroText);
  EXPECT_EQ(p->GetKpfVersion(), "2.0");
}

TEST(KpfWriter, RoundTripsKeepBytesAndValues) {
  TempDir dir;
  auto koro = koroProject(dir);
  roundTrip(dir, *koro, dir / "stub.run");
  for (int type : {kKxTypePs, kKxTypePdf, kKxTypePpmlGa}) {
    SCOPED_TRACE(type);
    TempDir typedDir;
    auto p = typedProject(typedDir, type);
    roundTrip(typedDir, *p, typedDir / "typed.run");
    std::string text = kxtest::readFile(typedDir / "first.kpf");
    EXPECT_EQ(text.rfind("<?xml version='1.0'?>\n", 0), 0u);
    // Project paths are kept with forward slashes.
    std::string global = typedDir / "kpf/global/";
    std::replace(global.begin(), global.end(), '\\', '/');
    EXPECT_NE(text.find(" <PROJECT_PATH Scope='2'>" + global + "</PROJECT_PATH>\n"), std::string::npos);
    EXPECT_NE(text.find("<RESOURCE Name='" + std::string(kEntityXml) +
                        "' Type='sub' Scope='0' SubmissionOrder='2' JobTicketID='11'/>"),
              std::string::npos);
    EXPECT_EQ(text.find("<MODIFICATIONS>"), std::string::npos);
  }
}

TEST(KpfWriter, ValidationErrorsPreventWriting) {
  TempDir dir;
  auto p = kxtest::projectIn(dir.path());
  kxtest::describe(*p);
  writeFile(dir / "a.kpf", "old");
  // A ticket without a submission file of its order.
  add(*p, "t.jdf", "jtk", 0, [](KxResource& r) { r.SetMime("text/plain"); });
  EXPECT_EQ(p->WriteKpf(dir / "a.kpf"), kKxError);
  EXPECT_EQ(p->GetMessages(),
            "ERROR: KPF has at least one job ticket, but job ticket count does not equal submission file count: '1' "
            "vs '0'");
  EXPECT_EQ(kxtest::readFile(dir / "a.kpf"), "old");
  p->RemoveResource(*p->GetResource(0));

  // KORO projects take no project paths: the write is refused.
  p->SetProjectPaths("/a", "/b", "/c");
  p->ClearMessages();
  EXPECT_EQ(p->WriteKpf(dir / "a.kpf") & kKxError, kKxError);
  EXPECT_NE(p->GetMessages().find("ERROR: Project paths may not be specified for projects of type 'KORO'"),
            std::string::npos);
  EXPECT_EQ(kxtest::readFile(dir / "a.kpf").find("PROJECT_PATH"), std::string::npos);
}

TEST(KpfWriter, SaveProjectStartsANewModification) {
  TempDir dir;
  auto p = koroProject(dir);
  ASSERT_EQ(p->SaveProject(), 0) << p->GetMessages();
  EXPECT_EQ(p->GetKpfPath(), dir / "tqfc/F1/P1/P1.kpf");
  EXPECT_FALSE(p->IsModified());
  EXPECT_EQ(p->GetModificationCount(), 1);
  EXPECT_EQ(p->GetCurrentModification().GetActionCount(), 0);
  EXPECT_EQ(p->GetCurrentModification().GetDate(), "2024-02-03");
  EXPECT_EQ(kxtest::readFile(p->GetKpfPath()), kKoroText);
}

#ifndef _WIN32
// The file size limit stands in for a full disk and for a crash mid-write.
TEST(KpfWriter, FailedWriteLeavesThePreviousFile) {
  TempDir dir;
  const std::string path = dir / "project.kpf";
  writeFile(path, "previous contents\n");
  auto p = koroProject(dir);

  // The file system refuses to grow a file past 100 bytes.
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &small);
  int flags = p->WriteKpf(path);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(flags & kKxError, kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR: Could not create file '" + path + "' (File too large)");
  EXPECT_EQ(p->GetMessageRecords(),
            "ERROR,40,2," + path + ",\"File too large\",\"Could not create file '%s' (%s)\"");
  EXPECT_EQ(kxtest::readFile(path), "previous contents\n");
  for (const std::string& f : kxListFiles(dir.path())) EXPECT_EQ(f.find(".tmp"), std::string::npos) << f;
}

TEST(KpfWriter, ProcessKilledWhileSavingLeavesThePreviousFile) {
  TempDir dir;
  const std::string path = dir / "project.kpf";
  writeFile(path, "previous contents\n");
  auto p = koroProject(dir);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Dies with SIGXFSZ in the middle of the write.
    signal(SIGXFSZ, SIG_DFL);
    struct rlimit small;
    getrlimit(RLIMIT_FSIZE, &small);
    small.rlim_cur = 200;
    setrlimit(RLIMIT_FSIZE, &small);
    p->WriteKpf(path);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(kxtest::readFile(path), "previous contents\n");
  // The next save completes the file.
  EXPECT_EQ(p->WriteKpf(path), 0);
  EXPECT_EQ(kxtest::readFile(path), kKoroText);
}

#endif

TEST(KpfWriter, UnwritableFolderIsReported) {
  TempDir dir;
  auto p = koroProject(dir);
  std::string path = dir / "no/such/folder/p.kpf";
  EXPECT_EQ(p->WriteKpf(path), kKxError);
#ifdef _WIN32
  // The reason is the system's own text ("The directory name is invalid").
  EXPECT_EQ(p->GetMessages().rfind("ERROR: Could not create file '" + path + "' (", 0), 0u) << p->GetMessages();
#else
  EXPECT_EQ(p->GetMessages(), "ERROR: Could not create file '" + path + "' (No such file or directory)");
#endif
}
