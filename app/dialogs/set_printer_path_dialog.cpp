#include "app/dialogs/set_printer_path_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/dialogs/dialog_buttons.h"
#include "app/dialogs/printer_type_choice.h"
#include "app/field_mnemonics.h"
#include "app/file_filters.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"
#include "delivery/printer_path.h"
#include "ops/legacy_lists.h"

SetPrinterPathDialog::SetPrinterPathDialog(wxWindow* parent, const wxString& title, const wxString& localPath,
                                           const wxString& printerPath, bool omitSetButton,
                                           DerivedNamesRefusal derived)
    : wxDialog(parent, wxID_ANY, title), derived_(std::move(derived)) {
  const int gap = FromDIP(6);
  local_ = new PathField(this, wxID_ANY, _("Enter the full path to a legacy job &resource"), localPath,
                         cfgkey::kLastLegacyDir, _("Browse"), allFilesFilter(), PathKind::File);
  local_->browseButton()->SetLabel(_("&Browse..."));
  auto* printerLabel = new wxStaticText(this, wxID_ANY, _("Enter the corresponding &printer path"));
  printer_ = new wxTextCtrl(this, wxID_ANY, printerPath, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  fault_ = newNameFaultLine(this);

  auto* group = new wxStaticBoxSizer(wxVERTICAL, this, _("Obtain the corresponding printer path"));
  types_ = std::make_unique<PrinterTypeChoice>(group->GetStaticBox(), _("using the default Quaymaster &conversion"),
                                               kIdSetPathType);
  types_->addTo(group, gap);
  if (!omitSetButton) {
    set_ = new wxButton(group->GetStaticBox(), kIdSetPrinterPath, _("&Set Printer Path"));
    group->Add(set_, 0, wxALIGN_RIGHT | wxALL, gap);
    set_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { setPrinterPath(); });
  }

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(local_, 0, wxEXPAND | wxALL, FromDIP(10));
  column->Add(printerLabel, 0, wxLEFT | wxRIGHT, FromDIP(10));
  column->Add(printer_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(10));
  column->Add(fault_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(10));
  column->Add(group, 0, wxEXPAND | wxALL, FromDIP(10));
  column->Add(okCancelRow(this), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
  local_->SetMinSize(wxSize(FromDIP(440), -1));
  answerFieldMnemonics(this);
  SetSizerAndFit(column);
  CentreOnParent();

  for (wxTextCtrl* field : {local_->textField(), printer_}) checkWhileTyped(this, field, [this] { checkName(); });
  // A type picked changes the name derived.
  checkOnChoice(this, [this] { checkName(); });
  checkName();
}

SetPrinterPathDialog::~SetPrinterPathDialog() = default;

wxString SetPrinterPathDialog::localPath() const { return local_->path(); }
wxString SetPrinterPathDialog::printerPath() const { return printer_->GetValue(); }
int SetPrinterPathDialog::typeIndex() const { return types_->typeIndex(); }

void SetPrinterPathDialog::setPrinterPath() {
  printer_->ChangeValue(toWx(ToPrinterPath(fromWx(localPath()), typeIndex(), true).path));
  checkName();
}

void SetPrinterPathDialog::checkName() {
  std::string refusal;
  if (derived_) {
    refusal = derived_(typeIndex());
  } else if (!printerPath().empty()) {
    refusal = printerNameRefusal(fromWx(printerPath()));
  } else if (!localPath().empty()) {
    // OK derives the name from the local path.
    refusal = printerNameRefusal(ToPrinterPath(fromWx(localPath()), typeIndex(), true).path, true);
  }
  showNameFault(this, fault_, refusal);
}
