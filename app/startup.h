// The program's start-up and the objects that live as long as it runs.
//
// run() checks that no other instance runs (a second one ends at once,
// silently, with status 0), that the configuration file exists (otherwise
// the "Initialization Failure" message), makes qmRootDir the working
// folder, creates the main window, asks for a Tessel when none is
// configured (cancelling ends the program), starts the job library and
// shows the window, and opens the help book when it is there.
#pragma once

#include <memory>

class HelpViewer;
class MainFrame;
class wxSingleInstanceChecker;

inline constexpr char kInstanceName[] = "QM_INSTANCE_MUTEX";

class Startup {
 public:
  enum class Outcome {
    Running,          // the main window is shown
    SecondInstance,   // another instance runs: end with status 0
    NoConfiguration,  // the message was shown: end
    Cancelled,        // the interpreter dialog was cancelled: end with status 0
  };

  Startup();
  ~Startup();
  Startup(const Startup&) = delete;
  Startup& operator=(const Startup&) = delete;

  Outcome run();

  // The main window while it exists (null before, and after it closed).
  MainFrame* frame() const;
  HelpViewer* help() const { return help_.get(); }

 private:
  std::unique_ptr<wxSingleInstanceChecker> instance_;
  std::unique_ptr<HelpViewer> help_;
  MainFrame* frame_ = nullptr;
};
