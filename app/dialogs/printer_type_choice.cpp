#include "app/dialogs/printer_type_choice.h"

#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>

#include "delivery/printer_path.h"

PrinterTypeChoice::PrinterTypeChoice(wxWindow* parent, const wxString& ruleLabel, int choiceId) {
  rule_ = new wxRadioButton(parent, wxID_ANY, ruleLabel, wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  type_ = new wxRadioButton(parent, wxID_ANY, _("according to the specified file &type"));
  list_ = new wxChoice(parent, choiceId);
  for (const PrinterResourceType& type : kPrinterResourceTypes) list_->Append(wxGetTranslation(type.label));
  list_->SetSelection(0);
  rule_->SetValue(true);
  list_->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
    type_->SetValue(true);
    event.Skip();
  });
}

void PrinterTypeChoice::addTo(wxSizer* column, int gap) const {
  column->Add(rule_, 0, wxALL, gap);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(type_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  row->Add(list_, 0, wxALIGN_CENTER_VERTICAL);
  column->Add(row, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
}

int PrinterTypeChoice::typeIndex() const { return type_->GetValue() ? list_->GetSelection() : -1; }
