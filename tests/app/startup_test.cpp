// Start-up: the single instance, the missing configuration, the working
// folder, the interpreter dialog before the main window, the help book.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/filefn.h>
#include <wx/radiobut.h>
#include <wx/toplevel.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/dialogs/interpreter_dialog.h"
#include "app/help_viewer.h"
#include "app/main_frame.h"
#include "app/path_field.h"
#include "app/startup.h"
#include "app/window_ids.h"
#include "gui_harness.h"
#include "krmsdk/krmsdk.h"

namespace fs = std::filesystem;

namespace {

class StartupTest : public AppTest {
 protected:
  static MainFrame* mainFrame() {
    for (wxWindow* window : wxTopLevelWindows)
      if (auto* frame = dynamic_cast<MainFrame*>(window)) return frame;
    return nullptr;
  }
};

TEST_F(StartupTest, MissingConfigurationIsReportedAndEndsTheProgram) {
  // A file of that name in the folder the program starts from is not used.
  const std::string programFolder = scratch_ + "/program";
  fs::create_directories(programFolder);
  std::ofstream(programFolder + "/quaymaster.ini") << "useBuiltin=1\nkoroStub=/x\n";
  fs::current_path(programFolder);

  Startup startup;
  EXPECT_EQ(startup.run(), Startup::Outcome::NoConfiguration);
  const auto messages = user_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "Initialization Failure");
  EXPECT_EQ(messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(messages[0].text,
            "The configuration file 'quaymaster.ini' was not found in the folder '" + scratch_ +
                "/config/'.\n\nPlease re-install the Brightway Quaymaster application, or name the folder that "
                "holds the file in the environment variable QUAYMASTER_CONFIG_DIR.");
  EXPECT_EQ(mainFrame(), nullptr);
  EXPECT_FALSE(fs::exists(configFile())) << "the program never creates the file";
}

TEST_F(StartupTest, UnreadableConfigurationIsNamedAndKept) {
  const std::string garbage("useBuiltin=1\n\x7f\x45\x4c\x46 \x01\x02\n", 20);
  std::ofstream(configFile(), std::ios::binary) << garbage;
  Startup startup;
  EXPECT_EQ(startup.run(), Startup::Outcome::NoConfiguration);
  const auto messages = user_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "Initialization Failure");
  EXPECT_NE(messages[0].text.find("'" + configFile() + "' cannot be read: line 2 "), std::string::npos)
      << messages[0].text;
  EXPECT_EQ(mainFrame(), nullptr);
  std::ifstream in(configFile(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
}

TEST_F(StartupTest, ConfiguredTesselShowsMainWindowInTheRootFolder) {
  // An installed Tessel whose folder does not exist still counts.
  writeConfig("useBuiltin=0\nkoroCore=/does/not/exist\n", false);
  Startup startup;
  ASSERT_EQ(startup.run(), Startup::Outcome::Running);
  EXPECT_TRUE(user_.prompts().empty());
  ASSERT_NE(startup.frame(), nullptr);
  EXPECT_TRUE(startup.frame()->IsShown());
  EXPECT_EQ(startup.frame()->GetTitle(), "Brightway Quaymaster");
  EXPECT_EQ(fs::current_path(), fs::path(scratch_));
  EXPECT_EQ(startup.help(), nullptr) << "no help book under the root folder";
}

TEST_F(StartupTest, RootFolderThatIsNoFolderKeepsTheStartFolder) {
  writeConfig("qmRootDir=/no/such/folder\nuseBuiltin=1\nkoroStub=" + stub_ + "\n", false);
  const fs::path before = fs::current_path();
  Startup startup;
  ASSERT_EQ(startup.run(), Startup::Outcome::Running);
  EXPECT_EQ(fs::current_path(), before);
}

TEST_F(StartupTest, BuiltinWithNullStubAsksForTesselBeforeTheWindowAndEndsOnCancel) {
  writeConfig("useBuiltin=1\nkoroStub=NULL\n", false);
  bool frameHidden = false;
  bool sawDialog = false;
  whenDialogShown([&](wxTopLevelWindow* window) {
    auto* dialog = dynamic_cast<InterpreterDialog*>(window);
    sawDialog = dialog != nullptr;
    MainFrame* frame = mainFrame();
    frameHidden = frame != nullptr && !frame->IsShown();
    screenshot(window, "interpreter-dialog-at-start");
    if (dialog) clickWithMouse(dialog->FindWindow(wxID_CANCEL));
  });
  Startup startup;
  EXPECT_EQ(startup.run(), Startup::Outcome::Cancelled);
  EXPECT_TRUE(sawDialog);
  EXPECT_TRUE(frameHidden) << "the main window exists but is not shown yet";
  pumpUntil([] { return mainFrame() == nullptr; });
  EXPECT_EQ(mainFrame(), nullptr) << "cancelling closes the main window";
  EXPECT_EQ(configValue("koroStub"), "NULL") << "cancel stores nothing";
}

TEST_F(StartupTest, InterpreterChosenAtStartThenMainWindow) {
  writeConfig("useBuiltin=1\nkoroStub=NULL\n", false);
  whenDialogShown([&](wxTopLevelWindow* window) {
    auto* dialog = dynamic_cast<InterpreterDialog*>(window);
    ASSERT_NE(dialog, nullptr);
    dialog->stubField()->setPath(wxString(stub_));
    clickWithMouse(dialog->FindWindow(kIdInterpreterOk));
  });
  Startup startup;
  ASSERT_EQ(startup.run(), Startup::Outcome::Running);
  ASSERT_NE(startup.frame(), nullptr);
  EXPECT_TRUE(startup.frame()->IsShown());
  EXPECT_EQ(configValue("koroStub"), stub_);
  EXPECT_EQ(configValue("useBuiltin"), "1");
}

TEST_F(StartupTest, HelpBookUnderRootFolderWithOrWithoutTrailingSlash) {
  fs::create_directories(scratch_ + "/docs");
  fs::copy_file(std::string(QM_BINARY_DIR) + "/docs/qmhelp.htb", scratch_ + "/docs/qmhelp.htb");
  for (const std::string& root : {scratch_, scratch_ + "/"}) {
    writeConfig("qmRootDir=" + root + "\nuseBuiltin=1\nkoroStub=" + stub_ + "\n", false);
    Startup startup;
    ASSERT_EQ(startup.run(), Startup::Outcome::Running);
    ASSERT_NE(startup.help(), nullptr) << root;
    EXPECT_EQ(startup.help()->bookPath(), scratch_ + "/docs/qmhelp.htb");
    EXPECT_EQ(HelpViewer::instance(), startup.help());
    closeAllWindows();
    krmFinished();
  }
}

// Starts the program as its own process with the test's environment.
pid_t startProgram() {
  pid_t pid = fork();
  if (pid == 0) {
    execl(QM_APP_PROGRAM, QM_APP_PROGRAM, static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// Waits for the process to end; its exit status, or -1 on timeout.
int waitForExit(pid_t pid, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

TEST_F(StartupTest, SecondInstanceEndsAtOnceWithStatusZero) {
  writeConfig();
  const pid_t first = startProgram();
  ASSERT_GT(first, 0);
  // The first instance holds the lock once it runs.
  const bool locked = pumpUntil([this] { return fs::exists(home_ + "/" + kInstanceName); }, 20000);
  ASSERT_TRUE(locked);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  const auto started = std::chrono::steady_clock::now();
  const pid_t second = startProgram();
  ASSERT_GT(second, 0);
  const int status = waitForExit(second, 20000);
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(status, 0);
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_EQ(waitForExit(first, 0), -1) << "the first instance still runs";

  kill(first, SIGTERM);
  if (waitForExit(first, 10000) == -1) {
    kill(first, SIGKILL);
    waitForExit(first, 5000);
  }
}

}  // namespace
