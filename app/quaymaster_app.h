// The application object: runs the start-up and ends the program with the
// status it calls for.
#pragma once

#include <wx/app.h>

#include <memory>
#include <optional>

class Startup;

class QuaymasterApp : public wxApp {
 public:
  QuaymasterApp();
  ~QuaymasterApp() override;

  bool OnInit() override;
  int OnRun() override;
  int OnExit() override;

 private:
  std::unique_ptr<Startup> startup_;
  // Set when the program ends without running its window.
  std::optional<int> endStatus_;
};
