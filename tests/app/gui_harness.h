// What the desktop tests share: a private world per test (configuration
// folder, home folder for the single-instance lock, and a private CUPS
// scheduler with simulated Tessel printers, or none at all), ways to let
// the windows work and to drive them, and screenshots.
#pragma once

#include <gtest/gtest.h>
#include <wx/defs.h>
#include <wx/string.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/user_prompts.h"
#include "tools/cups/private_cups.h"

class wxWindow;
class wxTopLevelWindow;

// Lets the event loop run for ms milliseconds (at least one round).
void pump(int ms = 0);
// Runs the event loop until done() or the timeout; the last answer.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Shows the window's current picture as <build>/screenshots/<name>.png;
// returns the path (empty on failure).
std::string screenshot(wxWindow* window, const std::string& name);

// A real mouse click in the middle of the window (the toolkit's action
// simulator), then the loop runs until the event was handled.
void clickWithMouse(wxWindow* window);
// A button press as the toolkit sends it.
void pressButton(wxWindow* button);

// Runs action once the next modal dialog (any top-level window that is not
// in the list of windows open now) is shown; the action gets that window.
// The caller then starts whatever shows the dialog modally.
void whenDialogShown(const std::function<void(wxTopLevelWindow*)>& action, int timeoutMs = 10000);

// Builds a dialog of type Dialog (parent none), shows it modally and runs
// drive() once it is on screen; whatever drive() leaves open is cancelled.
// The dialog's result.
// Ends every modal dialog still open after timeoutMs, as a test failure, so
// that a test never waits without a bound. Disarmed when destroyed.
class ModalWatchdog {
 public:
  explicit ModalWatchdog(int timeoutMs = 60000);
  ~ModalWatchdog();
  ModalWatchdog(const ModalWatchdog&) = delete;
  ModalWatchdog& operator=(const ModalWatchdog&) = delete;

 private:
  class Timer;
  std::unique_ptr<Timer> timer_;
};

template <typename Dialog>
int runModal(const std::function<void(Dialog&)>& drive) {
  Dialog* shown = nullptr;
  whenDialogShown([&](wxTopLevelWindow*) {
    drive(*shown);
    if (shown->IsModal()) shown->EndModal(wxID_CANCEL);
  });
  Dialog dialog(nullptr);
  shown = &dialog;
  ModalWatchdog watchdog;
  return dialog.ShowModal();
}

// The world of one test. The configuration file lives in its own folder
// (QUAYMASTER_CONFIG_DIR), HOME and the data folder with the send history
// (QUAYMASTER_DATA_DIR) are private, and the spooler is a private
// scheduler (printers) or a dead socket (no printer at all). The scratch
// folder is a new temporary folder, or, for the pictures of the guide, the
// fixed folder QM_SAMPLE_FOLDER names (one test at a time holds it), so that
// the paths the pictures show are the same in every run.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the private scheduler with the simulated printers Tessel_1 and
  // Tessel_2 and any extra raw queues.
  void startPrinters(const std::vector<std::string>& extraQueues = {});
  // Writes quaymaster.ini: a root folder (the scratch folder), the built-in
  // Tessel with a stub file, and the lines given (appended).
  void writeConfig(const std::string& extraLines = "", bool withTessel = true);
  // The configuration file's text, and one key's value ("" when absent).
  std::string configText() const;
  std::string configValue(const std::string& key) const;
  std::string configFile() const { return configDir_ + "/quaymaster.ini"; }

  // Every prompt of the test is recorded and answered from here.
  ScriptedUser user_;
  std::string scratch_;
  std::string configDir_;
  std::string home_;
  std::string stub_;
  std::unique_ptr<PrivateCups> cups_;

 private:
  std::map<std::string, std::optional<std::string>> savedEnv_;
  std::string startFolder_;
  int sampleLock_ = -1;
  // The fixed scratch folder, emptied, once no other test holds it.
  bool takeSampleFolder(const std::string& folder);
  void setEnv(const char* name, const std::string& value);
};

// A window manager on the test display: started (openbox) when the display
// is the test's own, assumed present on a person's display. Stopped when
// the object goes.
class WindowManager {
 public:
  WindowManager();
  ~WindowManager();
  bool running() const { return running_; }

 private:
  int pid_ = -1;
  bool running_ = false;
};

// Destroys every top-level window still open (a failed test may leave one).
void closeAllWindows();
