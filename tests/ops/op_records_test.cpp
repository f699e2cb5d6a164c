// The flag rules of each page, checked on the records the pages fill.
#include "ops/op_records.h"

#include <gtest/gtest.h>

namespace {
OpContext groupContext(bool statusPage) {
  OpContext ctx;
  ctx.destination = "\\\\\\Floor2";
  ctx.statusPage = statusPage;
  return ctx;
}
InterpreterChoice builtin(bool lus = false) { return {true, "", "/k/stub.ps", lus}; }
InterpreterChoice installed() { return {false, "/opt/tessel", "", false}; }
}  // namespace

TEST(InstallPage, BuiltInOrInstalledTesselAndTheKeepRule) {
  OpContext ctx;
  auto ios = installRecord(ctx, {}, builtin());
  EXPECT_EQ(ios->krmIOSGetFlags(), kKrmIosBuiltIn);
  EXPECT_EQ(ios->krmIOSGetKOROPath(), nullptr);

  ios = installRecord(ctx, {}, installed());
  EXPECT_EQ(ios->krmIOSGetFlags(), 0);
  ASSERT_NE(ios->krmIOSGetKOROPath(), nullptr);
  EXPECT_EQ(std::string(ios->krmIOSGetKOROPath()).rfind("/opt/tessel", 0), 0u);

  ios = installRecord(ctx, {false, true, true}, builtin(true));
  EXPECT_EQ(ios->krmIOSGetFlags(), kKrmIosBuiltIn | kKrmIosImagingModule | kKrmIosErrorHandler)
      << "the keep box counts only while the power-on box is ticked";
  ios = installRecord(ctx, {true, true, false}, builtin());
  EXPECT_EQ(ios->krmIOSGetFlags(), kKrmIosBuiltIn | kKrmIosPowerOnStart | kKrmIosDotRun);

  ios = installRecord(groupContext(true), {}, builtin());
  EXPECT_EQ(ios->krmIOSGetFlags(), kKrmIosStatusPage | kKrmIosBuiltIn);
  EXPECT_STREQ(ios->krmIOSGetPrinterName(), "Floor2");
}

TEST(InstallPage, StartupCarriesOnlyStatusAndKeep) {
  auto ios = startupRecord(groupContext(true), {true});
  EXPECT_EQ(ios->krmIOSGetFlags(), kKrmIosStatusPage | kKrmIosDotRun);
  EXPECT_STREQ(ios->krmIOSGetPrinterName(), "Floor2");
  EXPECT_EQ(startupRecord(OpContext{}, {false})->krmIOSGetFlags(), 0);
}

TEST(ProjectPages, ProjectKindAndInterpreterChoice) {
  auto pps = listProjectRecord("/p/demo.kpc", false, builtin());
  EXPECT_EQ(pps->krmPPSGetProcessingMode(), 2003);
  EXPECT_STREQ(pps->krmPPSGetContainerFile(), "/p/demo.kpc");
  EXPECT_EQ(pps->krmPPSGetFlags(), kKrmPpsUseStub);
  EXPECT_STREQ(pps->krmPPSGetStubPath(), "/k/stub.ps");

  pps = listProjectRecord("/p/DEMO.KPC", true, installed());
  EXPECT_EQ(pps->krmPPSGetProcessingMode(), 2002) << "only a lower-case c makes a container";
  EXPECT_STREQ(pps->krmPPSGetProjectFile(), "/p/DEMO.KPC");
  EXPECT_EQ(pps->krmPPSGetFlags(), kKrmPpsWithSubmission);
  EXPECT_NE(pps->krmPPSGetKOROPath(), nullptr);

  pps = listProjectRecord("", false, installed());
  EXPECT_EQ(pps->krmPPSGetProcessingMode(), 2002);
  EXPECT_STREQ(pps->krmPPSGetProjectFile(), "");
}

TEST(ProjectPages, LoadFlags) {
  auto pps = loadProjectRecord(OpContext{}, {"/p/a.kpf", {}, false, false, false}, builtin());
  EXPECT_EQ(pps->krmPPSGetFlags(), kKrmPpsUseStub | kKrmPpsOverwrite);
  EXPECT_EQ(pps->krmPPSGetResourceList().count(), 0);

  pps = loadProjectRecord(groupContext(true), {"/p/a.kpf", {"a.frm", "b.img", "A.FRM"}, true, true, true},
                          installed());
  EXPECT_EQ(pps->krmPPSGetFlags(), kKrmPpsStatusPage | kKrmPpsNoFolderShared | kKrmPpsNoGlobalShared);
  EXPECT_STREQ(pps->krmPPSGetPrinterName(), "Floor2");
  EXPECT_EQ(pps->krmPPSGetResourceList().count(), 2) << "A.FRM duplicates a.frm";
}

TEST(ContainerPage, FlagsByChoice) {
  bool refused = true;
  SendContainerChoice c;
  c.projectPath = "/p/a.kpf";
  c.submission = "main.sub";
  auto pps = containerRecord(OpContext{}, c, builtin(true), refused);
  EXPECT_FALSE(refused);
  EXPECT_EQ(pps->krmPPSGetFlags(), kKrmPpsUseStub | kKrmPpsImagingModule);
  EXPECT_STREQ(pps->krmPPSGetSubmissionFile(), "main.sub");

  c.resources = ContainerResources::Included;
  c.noOverwrite = false;
  c.noFolderShared = true;
  c.keepInMemory = true;
  pps = containerRecord(groupContext(true), c, installed(), refused);
  EXPECT_EQ(pps->krmPPSGetFlags(), kKrmPpsInlineResources | kKrmPpsNoFolderShared | kKrmPpsResident)
      << "choice 1 never overwrites and never prints a status page";

  c.resources = ContainerResources::IncludedAndStored;
  c.keepInMemory = true;
  pps = containerRecord(groupContext(true), c, installed(), refused);
  EXPECT_EQ(pps->krmPPSGetFlags(),
            kKrmPpsDeployResources | kKrmPpsNoFolderShared | kKrmPpsOverwrite | kKrmPpsStatusPage)
      << "the keep box is disabled without embedding";
  EXPECT_STREQ(pps->krmPPSGetPrinterName(), "Floor2");

  c.resources = ContainerResources::OnPrinter;
  c.embedTessel = true;
  c.externalSubmission = true;
  c.submission = "/ext/job.ps";
  c.pageRange = true;
  c.firstPage = 3;
  c.lastPage = 7;
  pps = containerRecord(OpContext{}, c, installed(), refused);
  EXPECT_EQ(pps->krmPPSGetFlags(),
            kKrmPpsExternalSubmission | kKrmPpsPageRange | kKrmPpsSelfContained | kKrmPpsResident);
  EXPECT_EQ(pps->krmPPSGetFirstPage(), 3);
  EXPECT_EQ(pps->krmPPSGetLastPage(), 7);

  c.firstPage = 5;
  c.lastPage = 4;
  pps = containerRecord(OpContext{}, c, installed(), refused);
  EXPECT_TRUE(refused);
  EXPECT_EQ(pps->krmPPSGetFlags() & kKrmPpsPageRange, 0);
  EXPECT_EQ(pps->krmPPSGetLastPage(), 65535);
}

TEST(DeleteAndListPages, RecordsByItem) {
  DeleteChoice d{DeleteItem::Project, "F", "P", true, true};
  auto pps = projectRemoverRecord(groupContext(true), d);
  EXPECT_EQ(pps->krmPPSGetFlags(), kKrmPpsStatusPage | kKrmPpsNoFolderShared | kKrmPpsNoGlobalShared);
  EXPECT_STREQ(pps->krmPPSGetFolderName(), "F");
  EXPECT_STREQ(pps->krmPPSGetProjectName(), "P");

  const int expected[] = {0x30, 0x10, 0x20};
  for (int item = 0; item < 3; ++item) {
    d.item = static_cast<DeleteItem>(item);
    EXPECT_EQ(uninstallRecord(OpContext{}, d)->krmIOSGetFlags(), expected[item]) << item;
  }
  d.item = DeleteItem::Tessel;
  auto ios = uninstallRecord(groupContext(true), d);
  EXPECT_EQ(ios->krmIOSGetFlags(), 0x10 | 0x4000);
  EXPECT_STREQ(ios->krmIOSGetPrinterName(), "Floor2");

  auto fos = listFilesRecord(groupContext(true), {ListItem::Fonts, "", ""});
  EXPECT_STREQ(fos->krmFOSGetFilePattern(), "fonts/*");
  EXPECT_STREQ(fos->krmFOSGetPrinterName(), "Floor2");
  EXPECT_EQ(fos->krmFOSGetFlags(), 0) << "listings never ask for a status page";
  EXPECT_EQ(listFilesRecord(OpContext{}, {ListItem::TesselAndResources, "", ""})->krmFOSGetFilePattern(), nullptr);
  auto lp = listProjectFilesRecord(groupContext(false), {ListItem::Project, "F", "P"});
  EXPECT_STREQ(lp->krmPPSGetProjectName(), "P");
  EXPECT_STREQ(lp->krmPPSGetPrinterName(), "Floor2");
  EXPECT_EQ(lp->krmPPSGetFlags(), 0);

  // The listing on the connection, with or without the page; the page alone
  // cannot be turned off.
  ListChoice answered{ListItem::Fonts, "", "", true, false};
  EXPECT_EQ(listFilesRecord(OpContext{}, answered)->krmFOSGetFlags(), kKrmFlagAnswerListing | kKrmFlagNoListPage);
  answered.item = ListItem::Project;
  EXPECT_EQ(listProjectFilesRecord(OpContext{}, answered)->krmPPSGetFlags(), kKrmFlagAnswerListing | kKrmFlagNoListPage);
  answered.printedPage = true;
  EXPECT_EQ(listFilesRecord(OpContext{}, answered)->krmFOSGetFlags(), kKrmFlagAnswerListing);
  EXPECT_EQ(listFilesRecord(OpContext{}, {ListItem::Fonts, "", "", false, false})->krmFOSGetFlags(), 0);
}

TEST(LegacyPages, StatusPageFlags) {
  auto load = legacyLoadRecord(groupContext(true), {});
  EXPECT_EQ(load->krmFOSGetFlags(), kKrmFlagOverwrite | kKrmFlagStatusPage);
  auto remove = legacyRemoveRecord(groupContext(true), {"tqfc/formlib/a.frm", "tqfc/formlib/A.FRM"});
  EXPECT_EQ(remove->krmFOSGetFlags(), kKrmFlagStatusPage);
  EXPECT_EQ(remove->krmFOSGetRemoveFilesList().count(), 1);
  EXPECT_EQ(fontLoadRecord(OpContext{}, {})->krmFOSGetFlags(), 0);
  EXPECT_EQ(legacyLoadRecord(OpContext{}, {})->krmFOSGetFlags(), kKrmFlagOverwrite);
}
