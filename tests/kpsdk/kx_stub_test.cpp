// Stub files (legacy SETPPATH and typed blocks), path normalisation and
// the reconciliation of KPF project paths with the stub's.
#include <gtest/gtest.h>

#include "kx_test_util.h"

using kxtest::TempDir;
using kxtest::writeFile;

namespace {

std::unique_ptr<KxProject> projectWithStub(const TempDir& dir, const std::string& text) {
  std::string path = dir / "stub.run";
  writeFile(path, text);
  return kxProjectNew(path);
}

std::string normalised(std::string p) {
  KxProject::NormalisePath(p);
  return p;
}

const char* kTypedStub =
    "%!PS\n"
    "% KX_PROJECT_PDLTYPE: PS\n"
    "(/srv/pdl/ps/$$FOLDER./$$PROJECT./)\n"
    "(/srv/pdl/ps/$$FOLDER./fshared/)\n"
    "(/srv/pdl/ps/gshared/) SETPPATH\n"
    "% KX_PROJECT_PDLTYPE: PDF\n"
    "(%os%\\C\\pdl\\pdf\\$$FOLDER.\\$$PROJECT.\\)\n"
    "(%os%\\C\\pdl\\pdf\\$$FOLDER.\\fshared\\)\n"
    "(%os%\\C\\pdl\\pdf\\gshared\\) SETPPATH\n";

}  // namespace

TEST(KxStub, MissingStubGivesNoProject) { EXPECT_EQ(kxProjectNew("/nonexistent/stub.run"), nullptr); }

TEST(KxStub, LegacyPosixStubGivesPatternsAndPrintAndForgetPath) {
  TempDir dir;
  auto p = kxtest::projectIn(dir.path());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetMessages(), "");
  EXPECT_EQ(p->GetPrintAndForgetPath(), dir / "kpcpfd/$$FOLDER./$$PROJECT.");
  EXPECT_EQ(p->GetRawSetppath(), dir / "tqfc/$$FOLDER./$$PROJECT.|" + dir / "tqfc/$$FOLDER./fshared|" +
                                     dir / "tqfc/gshared|");
  p->SetFolderProjectNames("F", "P");
  EXPECT_EQ(p->GetScopePatterns(0), (std::vector<std::string>{dir / "tqfc/$$FOLDER./$$PROJECT."}));
  EXPECT_EQ(p->GetScopePatterns(1), (std::vector<std::string>{dir / "tqfc/$$FOLDER./fshared"}));
  EXPECT_EQ(p->GetScopePatterns(2), (std::vector<std::string>{dir / "tqfc/gshared"}));
  EXPECT_EQ(p->ResolveLocalPath("a.ps", 0), dir / "tqfc/F/P/a.ps");
}

TEST(KxStub, LegacyWindowsStubWithPrintAndForgetSecond) {
  TempDir dir;
  auto p = projectWithStub(dir,
                           "/SETPPATH where\n"
                           "[ (%os%\\\\C\\\\tessel\\\\tqfc\\\\$$FOLDER.\\\\$$PROJECT.\\\\)\n"
                           "  (%os%\\\\C\\\\tessel\\\\kpcpfd\\\\$$FOLDER.\\\\$$PROJECT.\\\\)\r\n"
                           "  (%os%\\\\C\\\\tessel\\\\tqfc\\\\$$FOLDER.\\\\fshared\\\\)\r\n"
                           "\r\n"
                           "  (%os%\\\\C\\\\tessel\\\\tqfc\\\\gshared\\\\) ] SETPPATH def\n"
                           "% trailing comment\n");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetMessages(), "WARNING: Print-and-Forget path must be first in SETPPATH definition");
  EXPECT_EQ(p->GetPrintAndForgetPath(), "C:\\tessel\\kpcpfd\\$$FOLDER.\\$$PROJECT.");
  EXPECT_EQ(p->GetRawSetppath(),
            "C:\\tessel\\tqfc\\$$FOLDER.\\$$PROJECT.|C:\\tessel\\tqfc\\$$FOLDER.\\fshared|C:\\tessel\\tqfc\\gshared|");
}

TEST(KxStub, SubstitutionHookSeesPercentPaths) {
  TempDir dir;
  std::vector<std::string> seen;
  kpsdkSetSubstitutionHook([&seen](std::string& path) {
    seen.push_back(path);
    if (path.rfind("%root%", 0) == 0) path = "/opt/q" + path.substr(6);
  });
  auto p = projectWithStub(dir, "[ (%root%/tqfc/gshared/)\n (/x/y/)\n] SETPPATH\n");
  kpsdkSetSubstitutionHook(nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"%root%/tqfc/gshared"}));
  EXPECT_EQ(p->GetRawSetppath(), "/opt/q/tqfc/gshared|/x/y|");
}

TEST(KxStub, StubWithoutSetppathLeavesNoResourceContext) {
  TempDir dir;
  auto p = projectWithStub(dir, "%!PS\n[ (/a/) ]\n/other 1 def\n");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetRawSetppath(), "");
  kxtest::describe(*p);
  EXPECT_EQ(p->ValidateInformation(0) & kKxError, kKxError);
  EXPECT_NE(p->GetMessages().find("ERROR: The resource path context could not be determined (possible cause: use of "
                                  "non-KORO stubfile for a KX Project of type KORO, or a KORO tqfdos|unix.run file "
                                  "for a non-KORO KX Project)"),
            std::string::npos);
  // A SETPPATH line with its own "[" has no opening above it.
  auto q = projectWithStub(dir, "[ (/a/) (/b/) ] SETPPATH\n");
  EXPECT_EQ(q->GetRawSetppath(), "");
}

TEST(KxStub, TypedStubFillsTheTypeLists) {
  TempDir dir;
  auto p = projectWithStub(dir, kTypedStub);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetMessages(), "");
  EXPECT_EQ(p->GetStubTypePaths(1), (std::vector<std::string>{"/srv/pdl/ps/$$FOLDER./$$PROJECT.",
                                                              "/srv/pdl/ps/$$FOLDER./fshared", "/srv/pdl/ps/gshared"}));
  EXPECT_EQ(p->GetStubTypePaths(2)[2], "C:\\pdl\\pdf\\gshared");
  EXPECT_EQ(p->GetStubTypePaths(3), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(p->GetRawSetppath(), "");
}

TEST(KxStub, TypedStubDefects) {
  TempDir dir;
  auto eof = projectWithStub(dir, "x\n% KX_PROJECT_PDLTYPE: PS\n(/a/)\n(/b/)\n");
  EXPECT_EQ(eof->GetMessages(), "ERROR: Stubfile premature EOF at line: 3");
  EXPECT_EQ(eof->GetStubTypePaths(1), (std::vector<std::string>{"", "", ""}));

  auto invalid = projectWithStub(dir, "% KX_PROJECT_PDLTYPE: P S X\n(/a/)\n(/b/)\n(/c/) SETPPATH\n");
  EXPECT_EQ(invalid->GetMessages(), "ERROR: Stubfile contains invalid project type: 'PSX'");

  auto koro = projectWithStub(dir, "% KX_PROJECT_PDLTYPE: KORO\n(/a/)\n(/b/)\n(/c/) SETPPATH\n");
  EXPECT_EQ(koro->GetMessages(), "ERROR: Project type 'KORO' not allowed here");

  auto syntax = projectWithStub(dir, "% KX_PROJECT_PDLTYPE: PDF\n(/a/)\n/b/)\n(/c/\n");
  EXPECT_EQ(syntax->GetMessages(),
            "ERROR: Stubfile syntax error: KX_PROJECT_PDLTYPE 'PDF' missing '(' in '/b/)'\n"
            "ERROR: Stubfile syntax error: KX_PROJECT_PDLTYPE 'PDF' missing 'SETPPATH' in '(/c/'\n"
            "ERROR: Stubfile syntax error: KX_PROJECT_PDLTYPE 'PDF' missing ')' in '(/c/'");
  EXPECT_EQ(syntax->GetStubTypePaths(2), (std::vector<std::string>{"", "", ""}));

  // After an error, later blocks are skipped.
  auto later = projectWithStub(dir,
                               "% KX_PROJECT_PDLTYPE: KORO\n(/a/)\n(/b/)\n(/c/) SETPPATH\n"
                               "% KX_PROJECT_PDLTYPE: PS\n(/a/)\n(/b/)\n(/c/) SETPPATH\n");
  EXPECT_EQ(later->GetStubTypePaths(1), (std::vector<std::string>{"", "", ""}));
}

TEST(KxPaths, NormalisationRules) {
  EXPECT_EQ(normalised("%os%\\C\\tessel\\tqfc"), "C:\\tessel\\tqfc");
  EXPECT_EQ(normalised("%os%/D/x/y/"), "D:\\x\\y");
  EXPECT_EQ(normalised("%os%\\C"), "%os%\\C");  // six characters: left alone
  EXPECT_EQ(normalised("C:/a/b/"), "C:\\a\\b");
  EXPECT_EQ(normalised("C:\\\\a\\\\b\\\\"), "C:\\a\\b");
  EXPECT_EQ(normalised("/srv//tqfc/gshared/"), "/srv/tqfc/gshared");
  EXPECT_EQ(normalised("/srv/tqfc"), "/srv/tqfc");
  EXPECT_EQ(normalised("/"), "/");
  EXPECT_EQ(KxProject::ToForwardSlashDirectory("C:\\a\\b\\"), "C:/a/b/");
  EXPECT_EQ(KxProject::ToForwardSlashDirectory("/srv/x"), "/srv/x/");
}

TEST(KxPaths, SettingAndValidatingProjectPaths) {
  TempDir dir;
  auto p = kxtest::projectIn(dir.path());
  EXPECT_EQ(p->SetProjectPaths("/a", nullptr, "/c"), kKxError);
  EXPECT_EQ(p->GetMessages(), "ERROR: 'Local' project path not specified");
  EXPECT_EQ(p->HasProjectPaths(), 0);
  EXPECT_STREQ(p->GetLocalProjectPath(), "");
  EXPECT_EQ(p->SetProjectPaths("/a", "C:\\b\\", "/c/"), 0);
  EXPECT_STREQ(p->GetFolderProjectPath(), "C:/b/");
  EXPECT_STREQ(p->GetGlobalProjectPath(), "/c/");
  p->ClearMessages();
  EXPECT_EQ(p->ValidateProjectPaths(), 0);  // KORO projects have none
  EXPECT_EQ(p->GetMessages(), "ERROR: Project paths may not be specified for projects of type 'KORO'");

  EXPECT_EQ(p->SetProjectType(9), kKxError);
  EXPECT_EQ(p->SetPathMismatchAction(3), kKxError);
  p->ClearMessages();
  EXPECT_EQ(p->SetProjectType(kKxTypePpmlGa), 0);
  p->SetProjectPaths("/a", "/b", "/c");
  p->ClearMessages();
  EXPECT_EQ(p->ValidateProjectPaths(), 1);
}

namespace {

// A PS project whose KPF paths are set and then reconciled with action.
std::unique_ptr<KxProject> reconciled(const TempDir& dir, int action, const char* local, const char* folder,
                                      const char* global) {
  auto p = projectWithStub(dir, kTypedStub);
  p->SetFolderProjectNames("F", "P");
  p->SetPathMismatchAction(action);
  p->SetProjectPaths(local, folder, global);
  p->ClearMessages();
  p->SetProjectType(kKxTypePs);
  return p;
}

}  // namespace

TEST(KxPaths, ReconciliationMismatchActions) {
  TempDir dir;
  const std::string mismatches =
      "Stubfile and KPF project path mismatch for local scope: '/srv/pdl/ps/F/P' vs '/kpf/F/P/'\n"
      "%s: Stubfile and KPF project path mismatch for folder shared scope: '/srv/pdl/ps/F/fshared' vs "
      "'/kpf/F/fshared/'\n"
      "%s: Stubfile and KPF project path mismatch for global shared scope: '/srv/pdl/ps/gshared' vs '/kpf/gshared/'";
  auto expected = [&](const char* level) {
    std::string text = std::string(level) + ": " + mismatches;
    return sdkFormat(text.c_str(), level, level);
  };

  auto keep = reconciled(dir, 0, "/kpf/F/P", "/kpf/F/fshared", "/kpf/gshared");
  EXPECT_EQ(keep->GetMessages(), expected("ERROR"));
  EXPECT_EQ(keep->GetRawSetppath(), "");  // action 0 changes nothing

  auto stub = reconciled(dir, 1, "/kpf/F/P", "/kpf/F/fshared", "/kpf/gshared");
  EXPECT_EQ(stub->GetMessages(), expected("WARNING"));
  EXPECT_EQ(stub->GetRawSetppath(), "/srv/pdl/ps/$$FOLDER./$$PROJECT.|/srv/pdl/ps/$$FOLDER./fshared|/srv/pdl/ps/gshared|");
  EXPECT_EQ(stub->ResolveFolderPath("x", 0), sdkJoinPath("/srv/pdl/ps/F/fshared", "x"));

  auto kpf = reconciled(dir, 2, "/kpf/F/P", "/kpf/F/fshared", "/kpf/gshared");
  EXPECT_EQ(kpf->GetRawSetppath(), "/kpf/F/P/|/kpf/F/fshared/|/kpf/gshared/|");
  EXPECT_EQ(kpf->ResolveGlobalPath("x", 0), "/kpf/gshared/x");

  // Equal paths (in another separator style) are no mismatch.
  auto same = reconciled(dir, 0, "/srv/pdl/ps/F/P/", "/srv/pdl/ps/F/fshared", "/srv/pdl/ps/gshared");
  EXPECT_EQ(same->GetMessages(), "");
  EXPECT_EQ(same->ResolveLocalPath("x", 0), sdkJoinPath("/srv/pdl/ps/F/P", "x"));
}

TEST(KxPaths, StubWithoutPathsForTheType) {
  TempDir dir;
  auto p = projectWithStub(dir, kTypedStub);
  p->SetFolderProjectNames("F", "P");
  EXPECT_EQ(p->SetProjectType(kKxTypePpmlGa), 0);
  EXPECT_EQ(p->GetMessages(), "ERROR: Stubfile is missing path information for project type: 'PPML-GA'");
  // With KPF paths and action 2 the KPF paths are used all the same.
  p->SetPathMismatchAction(2);
  p->SetProjectPaths("/k/l", "/k/f", "/k/g");
  p->ClearMessages();
  EXPECT_EQ(p->ReconcileProjectPaths(3, 2), kKxError);
  EXPECT_EQ(p->GetRawSetppath(), "/k/l/|/k/f/|/k/g/|");
}
