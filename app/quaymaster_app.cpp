#include "app/quaymaster_app.h"

#include <wx/image.h>

#include "app/startup.h"

QuaymasterApp::QuaymasterApp() = default;
QuaymasterApp::~QuaymasterApp() = default;

bool QuaymasterApp::OnInit() {
  // The program ignores its arguments: the base class's parsing is not run.
  wxInitAllImageHandlers();
  startup_ = std::make_unique<Startup>();
  switch (startup_->run()) {
    case Startup::Outcome::Running:
      return true;
    case Startup::Outcome::SecondInstance:
    case Startup::Outcome::Cancelled:
      endStatus_ = 0;
      return true;
    case Startup::Outcome::NoConfiguration:
      return false;
  }
  return false;
}

int QuaymasterApp::OnRun() {
  if (endStatus_) return *endStatus_;
  return wxApp::OnRun();
}

int QuaymasterApp::OnExit() {
  startup_.reset();
  return wxApp::OnExit();
}
