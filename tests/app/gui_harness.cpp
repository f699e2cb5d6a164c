#include "gui_harness.h"

#include <cups/cups.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/filefn.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "base/sdk_fs.h"
#include "krmsdk/krmsdk.h"

namespace fs = std::filesystem;

void pump(int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    wxTheApp->Yield(true);
    wxTheApp->ProcessPendingEvents();
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < deadline);
}

bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    pump();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string screenshot(wxWindow* window, const std::string& name) {
  if (window == nullptr) return {};
  window->Refresh();
  window->Update();
  pump(150);
  // The client area: the menu bar is drawn by the toolkit outside it.
  const wxSize size = window->GetClientSize();
  if (size.x <= 0 || size.y <= 0) return {};
  wxBitmap picture(size);
  {
    wxClientDC source(window);
    wxMemoryDC memory(picture);
    memory.Blit(0, 0, size.x, size.y, &source, 0, 0);
  }
  fs::create_directories(QM_SCREENSHOT_DIR);
  const std::string path = std::string(QM_SCREENSHOT_DIR) + "/" + name + ".png";
  return picture.SaveFile(path, wxBITMAP_TYPE_PNG) ? path : std::string();
}

void clickWithMouse(wxWindow* window) {
  window->Raise();
  pump(50);
  const wxRect rect = window->GetScreenRect();
  wxUIActionSimulator mouse;
  mouse.MouseMove(rect.GetLeft() + rect.width / 2, rect.GetTop() + rect.height / 2);
  pump(50);
  mouse.MouseClick();
  pump(150);
}

void pressButton(wxWindow* button) {
  wxCommandEvent event(wxEVT_BUTTON, button->GetId());
  event.SetEventObject(button);
  button->ProcessWindowEvent(event);
  pump();
}

namespace {

class DialogWatch : public wxTimer {
 public:
  DialogWatch(std::function<void(wxTopLevelWindow*)> action, int timeoutMs)
      : action_(std::move(action)),
        deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
    for (wxWindow* window : wxTopLevelWindows) known_.insert(window);
    Start(20);
  }

  void Notify() override {
    for (wxWindow* window : wxTopLevelWindows) {
      auto* top = dynamic_cast<wxTopLevelWindow*>(window);
      if (top == nullptr || known_.count(window) != 0 || !top->IsShown()) continue;
      // Shown but not yet in its modal loop (a loaded machine can get here
      // while the toolkit waits on the window manager inside Show()): ending
      // it now would be lost, and ShowModal() would then wait for ever.
      if (auto* dialog = dynamic_cast<wxDialog*>(window); dialog != nullptr && !dialog->IsModal()) continue;
      Stop();
      // Let the dialog paint before it is driven.
      auto action = action_;
      wxTheApp->CallAfter([action, top] {
        pump(100);
        action(top);
      });
      delete this;
      return;
    }
    if (std::chrono::steady_clock::now() > deadline_) {
      Stop();
      ADD_FAILURE() << "no dialog was shown";
      // A modal dialog that was missed would wait for ever.
      for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog != nullptr && dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
      }
      delete this;
    }
  }

 private:
  std::function<void(wxTopLevelWindow*)> action_;
  std::chrono::steady_clock::time_point deadline_;
  std::set<wxWindow*> known_;
};

}  // namespace

void whenDialogShown(const std::function<void(wxTopLevelWindow*)>& action, int timeoutMs) {
  new DialogWatch(action, timeoutMs);
}

class ModalWatchdog::Timer : public wxTimer {
 public:
  void Notify() override {
    for (wxWindow* window : wxTopLevelWindows) {
      auto* dialog = dynamic_cast<wxDialog*>(window);
      if (dialog == nullptr || !dialog->IsModal()) continue;
      ADD_FAILURE() << "a dialog was still open at the time limit: " << dialog->GetTitle().utf8_string();
      dialog->EndModal(wxID_CANCEL);
    }
  }
};

ModalWatchdog::ModalWatchdog(int timeoutMs) : timer_(std::make_unique<Timer>()) {
  timer_->StartOnce(timeoutMs);
}

ModalWatchdog::~ModalWatchdog() { timer_->Stop(); }

namespace {
bool windowManagerAnnounced() {
  std::string output;
  return runProgram({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, output) == 0 &&
         output.find("window id") != std::string::npos;
}
}  // namespace

WindowManager::WindowManager() {
  if (std::getenv("QM_TEST_OWN_DISPLAY") == nullptr) {
    running_ = true;
    return;
  }
  if (windowManagerAnnounced()) {
    running_ = true;
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    _exit(127);
  }
  running_ = pid_ > 0 && pumpUntil(windowManagerAnnounced, 10000);
}

WindowManager::~WindowManager() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

void closeAllWindows() {
  for (int round = 0; round < 50 && !wxTopLevelWindows.empty(); ++round) {
    for (wxWindow* window : wxTopLevelWindows) {
      if (!wxPendingDelete.Member(window)) window->Destroy();
    }
    pump(10);
  }
}

void AppTest::setEnv(const char* name, const std::string& value) {
  if (savedEnv_.count(name) == 0) {
    const char* old = std::getenv(name);
    savedEnv_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }
  setenv(name, value.c_str(), 1);
}

void AppTest::SetUp() {
  startFolder_ = fs::current_path().string();
  if (const char* sample = std::getenv("QM_SAMPLE_FOLDER"); sample != nullptr && *sample != '\0') {
    ASSERT_TRUE(takeSampleFolder(sample)) << sample;
    scratch_ = sample;
  } else {
    SdkString dir;
    ASSERT_EQ(sdkMakeTempDir(dir), 1);
    scratch_ = dir.str();
  }
  configDir_ = scratch_ + "/config";
  home_ = scratch_ + "/home";
  fs::create_directories(configDir_);
  fs::create_directories(home_);
  fs::create_directories(scratch_ + "/client");
  stub_ = scratch_ + "/tessel/tqfstub.ps";
  fs::create_directories(scratch_ + "/tessel");
  std::ofstream(stub_) << "%!PS\nTQFdict begin\n[ (" << scratch_ << "/p/) ] SETPPATH\nend\n";
  setEnv("QUAYMASTER_CONFIG_DIR", configDir_);
  setEnv("HOME", home_);
  setEnv("QUAYMASTER_DATA_DIR", scratch_ + "/data");
  // No scheduler answers here: no printer at all until startPrinters().
  const std::string dead = scratch_ + "/no-scheduler.sock";
  setEnv("CUPS_SERVER", dead);
  setEnv("CUPS_SERVERROOT", scratch_ + "/client");
  cupsSetServer(dead.c_str());
}

void AppTest::TearDown() {
  closeAllWindows();
  krmFinished();
  std::error_code ec;
  fs::current_path(startFolder_, ec);
  cups_.reset();
  for (const auto& [name, value] : savedEnv_) {
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
  }
  fs::remove_all(scratch_, ec);
  if (sampleLock_ >= 0) close(sampleLock_);
  sampleLock_ = -1;
}

bool AppTest::takeSampleFolder(const std::string& folder) {
  sampleLock_ = open((folder + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (sampleLock_ < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  while (flock(sampleLock_, LOCK_EX | LOCK_NB) != 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  // What an earlier run left, if it is ours; a link or someone else's
  // folder is never followed or removed.
  struct stat st {};
  if (lstat(folder.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid()) return false;
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
  return mkdir(folder.c_str(), 0700) == 0;
}

void AppTest::startPrinters(const std::vector<std::string>& extraQueues) {
  std::string error;
  cups_ = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, QM_PRINTER_SIM, error);
  ASSERT_TRUE(cups_) << error;
  std::string disk, pages, jobs;
  ASSERT_TRUE(cups_->addSimulated("Tessel_1", disk, pages)) << cups_->lastError();
  ASSERT_TRUE(cups_->addSimulated("Tessel_2", disk, pages)) << cups_->lastError();
  for (const std::string& name : extraQueues) ASSERT_TRUE(cups_->addCapture(name, jobs)) << cups_->lastError();
  cups_->useForClients();
  // useForClients moved HOME; the single-instance lock stays in ours.
  setenv("HOME", home_.c_str(), 1);
}

void AppTest::writeConfig(const std::string& extraLines, bool withTessel) {
  std::ofstream out(configFile());
  out << "qmRootDir=" << scratch_ << "\n";
  if (withTessel) out << "useBuiltin=1\nkoroStub=" << stub_ << "\n";
  out << extraLines;
}

std::string AppTest::configText() const {
  std::ifstream in(configFile());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string AppTest::configValue(const std::string& key) const {
  std::istringstream lines(configText());
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return {};
}
