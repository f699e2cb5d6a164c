#include "app/dialogs/direct_printers_dialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

#include "app/dialogs/dialog_buttons.h"
#include "app/dialogs/direct_printer_entry_dialog.h"
#include "app/field_mnemonics.h"
#include "app/showable_wx.h"
#include "app/user_prompts.h"
#include "base/showable_text.h"
#include "delivery/app_config.h"
#include "delivery/direct_printer.h"
#include "delivery/printer_groups.h"
#include "delivery/spooler.h"

DirectPrintersDialog::DirectPrintersDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, _("Direct Printers"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  const int gap = FromDIP(6);
  const int edge = FromDIP(10);
  auto* label = new wxStaticText(this, wxID_ANY, _("&Printers reached on their own port:"));
  list_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(420, 220)),
                         wxLC_REPORT | wxLC_SINGLE_SEL);
  list_->AppendColumn(_("Name"), wxLIST_FORMAT_LEFT, FromDIP(140));
  list_->AppendColumn(_("Address"), wxLIST_FORMAT_LEFT, FromDIP(260));
  add_ = new wxButton(this, wxID_ANY, _("&Add..."));
  change_ = new wxButton(this, wxID_ANY, _("C&hange..."));
  remove_ = new wxButton(this, wxID_ANY, _("&Remove"));

  {
    AppFileConfig config;
    for (const std::string& name : ListDirectPrinters(config)) {
      const std::optional<DirectAddress> address = ReadDirectPrinter(config, name);
      entries_.push_back({name, address ? address->uri() : std::string()});
    }
    groups_ = ListPrinterGroups(config);
  }

  auto* side = new wxBoxSizer(wxVERTICAL);
  side->Add(add_, 0, wxEXPAND | wxBOTTOM, gap);
  side->Add(change_, 0, wxEXPAND | wxBOTTOM, gap);
  side->Add(remove_, 0, wxEXPAND);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(list_, 1, wxEXPAND | wxRIGHT, gap);
  row->Add(side, 0);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(label, 0, wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(row, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(okCancelRow(this), 0, wxEXPAND | wxALL, edge);
  answerFieldMnemonics(this);
  SetSizerAndFit(column);
  Centre(wxBOTH);
  showEntries(entries_.empty() ? -1 : 0);

  add_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { addPrinter(); });
  change_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { changePrinter(); });
  remove_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { removePrinter(); });
  list_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { showEntries(selectedRow()); });
  list_->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { showEntries(selectedRow()); });
  list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { changePrinter(); });
  FindWindow(wxID_OK)->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    if (confirm()) EndModal(wxID_OK);
  });
}

std::string DirectPrintersDialog::nameRefusal(const std::string& name) const {
  std::vector<std::string> existing;
  for (const Entry& entry : entries_) existing.push_back(entry.name);
  const DirectNameCheck check = CheckDirectPrinterName(
      name, existing, groups_, [](const std::string& printer) { return IsInstalledPrinter(printer); });
  if (check.accepted()) return std::string();
  if (check.verdict == DirectNameCheck::Verdict::Empty) return fromWx(_("Enter a name for the printer."));
  // One line under the fields: the name the message ends with follows a colon.
  std::string line = check.message;
  const std::size_t gap = line.find("\n\n");
  if (gap != std::string::npos) {
    const std::size_t stop = gap > 0 && line[gap - 1] == '.' ? gap - 1 : gap;
    line.replace(stop, gap + 2 - stop, ": ");
  }
  return showableText(line);
}

int DirectPrintersDialog::selectedRow() const {
  return static_cast<int>(list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void DirectPrintersDialog::showEntries(int select) {
  if (list_->GetItemCount() != static_cast<int>(entries_.size())) {
    list_->DeleteAllItems();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      // Kept names passed the checks, but the file may have been edited.
      list_->InsertItem(static_cast<long>(i), showableWx(entries_[i].name));
      list_->SetItem(static_cast<long>(i), 1, showableWx(entries_[i].address));
    }
  } else {
    for (std::size_t i = 0; i < entries_.size(); ++i)
      list_->SetItem(static_cast<long>(i), 1, showableWx(entries_[i].address));
  }
  if (select >= 0 && select < list_->GetItemCount() && selectedRow() != select)
    list_->SetItemState(select, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  const bool chosen = selectedRow() >= 0;
  change_->Enable(chosen);
  remove_->Enable(chosen);
}

namespace {
int answerEntry(DirectPrinterEntryDialog& entry, const DirectPrintersDialog::EntryDriver& driver) {
  return driver.answer ? driver.answer(entry) : entry.ShowModal();
}
}  // namespace

void DirectPrintersDialog::addPrinter(const EntryDriver& driver) {
  DirectPrinterEntryDialog entry(this, _("Add Direct Printer"),
                                 [this](const std::string& name) { return nameRefusal(name); });
  if (answerEntry(entry, driver) != wxID_OK) return;
  if (!nameRefusal(entry.name()).empty() || entry.address().empty()) return;
  entries_.push_back({entry.name(), entry.address()});
  removed_.erase(std::remove(removed_.begin(), removed_.end(), entry.name()), removed_.end());
  showEntries(static_cast<int>(entries_.size()) - 1);
}

void DirectPrintersDialog::changePrinter(const EntryDriver& driver) {
  const int row = selectedRow();
  if (row < 0) return;
  Entry& chosen = entries_[static_cast<std::size_t>(row)];
  DirectPrinterEntryDialog entry(this, _("Change Direct Printer"), {}, toWx(chosen.name), toWx(chosen.address));
  if (answerEntry(entry, driver) != wxID_OK || entry.address().empty()) return;
  chosen.address = entry.address();
  showEntries(row);
}

void DirectPrintersDialog::removePrinter() {
  const int row = selectedRow();
  if (row < 0) return;
  removed_.push_back(entries_[static_cast<std::size_t>(row)].name);
  entries_.erase(entries_.begin() + row);
  list_->DeleteItem(row);
  showEntries(std::min(row, static_cast<int>(entries_.size()) - 1));
}

bool DirectPrintersDialog::confirm() {
  AppFileConfig config;
  bool written = true;
  for (const std::string& name : removed_) {
    if (!FindDirectPrinter(config, name).empty()) written = DeleteDirectPrinter(config, name) && written;
  }
  for (const Entry& entry : entries_) {
    const AddressCheck address = ParseSocketUri(entry.address);
    // An entry kept with an address that no longer passes is left alone.
    if (address.accepted()) written = WriteDirectPrinter(config, entry.name, *address.address) && written;
  }
  if (written && config.save()) return true;
  const std::string why = config.saveError().empty() ? std::string("the configuration file cannot be written")
                                                     : config.saveError();
  showMessage(this, wxString::Format(_("The direct printers cannot be kept: %s"), toWx(why)));
  return false;
}
