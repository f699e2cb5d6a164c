// The settings rules of the desktop windows and the About box text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "delivery/spooler.h"
#include "ops/about_text.h"
#include "ops/desktop_settings.h"
#include "tests/common/test_platform.h"

namespace fs = std::filesystem;

namespace {

class DesktopSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SdkString dir;
    ASSERT_EQ(sdkMakeTempDir(dir), 1);
    dir_ = dir.str();
    file_ = dir_ + "/quaymaster.ini";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  void write(const std::string& text) { std::ofstream(file_) << text; }
  std::string read() const {
    std::ifstream in(file_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string dir_, file_;
};

TEST_F(DesktopSettingsTest, TesselConfiguredFollowsTheChosenKind) {
  struct Case {
    const char* text;
    bool configured;
  } cases[] = {
      {"useBuiltin=1\nkoroStub=NULL\nkoroCore=/opt/t\n", false},  // the stub counts, not the folder
      {"useBuiltin=1\nkoroStub=/s/stub.ps\n", true},
      {"useBuiltin=1\nkoroStub=\n", false},
      {"useBuiltin=1\nkoroStub=null\n", true},  // only "NULL" exactly means unset
      {"useBuiltin=0\nkoroCore=/does/not/exist\n", true},  // folders are not checked
      {"useBuiltin=0\nkoroCore=NULL\nkoroStub=/s/stub.ps\n", false},
      {"koroCore=/opt/t\n", true},
      {"koroStub=/s/stub.ps\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    write(c.text);
    EXPECT_EQ(tesselConfigured(file_), c.configured) << c.text;
  }
}

TEST_F(DesktopSettingsTest, HelpBookPathHasExactlyOneSeparatorBeforeDocs) {
  write("qmRootDir=/opt/quaymaster\n");
  EXPECT_EQ(helpBookPath(file_), qmtest::native("/opt/quaymaster/docs/qmhelp.htb"));
  write("qmRootDir=/opt/quaymaster/\n");
  EXPECT_EQ(helpBookPath(file_), qmtest::native("/opt/quaymaster/docs/qmhelp.htb"));
  write("useBuiltin=1\n");
  EXPECT_EQ(helpBookPath(file_), "") << "no working-folder fallback for the help book";
}

TEST_F(DesktopSettingsTest, WorkingFolderFallsBackWhenRootIsNotAFolder) {
  write("qmRootDir=" + dir_ + "\n");
  EXPECT_EQ(workingFolder("/start", file_), dir_);
  write("qmRootDir=" + file_ + "\n");
  EXPECT_EQ(workingFolder("/start", file_), "/start");
  write("qmRootDir=\n");
  EXPECT_EQ(workingFolder("/start", file_), "/start");
  write("\n");
  EXPECT_EQ(workingFolder("/start", file_), "/start");
}

TEST_F(DesktopSettingsTest, ClosingStoresDestinationWithoutGroupMarker) {
  write("lastPrinter=Old\n");
  ClosingWindowState state{"\\\\\\Floor_2", false, true, 1280, 1000};
  ASSERT_TRUE(saveMainWindowSettings(state, file_));
  MainWindowSettings s = readMainWindowSettings(file_);
  EXPECT_EQ(s.lastPrinter, "Floor_2");
  EXPECT_FALSE(s.statusPage);
  EXPECT_TRUE(s.isMaximized);
  ASSERT_TRUE(s.size);
  EXPECT_EQ(s.size->first, 1280);
  EXPECT_EQ(s.size->second, 1000);

  // The placeholder and an empty destination leave lastPrinter alone.
  for (const std::string& destination : {noPrintersSentinel(), std::string()}) {
    state.destination = destination;
    ASSERT_TRUE(saveMainWindowSettings(state, file_));
    EXPECT_EQ(readMainWindowSettings(file_).lastPrinter, "Floor_2");
  }
}

TEST_F(DesktopSettingsTest, DefaultsWhenKeysAreAbsent) {
  write("width=700\n");
  MainWindowSettings s = readMainWindowSettings(file_);
  EXPECT_TRUE(s.statusPage);
  EXPECT_FALSE(s.isMaximized);
  EXPECT_FALSE(s.size) << "a size needs both width and height";
  EXPECT_EQ(s.lastPrinter, "");
}

TEST_F(DesktopSettingsTest, InterpreterChoiceWritesAllFourKeys) {
  write("koroStub=/old/stub.ps\n");
  ASSERT_TRUE(saveInterpreterChoice({false, "/opt/tessel", "", true}, file_));
  const std::string text = read();
  EXPECT_NE(text.find("useBuiltin=0"), std::string::npos) << text;
  EXPECT_NE(text.find("koroCore=/opt/tessel"), std::string::npos) << text;
  EXPECT_NE(text.find("koroStub=\n"), std::string::npos) << "the stub is written even when empty: " << text;
  EXPECT_NE(text.find("includeLUS=1"), std::string::npos) << text;
}

TEST_F(DesktopSettingsTest, TesselHeaderVersion) {
  auto header = [this](const std::string& head) {
    std::string text = head;
    if (text.size() < 255) text += std::string(255 - text.size(), ' ');
    const std::string path = dir_ + "/tqf.eeh";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  };
  EXPECT_EQ(tesselHeaderVersion(header("%!PS\n%%Version: 11.0.4\r\n%%End")).value_or("?"), "11.0.4");
  EXPECT_EQ(tesselHeaderVersion(header("%%Version:  two spaces\n")).value_or("?"), " two spaces");
  EXPECT_FALSE(tesselHeaderVersion(header("%!PS no marker\n")));
  // Shorter than 255 bytes: no version at all.
  const std::string shortPath = dir_ + "/short.eeh";
  std::ofstream(shortPath) << "%%Version: 11.0\n";
  EXPECT_FALSE(tesselHeaderVersion(shortPath));
  EXPECT_FALSE(tesselHeaderVersion(dir_ + "/missing.eeh"));
}

TEST_F(DesktopSettingsTest, AboutTextNamesTheTesselAndTheRealToolkit) {
  ProgramIdentity id{"Brightway Quaymaster", "11.0", "Notice.", "wxWidgets 3.2.2"};
  write("useBuiltin=1\n");
  std::string text = aboutText(id, file_);
  EXPECT_EQ(text.rfind("Brightway Quaymaster 11.0\nKX Project resources management utility for remote printers.\n"
                       "Notice.\n\nBuilt-in Tessel 11.0\n\n",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("\n\nKRMSDK 1.8.7\nKPSDK 2.1.2\nwxWidgets 3.2.2"), std::string::npos) << text;
  EXPECT_EQ(text.find("wxWindows"), std::string::npos);

  // An installed Tessel whose header is shorter than 255 bytes: the folder
  // line and no version.
  const std::string core = dir_ + "/tessel";
  fs::create_directories(core + "/src");
  std::ofstream(core + "/src/tqf.eeh") << "%%Version: 11.0\n";
  write("useBuiltin=0\nkoroCore=" + core + "\n");
  text = aboutText(id, file_);
  EXPECT_NE(text.find("Tessel Directory = \"" + core + "\"\n\n\nKRMSDK"), std::string::npos) << text;

  // A full header adds the version line.
  std::ofstream(core + "/src/tqf.eeh") << "%%Version: 11.2\n" << std::string(300, '%');
  text = aboutText(id, file_);
  EXPECT_NE(text.find("Tessel Directory = \"" + core + "\"\nTessel 11.2\n\nKRMSDK"), std::string::npos) << text;
}

}  // namespace
