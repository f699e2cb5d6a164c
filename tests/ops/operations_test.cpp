// Operations run end to end against a recording spooler.
#include "ops/operations.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "base/sdk_fs_unique.h"
#include "ops/legacy_lists.h"
#include "ops_test_support.h"

namespace fs = std::filesystem;
using Kind = OpResult::Kind;

TEST_F(OpsFixture, ConfigurationChoosesTheInterpreter) {
  InterpreterChoice ic = readInterpreterChoice(ctx_);
  EXPECT_TRUE(ic.useBuiltin);
  EXPECT_EQ(ic.koroStub, path("stub.ps"));
  EXPECT_FALSE(ic.includeLUS);
  writeConfig("useBuiltin=0\nkoroCore=/opt/tessel\nincludeLUS=1\n");
  ic = readInterpreterChoice(ctx_);
  EXPECT_FALSE(ic.useBuiltin);
  EXPECT_EQ(ic.koroCore, "/opt/tessel");
  EXPECT_TRUE(ic.includeLUS);
}

TEST_F(OpsFixture, ListingAGroupSendsOneJobToEveryMemberAndDeletesTheJobFile) {
  groups_ = {"p2", "P1"};
  ctx_.destination = "\\\\\\Floor2";
  OpResult r = listPrinterFiles(ctx_, {ListItem::Fonts, "", ""});
  ASSERT_EQ(r.kind, Kind::Sent) << r.message;
  EXPECT_EQ(r.code, 1001);
  EXPECT_EQ(r.title, "[List Files]");
  ASSERT_EQ(spooler_.jobs.size(), 2u);
  EXPECT_EQ(spooler_.jobs[0].printer, "p2") << "members are opened by the name the group stores";
  EXPECT_EQ(spooler_.jobs[1].printer, "P1");
  EXPECT_NE(spooler_.jobs[0].content.find("(fonts/*) (Floor2) true false list&remove"), std::string::npos);
  EXPECT_EQ(leftoverJobFiles(), 0);
}

TEST_F(OpsFixture, FailedJobSendsNothingAndLeavesNoEmptyJobFile) {
  OpResult r = deleteFiles(ctx_, {DeleteItem::Project, "", "P", false, false});
  ASSERT_EQ(r.kind, Kind::JobFailed);
  EXPECT_EQ(r.code, 1017);
  EXPECT_EQ(r.message, "Quaymaster needs more information.\n\nkrmPPS.folderName");
  EXPECT_TRUE(spooler_.jobs.empty());
  EXPECT_EQ(leftoverJobFiles(), 0);
  EXPECT_TRUE(r.jobFile.empty());
  // The project listing's own job file as well.
  ProjectListing listing = listProjectResources(ctx_, path("missing.kpf"), false);
  EXPECT_EQ(listing.result.kind, Kind::JobFailed) << listing.result.message;
  EXPECT_EQ(leftoverJobFiles(), 0);
}

TEST_F(OpsFixture, JobFilesOfKilledRunsGoAndThoseInUseStay) {
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
  auto make = [&](const std::string& name, bool aged) {
    ASSERT_EQ(sdkWriteTextFile(path("tmp/" + name).c_str(), "job"), 1);
    if (aged) fs::last_write_time(path("tmp/" + name), old);
  };
  make("krmKILLED", true);
  make("krmKILLED.AbC123.part", true);
  make("krmINUSE1", true);
  make("krmYOUNG1", false);
  make("krm-notes.txt", true);
  SdkFileHold inUse(path("tmp/krmINUSE1").c_str());
  ASSERT_TRUE(inUse.held());

  OpResult r = listPrinterFiles(ctx_, {ListItem::TesselAndResources, "", ""});
  ASSERT_EQ(r.kind, Kind::Sent) << r.message;
  EXPECT_FALSE(fs::exists(path("tmp/krmKILLED")));
  EXPECT_FALSE(fs::exists(path("tmp/krmKILLED.AbC123.part")));
  EXPECT_TRUE(fs::exists(path("tmp/krmINUSE1")));
  EXPECT_TRUE(fs::exists(path("tmp/krmYOUNG1"))) << "may be a run that has not taken its lock yet";
  EXPECT_TRUE(fs::exists(path("tmp/krm-notes.txt"))) << "not a name of a job file";
  EXPECT_EQ(leftoverJobFiles(), 3);
}

TEST_F(OpsFixture, PlaceholderDestinationSendsNothing) {
  spooler_.printers = {kNoPrintersAvailable};
  ctx_.destination = kNoPrintersAvailable;
  OpResult r = listPrinterFiles(ctx_, {ListItem::TesselAndResources, "", ""});
  EXPECT_TRUE(spooler_.jobs.empty());
  EXPECT_NE(r.kind, Kind::JobFailed);
  EXPECT_EQ(leftoverJobFiles(), 0);
}

TEST_F(OpsFixture, JobOutputPathWritesWithoutSending) {
  ctx_.jobOutputPath = path("list.ps");
  OpResult r = listPrinterFiles(ctx_, {ListItem::TesselAndResources, "", ""});
  ASSERT_EQ(r.kind, Kind::Written) << r.message;
  EXPECT_TRUE(spooler_.jobs.empty());
  auto job = sdkReadWholeFile(r.jobFile.c_str());
  ASSERT_TRUE(job);
  EXPECT_NE(job->find("(tqfc/*) (P1) true false list&remove"), std::string::npos);
}

TEST_F(OpsFixture, EmptyListsDoNothingAtAll) {
  EXPECT_EQ(loadLegacyFiles(ctx_, {}).kind, Kind::NothingToDo);
  EXPECT_EQ(removeLegacyFiles(ctx_, {}).kind, Kind::NothingToDo);
  EXPECT_EQ(loadFonts(ctx_, {}).kind, Kind::NothingToDo);
  EXPECT_EQ(leftoverJobFiles(), 0);
  EXPECT_TRUE(spooler_.jobs.empty());
}

TEST_F(OpsFixture, LoadsUnderThePrintersOwnNamesOnlyWhenAllowed) {
  const std::string form = path("a.frm");
  const std::string font = path("f.pfa");
  std::ofstream(form) << "form";
  std::ofstream(font) << "%!PS-AdobeFont-1.0: F\n/FontName /F def\n";
  for (const std::string name : {"Sys/Start", "SYS/x", "tqf/src/tqfdep", "fonts/F"}) {
    OpResult r = loadLegacyFiles(ctx_, {{font, "tqfc/fontlib/f.pfa"}, {form, name}});
    EXPECT_EQ(r.kind, Kind::Refused) << name;
    EXPECT_TRUE(r.message.ends_with("\n\n" + name)) << r.message;
  }
  EXPECT_TRUE(spooler_.jobs.empty());
  EXPECT_EQ(leftoverJobFiles(), 0);
  // A font among the fonts is no replacement; asked for, the rest goes too.
  EXPECT_EQ(loadLegacyFiles(ctx_, {{font, "fonts/F"}}).kind, Kind::Sent);
  EXPECT_EQ(loadLegacyFiles(ctx_, {{form, "Sys/Start"}}, true).kind, Kind::Sent);
}

TEST_F(OpsFixture, SubmissionFileIsSentAsItIs) {
  OpResult missing = sendSubmissionFile(ctx_, path("none.sub"));
  EXPECT_EQ(missing.kind, Kind::Refused);
  EXPECT_EQ(missing.message, "The submission file does not exist.\n\n" + path("none.sub"));
  EXPECT_TRUE(spooler_.jobs.empty());

  std::string sub = path("main.sub");
  sdkWriteTextFile(sub.c_str(), "%!\nshowpage\n");
  OpResult r = sendSubmissionFile(ctx_, sub);
  ASSERT_EQ(r.kind, Kind::Sent);
  ASSERT_EQ(spooler_.jobs.size(), 1u);
  EXPECT_EQ(spooler_.jobs[0].title, "[Send Submission File] main.sub");
  EXPECT_EQ(spooler_.jobs[0].content, "%!\nshowpage\n");
  EXPECT_EQ(sdkFileExists(sub.c_str()), 1) << "the submission file is the user's";

  // Written instead of sent: never onto the submission file itself.
  OpContext toFile = ctx_;
  toFile.jobOutputPath = sub;
  OpResult onto = sendSubmissionFile(toFile, sub);
  EXPECT_EQ(onto.kind, Kind::Refused);
  EXPECT_EQ(onto.message, "Quaymaster cannot write to the file.\n\n" + sub);
  EXPECT_EQ(sdkReadWholeFile(sub.c_str()).value_or(""), "%!\nshowpage\n");
  toFile.jobOutputPath = path("copy.ps");
  EXPECT_EQ(sendSubmissionFile(toFile, sub).kind, Kind::Written);
  EXPECT_EQ(sdkReadWholeFile(path("copy.ps").c_str()).value_or(""), "%!\nshowpage\n");
}

TEST_F(OpsFixture, CancelledPageRangeSendsNothing) {
  SendContainerChoice c;
  c.projectPath = path("a.kpf");
  c.pageRange = true;
  c.firstPage = 5;
  c.lastPage = 4;
  OpResult r = sendContainer(ctx_, c, [] { return false; });
  EXPECT_EQ(r.kind, Kind::Cancelled);
  EXPECT_TRUE(spooler_.jobs.empty());
  EXPECT_EQ(leftoverJobFiles(), 0);
}

TEST(ProjectListing, LinesGiveTypeAndPathWithBlanksKept) {
  ProjectResource r;
  ASSERT_TRUE(parseListingLine("frm /p/My Forms/a.frm", r));
  EXPECT_EQ(r.type, "frm");
  EXPECT_EQ(r.path, "/p/My Forms/a.frm");
  EXPECT_EQ(r.name, "a.frm");
  ASSERT_TRUE(parseListingLine("  sub   C:\\p\\main.sub ", r));
  EXPECT_EQ(r.name, "main.sub");
  EXPECT_FALSE(parseListingLine("img", r)) << "a line with only a type adds nothing";
  EXPECT_FALSE(parseListingLine("   ", r));
}

TEST_F(OpsFixture, LegacyListRules) {
  std::string a = path("a.frm");
  sdkWriteTextFile(a.c_str(), "x");
  LegacyLoadList load;
  EXPECT_EQ(load.put(path("gone.frm"), "x"), "The file does not exits.\n\n" + path("gone.frm"));
  EXPECT_EQ(load.put("", "x"), "");
  EXPECT_EQ(load.put(a, "/tqfc/formlib/a.frm"), "");
  EXPECT_EQ(load.put(a, "tqfc/formlib/b.frm"), "");
  ASSERT_EQ(load.rows().size(), 1u) << "the same local file keeps one row";
  EXPECT_EQ(load.rows()[0].second, "tqfc/formlib/b.frm");
  bool recognised = false;
  load.add(a, recognised);
  EXPECT_TRUE(recognised);
  EXPECT_EQ(load.rows()[0].second, "tqfc/formlib/a.frm");

  LegacyRemovalList removal;
  removal.put("/tqfc/x");
  removal.put("tqfc/x");
  removal.put("");
  ASSERT_EQ(removal.rows().size(), 1u);
  EXPECT_EQ(removal.rows()[0], "tqfc/x");

  // Names the printer would refuse never enter a list.
  EXPECT_EQ(load.put(a, "tqfc/../../../../var/x.frm"),
            "The printer refuses this name: it holds a '..' level.\n\ntqfc/../../../../var/x.frm");
  EXPECT_EQ(load.rows()[0].second, "tqfc/formlib/a.frm");
  EXPECT_EQ(removal.put("tqfc/a\x01" "b"), "The printer refuses this name: it holds a control character.\n\ntqfc/a?b");
  EXPECT_FALSE(removal.put("//abs").empty());
  EXPECT_EQ(removal.rows().size(), 1u);
  EXPECT_EQ(printerNameRefusal("tqfc/.krmuses", true),
            "The printer refuses 'tqfc/.krmuses': it holds a level the printer keeps for its own files.");

  FontList fonts;
  EXPECT_EQ(fonts.add(a).rfind("Quaymaster cannot obtain the font name.", 0), 0u);
  EXPECT_TRUE(fonts.rows().empty());
}

// The printer reads "\" and "[...]" in a removal name as a pattern: a
// name as it was loaded must be quoted, a pattern the user wrote not.
TEST(RemovalPattern, NamesAreQuotedPatternsKept) {
  const std::pair<const char*, const char*> cases[] = {
      {"tqfc/mislib/plain.frm", "tqfc/mislib/plain.frm"},
      {"tqfc/mislib/x) (y\\ %(z", "tqfc/mislib/x) (y\\\\ %(z"},
      {"tqfc/mislib/a[1].frm", "tqfc/mislib/a\\[1\\].frm"},
      {"tqfc/mislib/*.frm", "tqfc/mislib/*.frm"},
      {"tqfc/mislib/a?\\[x].frm", "tqfc/mislib/a?\\[x].frm"},
  };
  for (const auto& [name, sent] : cases) EXPECT_EQ(removalPattern(name), sent) << name;
  LegacyRemovalList removal;
  removal.put(cases[1].first);
  EXPECT_EQ(removal.patterns(), std::vector<std::string>{cases[1].second});
}

TEST_F(OpsFixture, LegacyListEditsRemovalsAndSorting) {
  const std::string b = path("res/formlib/b.frm"), a = path("a.xyz"), logo = path("LOGO.JPG");
  for (const std::string& f : {b, a, logo}) {
    sdkMakeDirs(f.c_str());
    sdkWriteTextFile(f.c_str(), "x");
  }
  LegacyLoadList load;
  bool recognised = true;
  load.add(b, recognised);
  load.add(a, recognised);
  EXPECT_FALSE(recognised) << "an unknown extension is only a guess";
  load.add(logo, recognised);
  ASSERT_EQ(load.rows().size(), 3u);
  EXPECT_EQ(load.rows()[0].second, "tqfc/formlib/b.frm") << "the folder marker keeps the sub-tree";
  EXPECT_EQ(load.rows()[1].second, "tqfc/mislib/a.xyz");

  // One row edited: an empty printer name is derived with the dialog's type.
  EXPECT_EQ(load.edit(1, a, "", 3), "");
  EXPECT_EQ(load.rows()[1].second, "tqfc/imglib/a.xyz");
  EXPECT_EQ(load.edit(1, path("gone.frm"), "x", -1), "The file does not exits.\n\n" + path("gone.frm"));
  EXPECT_EQ(load.rows()[1].first, a) << "a refused edit changes nothing";
  // Several rows: each keeps its local path, the type decides the folder.
  load.rederive({0, 2, 7}, 4);
  EXPECT_EQ(load.rows()[0], std::make_pair(b, std::string("tqfc/jdtlib/b.frm")));
  EXPECT_EQ(load.rows()[2].second, "tqfc/jdtlib/LOGO.JPG");
  load.rederive({2}, -1);
  EXPECT_EQ(load.rows()[2].second, "tqfc/imglib/LOGO.JPG");

  // Sorting by the printer names, byte by byte (upper case first).
  load.sortBy(1);
  EXPECT_EQ(load.rows()[0].second, "tqfc/imglib/LOGO.JPG");
  EXPECT_EQ(load.rows()[1].second, "tqfc/imglib/a.xyz");
  EXPECT_EQ(load.rows()[2].second, "tqfc/jdtlib/b.frm");
  load.remove({0, 2, 2, 9});
  ASSERT_EQ(load.rows().size(), 1u);
  EXPECT_EQ(load.rows()[0].first, a);

  LegacyRemovalList removal;
  removal.put("tqfc/mislib/z.nm");
  removal.copyFrom(load);
  removal.copyFrom(load);
  removal.addLocalFile("/x/demo/start.ps", recognised);
  EXPECT_TRUE(recognised);
  ASSERT_EQ(removal.rows().size(), 3u) << "copying twice adds nothing new";
  EXPECT_EQ(removal.rows()[2], "tqf/demo/start.ps");
  // Modifying only changes the folder part; markers are not used.
  removal.modify({0, 1}, -1);
  EXPECT_EQ(removal.rows()[0], "tqfc/mislib/z.nm");
  EXPECT_EQ(removal.rows()[1], "tqfc/mislib/a.xyz");
  removal.modify({2}, 1);
  EXPECT_EQ(removal.rows()[2], "tqfc/fontlib/start.ps");
  removal.put("/tqfc/renamed", 0);
  removal.sort();
  EXPECT_EQ(removal.rows(), (std::vector<std::string>{"tqfc/fontlib/start.ps", "tqfc/mislib/a.xyz", "tqfc/renamed"}));
  removal.remove({1});
  EXPECT_EQ(removal.rows().size(), 2u);
}
