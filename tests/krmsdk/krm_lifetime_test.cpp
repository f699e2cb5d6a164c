// Start and stop of the library, last message, result texts, debug log.
#include <gtest/gtest.h>

#include "krm_test_util.h"
#include "krmsdk/krm_lifetime.h"

using namespace krmtest;

TEST(KrmLifetime, StartStopAndMessages) {
  if (krmGetLastMessage() != nullptr) krmFinished();
  EXPECT_EQ(krmFinished(), 1008);
  EXPECT_EQ(krmGetLastMessage(), nullptr);
  EXPECT_EQ(krmGetLastArgument(), nullptr);

  auto fos = krmNewFOS();
  auto vos = krmNewVOS();
  vos->krmVOSSetOutputPath("/tmp/never-written.ps");
  EXPECT_EQ(krmListPrinterFiles(fos.get(), vos.get()), 1006);
  EXPECT_EQ(krmGetLastMessage(), nullptr);

  EXPECT_EQ(krmInitialize(), 1001);
  EXPECT_STREQ(krmGetLastMessage(), "[krmInitialize] Task completes successfully.");
  EXPECT_STREQ(krmGetLastArgument(), "");
  EXPECT_EQ(krmInitialize(), 1007);
  EXPECT_STREQ(krmGetLastMessage(), "[krmInitialize] KRMSDK library is already initialized.");
  EXPECT_EQ(krmFinished(), 1001);
  EXPECT_EQ(krmFinished(), 1008);
  // The library may be started again.
  EXPECT_EQ(krmInitialize(), 1001);
  EXPECT_EQ(krmFinished(), 1001);
  EXPECT_STREQ(krmGetVersion(), "KRMSDK 1.8.7");
  EXPECT_STREQ(krmGetBuiltInKOROVersion(), "11.0");
}

TEST(KrmLifetime, ResultTextsAndMessageFormat) {
  EXPECT_STREQ(krmResultText(1001), "Task completes successfully.");
  EXPECT_STREQ(krmResultText(1019), "Cannot obtain the font name from the font file.");
  EXPECT_STREQ(krmResultText(1023),
               "Operation cannot be completed because a resource file is too large, or empty.");
  EXPECT_STREQ(krmResultText(1000), "");
  // The library's own code for a job its caller stopped follows the table.
  EXPECT_STREQ(krmResultText(1024), "Task cancelled by the caller.");
  EXPECT_STREQ(krmResultText(1025), "");

  ASSERT_EQ(krmInitialize(), 1001);
  krmSetResult("krmCreateFileLoader", 1003, "C:\\forms\\a.frm");
  EXPECT_STREQ(krmGetLastMessage(), "[krmCreateFileLoader] Cannot locate source file. [C:\\forms\\a.frm]");
  EXPECT_STREQ(krmGetLastArgument(), "C:\\forms\\a.frm");
  krmSetResult("", 1005, "");
  EXPECT_STREQ(krmGetLastMessage(), "Problem writing to the file.");
  krmFinished();
}

// The log lives in the directory that is current at start-up; the test
// makes a private directory current and works on a log file there.
TEST(KrmLifetime, DebugLogOnlyWhenPresentAndBelowCap) {
  PrivateWorkingDir privateDir;
  SdkString cwd;
  ASSERT_EQ(sdkGetCwd(cwd), 1);
  const std::string log = sdkJoinPath(cwd.view(), "krmdebug.log");
  std::error_code ec;
  fs::remove(log, ec);

  ASSERT_EQ(krmInitialize(), 1001);
  krmLog("nothing to see");
  EXPECT_FALSE(fs::exists(log));
  krmFinished();

  writeFile(log, "");
  ASSERT_EQ(krmInitialize(), 1001);
  krmLog("hello log");
  auto fos = krmNewFOS();
  auto vos = krmNewVOS();
  krmListPrinterFiles(fos.get(), vos.get());
  krmFinished();
  std::string text = readFile(log);
  EXPECT_NE(text.find(": [krmInitialize] Task completes successfully.\r\n"), std::string::npos);
  EXPECT_NE(text.find(": KRMSDK 1.8.7\r\n"), std::string::npos);
  EXPECT_NE(text.find(": hello log\r\n"), std::string::npos);
  EXPECT_NE(text.find(": [krmListPrinterFiles] Invalid parameter. [krmVOS.outputPath]\r\n"), std::string::npos);
  EXPECT_NE(text.find(": [krmFinished] START\r\n"), std::string::npos);
  // Each line starts with the date and time.
  EXPECT_NE(text.find_first_of("0123456789"), std::string::npos);
  EXPECT_EQ(text.find_first_of("0123456789"), 0u);

  // Exactly 1048577 bytes: no more lines. One byte less: one more line.
  writeFile(log, std::string(1048577, 'x'));
  ASSERT_EQ(krmInitialize(), 1001);
  krmLog("dropped");
  EXPECT_EQ(fs::file_size(log), 1048577u);
  krmFinished();
  writeFile(log, std::string(1048576, 'x'));
  ASSERT_EQ(krmInitialize(), 1001);
  krmLog("kept");
  EXPECT_GT(fs::file_size(log), 1048576u);
  krmFinished();
  fs::remove(log, ec);
}
