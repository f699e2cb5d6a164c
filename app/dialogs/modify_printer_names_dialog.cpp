#include "app/dialogs/modify_printer_names_dialog.h"

#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "app/dialogs/dialog_buttons.h"
#include "app/dialogs/printer_type_choice.h"
#include "app/window_ids.h"

ModifyPrinterNamesDialog::ModifyPrinterNamesDialog(wxWindow* parent, const wxString& title,
                                                   DerivedNamesRefusal derived)
    : wxDialog(parent, wxID_ANY, title), derived_(std::move(derived)) {
  auto* group = new wxStaticBoxSizer(wxVERTICAL, this, _("Modify the highlighted printer names"));
  types_ = std::make_unique<PrinterTypeChoice>(group->GetStaticBox(), _("according to the file &extensions"),
                                               kIdModifyNamesType);
  types_->addTo(group, FromDIP(6));
  fault_ = newNameFaultLine(group->GetStaticBox());
  fault_->SetMinSize(wxSize(FromDIP(360), -1));
  group->Add(fault_, 0, wxEXPAND | wxALL, FromDIP(6));

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(group, 0, wxEXPAND | wxALL, FromDIP(10));
  column->Add(okCancelRow(this), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
  SetSizerAndFit(column);
  CentreOnParent();

  checkOnChoice(this, [this] { checkNames(); });
  checkNames();
}

ModifyPrinterNamesDialog::~ModifyPrinterNamesDialog() = default;

int ModifyPrinterNamesDialog::typeIndex() const { return types_->typeIndex(); }

void ModifyPrinterNamesDialog::checkNames() {
  showNameFault(this, fault_, derived_ ? derived_(typeIndex()) : std::string());
}
