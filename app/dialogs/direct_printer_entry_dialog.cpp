#include "app/dialogs/direct_printer_entry_dialog.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/dialogs/dialog_buttons.h"
#include "app/field_mnemonics.h"
#include "delivery/app_config.h"
#include "delivery/direct_printer.h"

DirectPrinterEntryDialog::DirectPrinterEntryDialog(wxWindow* parent, const wxString& caption,
                                                   std::function<std::string(const std::string&)> nameRefusal,
                                                   const wxString& name, const wxString& address)
    : wxDialog(parent, wxID_ANY, caption), nameRefusal_(std::move(nameRefusal)) {
  const int edge = FromDIP(10);
  auto* nameLabel = new wxStaticText(this, wxID_ANY, _("&Name:"));
  name_ = new wxTextCtrl(this, wxID_ANY, name, wxDefaultPosition, FromDIP(wxSize(500, -1)), wxTE_PROCESS_ENTER);
  name_->Enable(name.empty());
  auto* addressLabel = new wxStaticText(this, wxID_ANY, _("&Address (socket://HOST[:PORT]):"));
  address_ = new wxTextCtrl(this, wxID_ANY, address.empty() ? wxString(kSocketScheme) : address, wxDefaultPosition,
                            wxDefaultSize, wxTE_PROCESS_ENTER);
  // Room for two lines: an address's refusal is longer than a name's.
  fault_ = new wxStaticText(this, wxID_ANY, " ", wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
  fault_->SetForegroundColour(wxColour(170, 0, 0));
  fault_->SetMinSize(wxSize(-1, 2 * fault_->GetCharHeight() + FromDIP(2)));

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(nameLabel, 0, wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(name_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(addressLabel, 0, wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(address_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(fault_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(okCancelRow(this), 0, wxEXPAND | wxALL, edge);
  answerFieldMnemonics(this);
  SetSizerAndFit(column);
  Centre(wxBOTH);

  checkWhileTyped(this, name_, [this] { check(); });
  checkWhileTyped(this, address_, [this] { check(); });
  check();
  (name.empty() ? name_ : address_)->SetFocus();
}

std::string DirectPrinterEntryDialog::name() const {
  std::string text = fromWx(name_->GetValue());
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string DirectPrinterEntryDialog::address() const {
  const AddressCheck parsed = ParseSocketUri(fromWx(address_->GetValue()));
  return parsed.accepted() ? parsed.address->uri() : std::string();
}

void DirectPrinterEntryDialog::check() {
  // A name being changed was accepted when it was added.
  std::string refusal = name_->IsEnabled() ? nameRefusal_(fromWx(name_->GetValue())) : std::string();
  if (refusal.empty()) refusal = ParseSocketUri(fromWx(address_->GetValue())).message;
  const wxString text = refusal.empty() ? wxString(" ") : toWx(refusal);
  if (fault_->GetLabelText() != text) {
    // Program text: an ampersand in it is not a mnemonic.
    fault_->SetLabelText(text);
    const int width = fault_->GetClientSize().x;
    if (width > 0) fault_->Wrap(width);
  }
  FindWindow(wxID_OK)->Enable(refusal.empty());
}
