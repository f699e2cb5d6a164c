#include "app/dialogs/set_printer_path_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/dialogs/dialog_buttons.h"
#include "app/dialogs/printer_type_choice.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"
#include "delivery/printer_path.h"

SetPrinterPathDialog::SetPrinterPathDialog(wxWindow* parent, const wxString& title, const wxString& localPath,
                                           const wxString& printerPath, bool omitSetButton)
    : wxDialog(parent, wxID_ANY, title) {
  const int gap = FromDIP(6);
  local_ = new PathField(this, wxID_ANY, _("Enter the full path to a legacy job resource"), localPath,
                         cfgkey::kLastLegacyDir, _("Browse"), _("All Files (*.*)|*.*"), PathKind::File);
  auto* printerLabel = new wxStaticText(this, wxID_ANY, _("Enter the corresponding printer path"));
  printer_ = new wxTextCtrl(this, wxID_ANY, printerPath);

  auto* group = new wxStaticBoxSizer(wxVERTICAL, this, _("Obtain the corresponding printer path"));
  types_ = std::make_unique<PrinterTypeChoice>(group->GetStaticBox(), _("using the default Quaymaster conversion"),
                                               kIdSetPathType);
  types_->addTo(group, gap);
  if (!omitSetButton) {
    set_ = new wxButton(group->GetStaticBox(), kIdSetPrinterPath, _("Set Printer Path"));
    group->Add(set_, 0, wxALIGN_RIGHT | wxALL, gap);
    set_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { setPrinterPath(); });
  }

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(local_, 0, wxEXPAND | wxALL, FromDIP(10));
  column->Add(printerLabel, 0, wxLEFT | wxRIGHT, FromDIP(10));
  column->Add(printer_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(10));
  column->Add(group, 0, wxEXPAND | wxALL, FromDIP(10));
  column->Add(okCancelRow(this), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
  local_->SetMinSize(wxSize(FromDIP(440), -1));
  SetSizerAndFit(column);
  CentreOnParent();
}

SetPrinterPathDialog::~SetPrinterPathDialog() = default;

wxString SetPrinterPathDialog::localPath() const { return local_->path(); }
wxString SetPrinterPathDialog::printerPath() const { return printer_->GetValue(); }
int SetPrinterPathDialog::typeIndex() const { return types_->typeIndex(); }

void SetPrinterPathDialog::setPrinterPath() {
  printer_->ChangeValue(toWx(ToPrinterPath(fromWx(localPath()), typeIndex(), true).path));
}
