#include "delivery/printer_groups.h"

#include <gtest/gtest.h>

#include "delivery/app_config.h"
#include "delivery/spooler.h"
#include "tests/delivery/test_env.h"

namespace {

using Verdict = GroupNameCheck::Verdict;

GroupNameCheck check(std::string_view name, std::vector<std::string> groups = {}) {
  return CheckNewGroupName(name, groups, [](const std::string& n) { return equalsNoCase(n, "Tessel_1"); });
}

TEST(GroupName, LengthLimitIsThirtyTwoAfterTrailingBlanks) {
  EXPECT_TRUE(check(std::string(32, 'a')).accepted());
  GroupNameCheck tooLong = check(std::string(33, 'a'));
  EXPECT_EQ(tooLong.verdict, Verdict::TooLong);
  EXPECT_EQ(tooLong.message, "Please limit the printer group name to at most 32 characters.");
  // Trailing blanks do not count and are dropped; leading ones stay.
  GroupNameCheck padded = check(std::string(32, 'b') + "  \t");
  EXPECT_TRUE(padded.accepted());
  EXPECT_EQ(padded.name, std::string(32, 'b'));
  EXPECT_EQ(check(" floor").verdict, Verdict::BadCharacter);
  EXPECT_EQ(check("   ").verdict, Verdict::Empty);
  EXPECT_EQ(check("   ").message, "");
}

TEST(GroupName, ChecksRunInTheirOrderWithTheirMessages) {
  // Too long and containing a space: only the length is reported.
  EXPECT_EQ(check(std::string(20, 'a') + " " + std::string(20, 'b')).verdict, Verdict::TooLong);

  GroupNameCheck printer = check("TESSEL_1", {"tessel_1"});
  EXPECT_EQ(printer.verdict, Verdict::PrinterName);
  EXPECT_EQ(printer.message, "Group name cannot be the same as a printer name.\n\nTESSEL_1");

  GroupNameCheck exists = check("floor 2", {"Floor 2"});
  EXPECT_EQ(exists.verdict, Verdict::AlreadyExists);
  EXPECT_EQ(exists.message, "The group already exists.\n\nfloor 2");

  for (const char* bad : {"floor 2", "floor-2", "Fl\xC3\xA4" "che", "a.b"}) {
    GroupNameCheck result = check(bad);
    EXPECT_EQ(result.verdict, Verdict::BadCharacter) << bad;
    EXPECT_EQ(result.message, "Printer group name may only contain underscore, and alphanumeric characters.");
  }
  EXPECT_TRUE(check("Floor_2_west9").accepted());
}

TEST(GroupMembers, EveryMemberIsKept) {
  std::vector<std::string> names;
  for (int i = 0; i < 500; ++i) names.push_back("printer_" + std::to_string(1000 + i) + "_long_name");
  const std::string text = BuildMemberText(names);
  EXPECT_EQ(text.size(), 500u * 23 - 1) << "no cut at 3000 characters";
  EXPECT_TRUE(text.ends_with(",printer_1499_long_name"));
  EXPECT_EQ(BuildMemberText({}), "");
  EXPECT_EQ(BuildMemberText({"a", "b"}), "a,b");
  EXPECT_EQ(BuildMemberText({"a", "b", "A", "a"}), "a,b") << "a printer is stored once";
}

class GroupStore : public ::testing::Test {
 protected:
  void SetUp() override { dir_.write("quaymaster.ini", "qmRootDir=/srv/qm\n"); }
  ScratchDir dir_;
  ScopedEnv override_{kConfigDirVariable, dir_.path().c_str()};
};

TEST_F(GroupStore, MembersAreSplitAtCommasInStoredOrder) {
  ASSERT_TRUE(WriteGroup("Floor", "Tessel_2,,Tessel_1,"));
  ASSERT_TRUE(WriteGroup("Blanks", "x, a ,b c"));
  ASSERT_TRUE(WriteGroup("Commas", ",,,"));
  ASSERT_TRUE(WriteGroup("Empty", ""));
  EXPECT_EQ(ReadPrinterGroup("Floor"), (std::vector<std::string>{"Tessel_2", "Tessel_1"}));
  EXPECT_EQ(ReadPrinterGroup("Blanks"), (std::vector<std::string>{"x", " a ", "b c"}));
  EXPECT_TRUE(ReadPrinterGroup("Commas").empty());
  EXPECT_TRUE(ReadPrinterGroup("Empty").empty());
  EXPECT_TRUE(ReadPrinterGroup("Absent").empty());
  ASSERT_TRUE(WriteGroup("Twice", "P1,p1,P2,P1"));
  EXPECT_EQ(ReadPrinterGroup("Twice"), (std::vector<std::string>{"P1", "P2"})) << "the first spelling, once";
  // A new group with no members exists as an entry.
  std::vector<std::string> names = ListPrinterGroups();
  EXPECT_EQ(names.size(), 5u);
  EXPECT_NE(std::find(names.begin(), names.end(), "Empty"), names.end());
}

TEST_F(GroupStore, RawValueTellsAnEmptyGroupFromAnAbsentOne) {
  ASSERT_TRUE(WriteGroup("Floor", ",Tessel_1"));
  ASSERT_TRUE(WriteGroup("Empty", ""));
  EXPECT_EQ(ReadGroupValue("Floor").value_or("?"), ",Tessel_1") << "stored as it is, not split";
  EXPECT_EQ(ReadGroupValue("Empty").value_or("?"), "");
  EXPECT_FALSE(ReadGroupValue("Absent"));
}

TEST_F(GroupStore, DeletionRemovesOneGroupAndTheEmptySection) {
  ASSERT_TRUE(WriteGroup("A", "p1"));
  ASSERT_TRUE(WriteGroup("B", "p2"));
  EXPECT_TRUE(DeletePrinterGroup("A"));
  EXPECT_FALSE(DeletePrinterGroup("A"));
  EXPECT_EQ(ListPrinterGroups(), std::vector<std::string>{"B"});
  EXPECT_TRUE(DeletePrinterGroup("B"));
  EXPECT_TRUE(ListPrinterGroups().empty());
  EXPECT_EQ(readFile(dir_.file("quaymaster.ini")).find("[printer-groups]"), std::string::npos);
  // Keys outside the groups are untouched.
  EXPECT_NE(readFile(dir_.file("quaymaster.ini")).find("qmRootDir=/srv/qm"), std::string::npos);
}

TEST_F(GroupStore, DialogStateIsStoredAtTopLevel) {
  {
    AppFileConfig config;
    config.SetPath("/printer-groups");  // wherever the caller stands
    long w = 0;
    long h = 0;
    EXPECT_FALSE(ReadGroupsDialogSize(config, w, h));
    EXPECT_TRUE(WriteGroupsDialogState(config, {"A", "B_2"}, 480, 360));
    EXPECT_EQ(ListPrinterGroups(config).size(), 0u);
  }
  AppConfig config;
  std::string pg;
  EXPECT_TRUE(config.readText(cfgkey::kGroupNames, pg));
  EXPECT_EQ(pg, "A,B_2");
  long width = 0;
  long height = 0;
  EXPECT_TRUE(ReadGroupsDialogSize(config, width, height));
  EXPECT_EQ(width, 480);
  EXPECT_EQ(height, 360);
}

TEST(GroupStoreMissing, WritesFailWithoutCreatingTheFile) {
  ScratchDir dir;
  ScopedEnv override(kConfigDirVariable, dir.path().c_str());
  EXPECT_FALSE(WriteGroup("Floor", "p1"));
  EXPECT_FALSE(DeletePrinterGroup("Floor"));
  EXPECT_TRUE(ReadPrinterGroup("Floor").empty());
  EXPECT_FALSE(sdkFileExists(dir.file("quaymaster.ini").c_str()));
}

TEST(DestinationList, PrintersThenGroupsWithoutClashes) {
  std::vector<std::string> list =
      BuildDestinationList({"Tessel_1", "Tessel_2"}, {"Floor", "tessel_1", "Floor", "West"});
  EXPECT_EQ(list, (std::vector<std::string>{"Tessel_1", "Tessel_2", "\\\\\\Floor", "\\\\\\West"}));

  std::vector<std::string> many;
  for (int i = 0; i < 1023; ++i) many.push_back("P" + std::to_string(i));
  list = BuildDestinationList(many, {"G1", "G2"});
  EXPECT_EQ(list.size(), 1024u);
  EXPECT_EQ(list.back(), "\\\\\\G1");
}

TEST(DestinationList, ServerQueuesComeAfterThePrintersAndReplaceThePlaceholder) {
  EXPECT_EQ(BuildDestinationList({"Tessel_1"}, {"Forms@print-2"}, {"Floor"}, {"Lab"}),
            (std::vector<std::string>{"Tessel_1", "Forms@print-2", "\\\\\\Floor", "Lab"}));
  // No local printer but a server's queue: there is something to send to.
  EXPECT_EQ(BuildDestinationList({kNoPrintersAvailable}, {"Forms@print-2"}, {}, {}),
            (std::vector<std::string>{"Forms@print-2"}));
  EXPECT_EQ(BuildDestinationList({kNoPrintersAvailable}, {}, {}, {}), (std::vector<std::string>{kNoPrintersAvailable}));
}

}  // namespace
