#include "app/dialogs/printer_answer_window.h"

#include <wx/button.h>
#include <wx/font.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "app/showable_wx.h"
#include "delivery/app_config.h"

wxString printerAnswerText(const std::vector<SendOutcome::Answer>& answers) {
  wxString text;
  for (const SendOutcome::Answer& one : answers) {
    if (!text.empty()) text += "\n";
    text += wxString::Format(_("%s answered %llu bytes:"), showableWx(one.printer),
                             static_cast<unsigned long long>(one.answer.total)) +
            "\n";
    text += toWx(ShowableAnswer(one.answer.kept));
    if (!one.answer.kept.empty() && one.answer.kept.back() != '\n') text += "\n";
    if (one.answer.truncated())
      text += wxString::Format(_("(%llu more bytes came and were not kept)"),
                               static_cast<unsigned long long>(one.answer.total - one.answer.kept.size())) +
              "\n";
  }
  return text;
}

PrinterAnswerWindow::PrinterAnswerWindow(wxWindow* parent, const std::vector<SendOutcome::Answer>& answers)
    : wxDialog(parent, wxID_ANY, _("What the Printer Answered"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  text_ = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, FromDIP(wxSize(620, 360)),
                         wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxTE_RICH2);
  text_->SetFont(wxFont(wxFontInfo().Family(wxFONTFAMILY_TELETYPE)));
  text_->ChangeValue(printerAnswerText(answers));
  auto* close = new wxButton(this, wxID_CLOSE, _("&Close"));
  close->SetDefault();
  SetEscapeId(wxID_CLOSE);
  auto* column = new wxBoxSizer(wxVERTICAL);
  const int edge = FromDIP(10);
  column->Add(text_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(close, 0, wxALIGN_RIGHT | wxALL, edge);
  SetSizerAndFit(column);
  CentreOnParent();
  close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
}
