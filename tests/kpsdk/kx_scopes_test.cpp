// Scope resolution and hiding over real directories built from a stub.
#include <gtest/gtest.h>

#include "kx_test_util.h"

using kxtest::TempDir;
using kxtest::writeFile;

namespace {

class KxScopes : public ::testing::Test {
 protected:
  void SetUp() override {
    project_ = kxtest::projectIn(dir_.path());
    ASSERT_NE(project_, nullptr);
    project_->SetFolderProjectNames("F", "P");
    local_ = dir_ / "tqfc/F/P";
    folder_ = dir_ / "tqfc/F/fshared";
    global_ = dir_ / "tqfc/gshared";
  }
  TempDir dir_;
  std::unique_ptr<KxProject> project_;
  std::string local_, folder_, global_;
};

}  // namespace

TEST_F(KxScopes, CreatingDirectoriesAndResolving) {
  EXPECT_TRUE(project_->GetLocalDirectories("F", "P", 1).empty());
  EXPECT_EQ(project_->GetLocalDirectories("F", "P", 0), (std::vector<std::string>{local_}));
  EXPECT_EQ(project_->ResolveLocalPath("a.ps", 1), "");
  EXPECT_EQ(project_->ResolveLocalPath("a.ps", 0), sdkJoinPath(local_, "a.ps"));

  EXPECT_EQ(project_->CreateProjectDirectories(), 0);
  EXPECT_TRUE(sdkIsDirectory(local_.c_str()));
  EXPECT_TRUE(sdkIsDirectory(folder_.c_str()));
  EXPECT_TRUE(sdkIsDirectory(global_.c_str()));
  EXPECT_EQ(project_->GetFolderDirectories("F", 1), (std::vector<std::string>{folder_}));
  EXPECT_EQ(project_->GetGlobalDirectories(1), (std::vector<std::string>{global_}));

  writeFile(sdkJoinPath(global_, "font.pfb"), "x");
  EXPECT_EQ(project_->ResolveGlobalPath("font.pfb", 1), sdkJoinPath(global_, "font.pfb"));
  EXPECT_EQ(project_->ResolveLocalPath("font.pfb", 1), "");
  EXPECT_EQ(project_->ExistsGlobal("font.pfb"), 1);
  EXPECT_EQ(project_->GetScopeFlags("font.pfb"), 4);
  EXPECT_EQ(project_->IsHidden("font.pfb"), 0);

  // Names are needed for any resolution.
  project_->SetFolderProjectNames("F", "");
  EXPECT_EQ(project_->ResolveGlobalPath("font.pfb", 1), "");
}

TEST_F(KxScopes, HidingIsReportedPairByPair) {
  project_->CreateProjectDirectories();
  for (const std::string& d : {local_, folder_, global_}) writeFile(sdkJoinPath(d, "logo.tif"), d);
  writeFile(sdkJoinPath(folder_, "form.ps"), "f");
  writeFile(sdkJoinPath(global_, "form.ps"), "g");

  EXPECT_EQ(project_->GetScopeFlags("logo.tif"), 7);
  EXPECT_EQ(project_->IsHidden("logo.tif"), 1);
  EXPECT_EQ(project_->ReportHiding("logo.tif"), kKxWarning);
  EXPECT_EQ(project_->GetMessages(),
            "WARNING: Local scope '" + sdkJoinPath(local_, "logo.tif") + "' hides Folder scope '" +
                sdkJoinPath(folder_, "logo.tif") + "'\nWARNING: Local scope '" + sdkJoinPath(local_, "logo.tif") +
                "' hides Global scope '" + sdkJoinPath(global_, "logo.tif") + "'\nWARNING: Folder scope '" +
                sdkJoinPath(folder_, "logo.tif") + "' hides Global scope '" + sdkJoinPath(global_, "logo.tif") + "'");
  project_->ClearMessages();
  EXPECT_EQ(project_->GetScopeFlags("form.ps"), 6);
  project_->ReportHiding("form.ps");
  EXPECT_EQ(project_->GetMessages(), "WARNING: Folder scope '" + sdkJoinPath(folder_, "form.ps") +
                                         "' hides Global scope '" + sdkJoinPath(global_, "form.ps") + "'");
  project_->ClearMessages();
  EXPECT_EQ(project_->ReportHiding("nothing.ps"), 0);
  EXPECT_EQ(project_->GetMessages(), "");
}

TEST_F(KxScopes, SeveralLocalPatternsAreTriedInOrder) {
  std::string stub = dir_ / "multi.run";
  writeFile(stub, "[\n (" + dir_.path() + "/a/$$FOLDER./$$PROJECT./)\n (" + dir_.path() + "/b/$$FOLDER./$$PROJECT./)\n" +
                      " (" + dir_.path() + "/g/)\n] SETPPATH\n");
  auto p = kxProjectNew(stub);
  p->SetFolderProjectNames("F", "P");
  writeFile(dir_ / "b/F/P/only-b.ps", "b");
  EXPECT_EQ(p->ResolveLocalPath("only-b.ps", 1), dir_ / "b/F/P/only-b.ps");
  EXPECT_EQ(p->ResolveLocalPath("new.ps", 0), dir_ / "a/F/P/new.ps");
  EXPECT_EQ(p->GetLocalDirectories("F", "P", 1), (std::vector<std::string>{dir_ / "b/F/P"}));
}

TEST_F(KxScopes, DirectoriesThatCannotBeCreatedAreReported) {
  writeFile(dir_ / "tqfc", "a file where a directory belongs");
  EXPECT_EQ(project_->CreateProjectDirectories(), kKxError);
  EXPECT_EQ(project_->GetMessages(), "ERROR: Could not create directory: '" + local_ + "'");
}
