#include "delivery/app_config.h"

#include <gtest/gtest.h>

#include "tests/delivery/test_env.h"

namespace {

#ifdef _WIN32

TEST(ConfigFolder, AllUsersApplicationDataFolder) {
  ScopedEnv noOverride(kConfigDirVariable, nullptr);
  // The shell's shared application-data folder (C:\ProgramData), which exists.
  const std::string shared = allUsersDataFolder();
  ASSERT_FALSE(shared.empty());
  EXPECT_EQ(shared.find(':'), 1u) << shared;
  EXPECT_NE(shared.back(), '\\');
  EXPECT_TRUE(sdkIsDirectory(shared.c_str())) << shared;
  EXPECT_EQ(configFolder("quaymaster.ini"), shared + "\\Norvane\\KORO\\QMAN\\");
  // Only the exact name gets the QMAN folder.
  EXPECT_EQ(configFolder("Quaymaster.ini"), shared + "\\Norvane\\KORO\\");
  EXPECT_EQ(configFolder("other.ini"), shared + "\\Norvane\\KORO\\");
  EXPECT_EQ(resolveConfigFile("quaymaster", "").fullPath, shared + "\\Norvane\\KORO\\QMAN\\quaymaster.ini");
}

TEST(ConfigFolder, EnvironmentVariableReplacesTheFolder) {
  ScopedEnv override(kConfigDirVariable, "D:\\op\\qm");
  EXPECT_EQ(configFolder("quaymaster.ini"), "D:\\op\\qm\\");
  EXPECT_EQ(configFolder("other.ini"), "D:\\op\\qm\\");
  // An empty value counts as unset.
  ScopedEnv empty(kConfigDirVariable, "");
  EXPECT_EQ(configFolder("quaymaster.ini"), allUsersDataFolder() + "\\Norvane\\KORO\\QMAN\\");
}

#else

TEST(ConfigFolder, AllUsersFolderFollowsTheDesktopConventions) {
  ScopedEnv noOverride(kConfigDirVariable, nullptr);
  {
    ScopedEnv xdg("XDG_CONFIG_DIRS", nullptr);
    EXPECT_EQ(configFolder("quaymaster.ini"), "/etc/xdg/Norvane/KORO/QMAN/");
    // Only the exact name gets the QMAN folder.
    EXPECT_EQ(configFolder("Quaymaster.ini"), "/etc/xdg/Norvane/KORO/");
    EXPECT_EQ(configFolder("other.ini"), "/etc/xdg/Norvane/KORO/");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_DIRS", "/opt/site/xdg/:/etc/xdg");
    EXPECT_EQ(configFolder("quaymaster.ini"), "/opt/site/xdg/Norvane/KORO/QMAN/");
  }
  {
    // Relative entries are not valid there.
    ScopedEnv xdg("XDG_CONFIG_DIRS", "relative/xdg");
    EXPECT_EQ(configFolder("quaymaster.ini"), "/etc/xdg/Norvane/KORO/QMAN/");
  }
}

TEST(ConfigFolder, EnvironmentVariableReplacesTheFolder) {
  ScopedEnv override(kConfigDirVariable, "/home/op/qm");
  EXPECT_EQ(configFolder("quaymaster.ini"), "/home/op/qm/");
  EXPECT_EQ(configFolder("other.ini"), "/home/op/qm/");
  // An empty value counts as unset.
  ScopedEnv empty(kConfigDirVariable, "");
  ScopedEnv xdg("XDG_CONFIG_DIRS", nullptr);
  EXPECT_EQ(configFolder("quaymaster.ini"), "/etc/xdg/Norvane/KORO/QMAN/");
}

#endif

TEST(ConfigFile, ResolvesNamesAndExistence) {
  ScratchDir dir;
  ScopedEnv override(kConfigDirVariable, dir.path().c_str());

  ConfigLocation missing = resolveConfigFile("quaymaster", "");
  EXPECT_FALSE(missing.exists);
  EXPECT_EQ(missing.fileName, "quaymaster.ini");
  EXPECT_EQ(missing.fullPath, dir.file("quaymaster.ini"));
  EXPECT_EQ(missing.localName, "");

  dir.write("quaymaster.ini", "qmRootDir=/srv/qm\n");
  EXPECT_TRUE(resolveConfigFile("quaymaster", "").exists);
  // A name that holds ".ini" anywhere is used as it is.
  EXPECT_EQ(resolveConfigFile("site.ini.d", "").fileName, "site.ini.d");

  const std::string local = dir.write("own.cfg", "");
  ConfigLocation own = resolveConfigFile("quaymaster", local);
  EXPECT_TRUE(own.exists);
  EXPECT_EQ(own.fullPath, local);
  EXPECT_EQ(own.fileName, "own.cfg");
  EXPECT_EQ(own.localName, local);
  // A folder of that name is not the file.
  EXPECT_FALSE(resolveConfigFile("quaymaster", dir.path()).exists);
}

TEST(ConfigFile, MissingFileGivesDefaultsAndIsNeverCreated) {
  ScratchDir dir;
  ScopedEnv override(kConfigDirVariable, dir.path().c_str());
  {
    AppConfig config;
    EXPECT_FALSE(config.exists());
    EXPECT_EQ(config.fileName(), "quaymaster.ini");
    long width = cfgkey::kDefaultWidth;
    EXPECT_FALSE(config.readNumber(cfgkey::kWidth, width));
    EXPECT_EQ(width, 620);
    EXPECT_TRUE(config.writeText(cfgkey::kLastPrinter, "P1"));
    EXPECT_FALSE(config.save());
  }
  EXPECT_FALSE(sdkFileExists(dir.file("quaymaster.ini").c_str()));
}

TEST(ConfigFile, KeysRoundTripVerbatimThroughBothObjects) {
  ScratchDir dir;
  ScopedEnv override(kConfigDirVariable, dir.path().c_str());
  dir.write("quaymaster.ini",
            "qmRootDir=C:\\Program Files\\Quaymaster\\\n"
            "useBuiltin=1\n"
            "koroCore=$HOME/tessel\n"
            "[printer-groups]\n"
            "Floor_2=Tessel_1,Tessel_2\n");
  {
    AppConfig config;
    ASSERT_TRUE(config.exists());
    std::string root;
    ASSERT_TRUE(config.readText(cfgkey::kQmRootDir, root));
    EXPECT_EQ(root, "C:\\Program Files\\Quaymaster\\");
    std::string core;
    ASSERT_TRUE(config.readText(cfgkey::kKoroCore, core));
    EXPECT_EQ(core, "$HOME/tessel");  // no variable expansion
    bool builtin = false;
    EXPECT_TRUE(config.readFlag(cfgkey::kUseBuiltin, builtin));
    EXPECT_TRUE(builtin);
    bool statusPage = cfgkey::kDefaultStatusPage;
    EXPECT_FALSE(config.readFlag(cfgkey::kStatusPage, statusPage));
    EXPECT_TRUE(statusPage);

    EXPECT_TRUE(config.writeNumber(cfgkey::kWidth, 800));
    EXPECT_TRUE(config.writeFlag(cfgkey::kIsMaximized, true));
    EXPECT_TRUE(config.writeText(cfgkey::kLastLegacyDir, "D:\\res\\forms"));
  }  // written when dropped
  AppFileConfig reread;
  long width = 0;
  EXPECT_TRUE(reread.readNumber(cfgkey::kWidth, width));
  EXPECT_EQ(width, 800);
  bool maximized = false;
  EXPECT_TRUE(reread.readFlag(cfgkey::kIsMaximized, maximized));
  EXPECT_TRUE(maximized);
  std::string legacy;
  EXPECT_TRUE(reread.readText(cfgkey::kLastLegacyDir, legacy));
  EXPECT_EQ(legacy, "D:\\res\\forms");
  std::string group;
  EXPECT_TRUE(reread.readText("/printer-groups/Floor_2", group));
  EXPECT_EQ(group, "Tessel_1,Tessel_2");
  // Root keys stay ahead of every group, where a person expects them.
  const std::string text = readFile(dir.file("quaymaster.ini"));
  EXPECT_LT(text.find("width=800"), text.find("[printer-groups]"));
}

TEST(ConfigFile, ExplicitLocalFileIsUsedAsIs) {
  ScratchDir dir;
  const std::string local = dir.write("private.ini", "lastPrinter=Raw_Capture\n");
  AppConfig config(kAppName, "", local);
  EXPECT_TRUE(config.exists());
  EXPECT_EQ(config.fullPath(), local);
  std::string printer;
  EXPECT_TRUE(config.readText(cfgkey::kLastPrinter, printer));
  EXPECT_EQ(printer, "Raw_Capture");
}

}  // namespace

namespace {

TEST(ConfigFile, InstallerWritesAFileTheProgramReads) {
#ifdef _WIN32
  GTEST_SKIP() << "runs the Linux installer step; the Windows installer is installed and run under Wine by "
                  "scripts/test-windows.sh";
#endif
  ScratchDir dir;
  const std::string command = std::string("bash '") + QM_SOURCE_DIR + "/scripts/install-config.sh' --root '" +
                              dir.path() + "' --dir '" + dir.file("QMAN") + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ScopedEnv override(kConfigDirVariable, dir.file("QMAN").c_str());
  AppConfig config;
  ASSERT_TRUE(config.exists());
  std::string root;
  EXPECT_TRUE(config.readText(cfgkey::kQmRootDir, root));
  EXPECT_EQ(root, dir.path());
  bool statusPage = false;
  EXPECT_TRUE(config.readFlag(cfgkey::kStatusPage, statusPage));
  EXPECT_TRUE(statusPage);
  long height = 0;
  EXPECT_TRUE(config.readNumber(cfgkey::kHeight, height));
  EXPECT_EQ(height, cfgkey::kDefaultHeight);
  // A second run keeps what is there.
  config.writeText(cfgkey::kLastPrinter, "Tessel_1");
  ASSERT_TRUE(config.save());
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(readFile(dir.file("QMAN/quaymaster.ini")).find("lastPrinter=Tessel_1"), std::string::npos);
}

}  // namespace
