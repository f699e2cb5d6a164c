#include "app/dialogs/dialog_buttons.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "delivery/app_config.h"

wxSizer* okCancelRow(wxDialog* dialog) {
  auto* ok = new wxButton(dialog, wxID_OK, _("OK"));
  auto* cancel = new wxButton(dialog, wxID_CANCEL, _("Cancel"));
  ok->SetDefault();
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->AddStretchSpacer();
  row->Add(ok, 0, wxRIGHT, dialog->FromDIP(6));
  row->Add(cancel, 0);
  return row;
}

wxStaticText* newNameFaultLine(wxWindow* parent) {
  // Never empty of height: the dialog keeps its size as the text comes and goes.
  // Cut with "..." where it is wider than the dialog; the tool tip holds it whole.
  auto* line = new wxStaticText(parent, wxID_ANY, " ", wxDefaultPosition, wxDefaultSize,
                                wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
  line->SetForegroundColour(wxColour(170, 0, 0));
  return line;
}

void showNameFault(wxDialog* dialog, wxStaticText* line, const std::string& refusal) {
  const wxString text = refusal.empty() ? wxString(" ") : toWx(refusal);
  if (line->GetLabelText() != text) {
    // The refusal is program text; an ampersand in it is not a mnemonic.
    line->SetLabelText(text);
    line->SetToolTip(refusal.empty() ? wxString() : text);
  }
  if (wxWindow* ok = dialog->FindWindow(wxID_OK)) ok->Enable(refusal.empty());
}

void pressDefaultButton(wxDialog* dialog) {
  auto* ok = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_OK));
  if (ok == nullptr || !ok->IsEnabled()) return;
  wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
  click.SetEventObject(ok);
  ok->ProcessWindowEvent(click);
}

void checkWhileTyped(wxDialog* dialog, wxTextCtrl* field, const std::function<void()>& check) {
  field->Bind(wxEVT_TEXT, [check](wxCommandEvent& event) {
    event.Skip();
    check();
  });
  // Skipped on, so that the field's own handler (a path field's) runs too.
  field->Bind(wxEVT_TEXT_ENTER, [dialog](wxCommandEvent& event) {
    event.Skip();
    pressDefaultButton(dialog);
  });
}

void checkOnChoice(wxDialog* dialog, const std::function<void()>& check) {
  auto handler = [check](wxCommandEvent& event) {
    event.Skip();
    check();
  };
  dialog->Bind(wxEVT_RADIOBUTTON, handler);
  dialog->Bind(wxEVT_CHOICE, handler);
}
