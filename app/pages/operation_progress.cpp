#include "app/pages/operation_progress.h"

#include <algorithm>

#include "app/dialogs/send_progress_dialog.h"
#include "app/program_texts.h"
#include "delivery/app_config.h"

namespace {
ProgressWatch* g_watch = nullptr;
}  // namespace

ProgressWatch::ProgressWatch(std::function<void(wxGenericProgressDialog&)> watch) : watch_(std::move(watch)) {
  g_watch = this;
}

ProgressWatch::~ProgressWatch() {
  if (g_watch == this) g_watch = nullptr;
}

bool ProgressWatch::active() { return g_watch != nullptr; }

void ProgressWatch::notify(wxGenericProgressDialog& dialog) {
  if (g_watch != nullptr && g_watch->watch_) g_watch->watch_(dialog);
}

OperationProgress::OperationProgress(wxWindow* parent)
    : parent_(parent), start_(std::chrono::steady_clock::now()) {}

OperationProgress::~OperationProgress() = default;

OpProgress OperationProgress::callback() {
  return [this](const OpProgressStep& step) { return report(step); };
}

bool OperationProgress::report(const OpProgressStep& step) {
  if (cancelled_) return false;
  const wxString text = toWx(step.text());
  if (!dialog_) {
    if (!ProgressWatch::active() && std::chrono::steady_clock::now() - start_ < kDelay) return true;
    // The widest line the window will show keeps it from resizing later.
    dialog_ = std::make_unique<SendProgressDialog>(shortName(), text + wxString(' ', 40), parent_);
  }
  dialog_->showMembers(step.members);
  // A full bar would turn Cancel into Close and wait for the user.
  const int percent = std::min(step.percent(), 99);
  const bool goOn = percent >= 0 ? dialog_->Update(percent, text) : dialog_->Pulse(text);
  ProgressWatch::notify(*dialog_);
  cancelled_ = !goOn || dialog_->WasCancelled();
  return !cancelled_;
}
