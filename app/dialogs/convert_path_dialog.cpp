#include "app/dialogs/convert_path_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/dialogs/dialog_buttons.h"
#include "app/dialogs/printer_type_choice.h"
#include "app/field_mnemonics.h"
#include "app/file_filters.h"
#include "app/remembered_choosers.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"
#include "delivery/printer_path.h"
#include "ops/legacy_lists.h"

ConvertPathDialog::ConvertPathDialog(wxWindow* parent, const wxString& title, const wxString& printerPath)
    : wxDialog(parent, wxID_ANY, title) {
  const int gap = FromDIP(6);
  auto* group = new wxStaticBoxSizer(wxVERTICAL, this, _("Convert local path to printer path"));
  wxStaticBox* box = group->GetStaticBox();
  group->Add(new wxStaticText(box, wxID_ANY, _("Enter the &printer path")), 0, wxLEFT | wxRIGHT | wxTOP, gap);
  printer_ = new wxTextCtrl(box, wxID_ANY, printerPath, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  printer_->SetMinSize(wxSize(FromDIP(420), -1));
  group->Add(printer_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
  fault_ = newNameFaultLine(box);
  group->Add(fault_, 0, wxEXPAND | wxALL, gap);
  types_ = std::make_unique<PrinterTypeChoice>(box, _("using the default Quaymaster &conversion"), kIdConvertPathType);
  types_->addTo(group, gap);
  localPath_ = new wxButton(box, kIdConvertLocalPath, _("&Local Path..."));
  group->Add(localPath_, 0, wxALIGN_RIGHT | wxALL, gap);
  localPath_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { convertLocalPath(); });

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(group, 0, wxEXPAND | wxALL, FromDIP(10));
  column->Add(okCancelRow(this), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
  answerFieldMnemonics(this);
  SetSizerAndFit(column);
  CentreOnParent();

  checkWhileTyped(this, printer_, [this] { checkName(); });
  checkName();
}

ConvertPathDialog::~ConvertPathDialog() = default;

wxString ConvertPathDialog::printerPath() const { return printer_->GetValue(); }

void ConvertPathDialog::convertLocalPath() {
  std::optional<wxString> file = chooseFileRemembering(this, cfgkey::kLastLegacyDir, allFilesFilter());
  if (!file) return;
  printer_->ChangeValue(toWx(ToPrinterPath(fromWx(*file), types_->typeIndex(), true).path));
  checkName();
}

void ConvertPathDialog::checkName() {
  // Empty adds nothing; there is nothing to refuse.
  const std::string name = fromWx(printerPath());
  showNameFault(this, fault_, name.empty() ? std::string() : printerNameRefusal(name));
}
