// The configuration file saved by another process that is killed at any
// moment (no clean-up runs in it), on every platform: the file is always
// whole, and the next save still works.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "delivery/app_config.h"
#include "delivery/printer_groups.h"
#include "test_env.h"
#include "tests/common/child_process.h"

namespace {

std::string manyPrinters() {
  std::string many;
  for (int i = 0; i < 2000; ++i) many += (many.empty() ? "" : ",") + std::string("Printer_") + std::to_string(i);
  return many;
}

// Saves the configuration (found through the inherited environment) over
// and over with alternating contents.
const qmtest::Role saveConfig("save-config", [](const qmtest::RoleArgs&) {
  const std::string many = manyPrinters();
  std::printf("running\n");
  std::fflush(stdout);
  for (int i = 0;; ++i) {
    AppFileConfig config;
    config.writeNumber(cfgkey::kWidth, 100 + i % 2);
    WriteGroup(config, "Floor", i % 2 ? many : many + ",Extra");
    config.save();
  }
  return 0;
});

}  // namespace

TEST(ConfigReplaceProcesses, FileIsAlwaysWholeWhenTheSaverIsKilled) {
  ScratchDir dir;
  ScopedEnv override(kConfigDirVariable, dir.path().c_str());
  dir.write("quaymaster.ini", "qmRootDir=C:\\Quaymaster\n[printer-groups]\nFloor=" + manyPrinters() + "\n");

  for (int round = 0; round < 8; ++round) {
    auto saver = qmtest::Child::start("save-config", {});
    ASSERT_TRUE(saver);
    ASSERT_TRUE(saver->waitFor("running"));
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + 13 * round));
    saver->kill();
    AppConfig config;
    ASSERT_TRUE(config.exists()) << "round " << round;
    std::string root;
    EXPECT_TRUE(config.readText(cfgkey::kQmRootDir, root));
    EXPECT_EQ(root, "C:\\Quaymaster");
    std::vector<std::string> members = ReadPrinterGroup(config, "Floor");
    EXPECT_TRUE(members.size() == 2000 || members.size() == 2001) << members.size();
  }
  {
    AppConfig config;
    EXPECT_TRUE(config.writeNumber(cfgkey::kWidth, 640));
  }
  AppConfig reread;
  long width = 0;
  EXPECT_TRUE(reread.readNumber(cfgkey::kWidth, width));
  EXPECT_EQ(width, 640);
}
