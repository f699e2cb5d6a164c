// The progress window of long work: building a job of a big project,
// opening a big container for its resource list, loading many files. The
// window appears only once the work has run for a moment (short jobs show
// nothing), shows what is being done, and has Cancel; while it is up the
// work pumps the window's events, so the program does not look hung. A
// group's send lists its members there, each with where it stands. The
// operation stops at its next report after Cancel: nothing is sent and no
// temporary file stays behind.
#pragma once

#include <wx/string.h>

#include <chrono>
#include <functional>
#include <memory>

#include "ops/operation.h"

class SendProgressDialog;
class wxGenericProgressDialog;
class wxWindow;

class OperationProgress {
 public:
  explicit OperationProgress(wxWindow* parent);
  ~OperationProgress();
  OperationProgress(const OperationProgress&) = delete;
  OperationProgress& operator=(const OperationProgress&) = delete;

  // The callback for OpContext::progress.
  OpProgress callback();
  bool shown() const { return dialog_ != nullptr; }
  bool cancelled() const { return cancelled_; }

  // How long work runs before the window appears.
  static constexpr std::chrono::milliseconds kDelay{400};

 private:
  bool report(const OpProgressStep& step);

  wxWindow* parent_;
  std::chrono::steady_clock::time_point start_;
  std::unique_ptr<SendProgressDialog> dialog_;
  bool cancelled_ = false;
};

// Tests watch the progress window: while a ProgressWatch exists (the
// latest one made), the window appears at the first report, and the watch
// is called after every update (it may press Cancel).
class ProgressWatch {
 public:
  explicit ProgressWatch(std::function<void(wxGenericProgressDialog&)> watch);
  static bool active();
  ~ProgressWatch();
  ProgressWatch(const ProgressWatch&) = delete;
  ProgressWatch& operator=(const ProgressWatch&) = delete;

  static void notify(wxGenericProgressDialog& dialog);

 private:
  std::function<void(wxGenericProgressDialog&)> watch_;
};
