// The configuration file when the program is killed while saving it
// (SIGKILL of a forked child that saves over and over), values that would
// break the file's lines, and 8-bit values.
#include <gtest/gtest.h>

#include "delivery/app_config.h"
#include "delivery/printer_groups.h"
#include "test_env.h"
#include "tests/common/kill_child.h"

TEST(ConfigCrash, FileIsAlwaysWholeWhenTheSaverIsKilled) {
  QM_REQUIRE_FORK();
  ScratchDir dir;
  ScopedEnv override(kConfigDirVariable, dir.path().c_str());
  std::string many;
  for (int i = 0; i < 2000; ++i) many += (many.empty() ? "" : ",") + std::string("Printer_") + std::to_string(i);
  dir.write("quaymaster.ini", "qmRootDir=/opt/qm\n[printer-groups]\nFloor=" + many + "\n");

  for (int round = 0; round < 12; ++round) {
    bool killed = qmtest::killChildAfter(
        [&] {
          for (int i = 0;; ++i) {
            AppFileConfig config;
            config.writeNumber(cfgkey::kWidth, 100 + i % 2);
            WriteGroup(config, "Floor", i % 2 ? many : many + ",Extra");
            config.save();
          }
        },
        5 + 13 * round);
    ASSERT_TRUE(killed);
    AppConfig config;
    ASSERT_TRUE(config.exists()) << "round " << round;
    std::string root;
    EXPECT_TRUE(config.readText(cfgkey::kQmRootDir, root));
    EXPECT_EQ(root, "/opt/qm");
    std::vector<std::string> members = ReadPrinterGroup(config, "Floor");
    EXPECT_TRUE(members.size() == 2000 || members.size() == 2001) << members.size();
  }
}

TEST(ConfigCrash, LineBreaksInValuesAreRefused) {
  ScratchDir dir;
  ScopedEnv override(kConfigDirVariable, dir.path().c_str());
  dir.write("quaymaster.ini", "qmRootDir=/opt/qm\n");
  {
    AppConfig config;
    EXPECT_FALSE(config.writeText(cfgkey::kLastPrinter, "P\n[printer-groups]\nEvil=P"));
    EXPECT_FALSE(config.writeText(cfgkey::kLastLegacyDir, "C:\\a\rkoroCore=X"));
    EXPECT_FALSE(WriteGroup(config, "Floor", "A,B\nuseBuiltin=1"));
    EXPECT_TRUE(config.writeText(cfgkey::kLastPrinter, "P (1) \\ % \xe9"));
    EXPECT_TRUE(config.writeText(cfgkey::kLastLegacyDir, "C:\\B\xc3\xbcro"));
  }
  AppConfig reread;
  EXPECT_TRUE(ListPrinterGroups(reread).empty());
  bool builtin = false;
  EXPECT_FALSE(reread.readFlag(cfgkey::kUseBuiltin, builtin));
  std::string printer;
  EXPECT_TRUE(reread.readText(cfgkey::kLastPrinter, printer));
  // An 8-bit (Latin-1) name keeps its characters, stored as UTF-8; UTF-8
  // stays as it is.
  EXPECT_EQ(printer, "P (1) \\ % \xc3\xa9");
  std::string folder;
  EXPECT_TRUE(reread.readText(cfgkey::kLastLegacyDir, folder));
  EXPECT_EQ(folder, "C:\\B\xc3\xbcro");
}

TEST(ConfigCrash, HostileGroupNamesNeverReachTheFile) {
  ScratchDir dir;
  ScopedEnv override(kConfigDirVariable, dir.path().c_str());
  dir.write("quaymaster.ini", "qmRootDir=/opt/qm\n");
  auto noPrinter = [](const std::string&) { return false; };
  for (const char* bad : {"F(1)", "F)", "F\\G", "50%", "F\nuseBuiltin=1", "B\xfcro", "x/y", "[printer-groups]"})
    EXPECT_EQ(CheckNewGroupName(bad, {}, noPrinter).verdict, GroupNameCheck::Verdict::BadCharacter) << bad;
  // A group that slips past the dialog still cannot break the file.
  AppFileConfig config;
  EXPECT_FALSE(WriteGroup(config, "F\nuseBuiltin", "1"));
  EXPECT_TRUE(WriteGroup(config, "Floor_1", "P (1),Q\\R,50%,B\xc3\xbcro"));
  config.save();
  AppFileConfig reread;
  EXPECT_EQ(ListPrinterGroups(reread), std::vector<std::string>{"Floor_1"});
  EXPECT_EQ(ReadPrinterGroup(reread, "Floor_1"), (std::vector<std::string>{"P (1)", "Q\\R", "50%", "B\xc3\xbcro"}));
  bool builtin = false;
  EXPECT_FALSE(reread.readFlag(cfgkey::kUseBuiltin, builtin));
}
