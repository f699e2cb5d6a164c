// PrinterAnswerWindow: what the direct printers of a send wrote back, in
// full, in a read-only text window ("Details" of the results area). The
// answers are untrusted: every line is shown escaped (ShowableAnswer), and
// an answer longer than was kept says how much more came.
#pragma once

#include <wx/dialog.h>

#include <vector>

#include "delivery/send_job.h"

class wxTextCtrl;

class PrinterAnswerWindow : public wxDialog {
 public:
  PrinterAnswerWindow(wxWindow* parent, const std::vector<SendOutcome::Answer>& answers);

  wxTextCtrl* text() const { return text_; }

 private:
  wxTextCtrl* text_ = nullptr;
};

// The text the window shows.
wxString printerAnswerText(const std::vector<SendOutcome::Answer>& answers);
