#include "app/dialogs/printer_groups_dialog.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <optional>
#include <string>
#include <vector>

#include "app/art.h"
#include "app/field_mnemonics.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "base/natural_order.h"
#include "delivery/app_config.h"
#include "delivery/direct_printer.h"
#include "delivery/network_spooler.h"
#include "delivery/printer_groups.h"
#include "delivery/spooler.h"

namespace {

std::vector<std::string> printersBeyondLocal() {
  std::vector<std::string> printers = EnumerateServerPrinters(ReadPrintServers()).printers;
  for (const std::string& direct : ListDirectPrinters()) printers.push_back(direct);
  return printers;
}

// The local printers in number order (Q2 before Q10, as in the destination
// list), then the further ones in their order; a name offered twice (a
// direct printer named like a queue) once.
std::vector<std::string> offeredPrinters(const std::vector<std::string>& further) {
  std::vector<std::string> offered = EnumeratePrinters();
  // The placeholder stands for "no printer at all"; a server's queue is one.
  if (!further.empty() && offered.size() == 1 && offered[0] == noPrintersSentinel()) offered.clear();
  sdkNaturalSort(offered);
  for (const std::string& name : further) {
    bool known = false;
    for (const std::string& existing : offered) known = known || equalsNoCase(existing, name);
    if (!known) offered.push_back(name);
  }
  return offered;
}

}  // namespace

PrinterGroupsDialog::PrinterGroupsDialog(wxWindow* parent, std::optional<std::vector<std::string>> further)
    : wxDialog(parent, wxID_ANY, _("Printer Groups"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  const int gap = FromDIP(6);
  auto* groupsLabel = new wxStaticText(this, wxID_ANY, _("Printer &Groups:"));
  add_ = new wxBitmapButton(this, kIdGroupAdd, artBundle(Art::Add));
  add_->SetToolTip(_("Add a new printer group."));
  delete_ = new wxBitmapButton(this, kIdGroupDelete, artBundle(Art::Delete));
  delete_->SetToolTip(_("Delete the selected printer group."));
  groups_ = new wxChoice(this, kIdGroupChoice, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxCB_SORT);
  auto* printersLabel = new wxStaticText(this, wxID_ANY, _("&Printers:"));
  // Ordered here: local printers, further printers, missing members.
  printers_ = new wxCheckListBox(this, kIdGroupPrinters, wxDefaultPosition, FromDIP(wxSize(300, 220)));
  checkAll_ = new wxButton(this, kIdCheckAll, _("Check &All"));
  checkAll_->SetToolTip(_("Check all printers."));
  uncheckAll_ = new wxButton(this, kIdUncheckAll, _("&Uncheck All"));
  uncheckAll_->SetToolTip(_("Uncheck all printers."));
  auto* ok = new wxButton(this, wxID_OK, _("OK"));
  auto* cancel = new wxButton(this, wxID_CANCEL, _("Cancel"));
  apply_ = new wxButton(this, wxID_APPLY, _("Appl&y"));
  ok->SetDefault();

  for (const std::string& name : ListPrinterGroups()) groups_->Append(toWx(name));
  for (const std::string& name : offeredPrinters(further ? *further : printersBeyondLocal()))
    printers_->Append(toWx(name));
  installedCount_ = printers_->GetCount();
  apply_->Disable();

  auto* groupRow = new wxBoxSizer(wxHORIZONTAL);
  groupRow->Add(groupsLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  groupRow->AddStretchSpacer();
  groupRow->Add(add_, 0, wxRIGHT, gap / 2);
  groupRow->Add(delete_, 0);
  auto* checkRow = new wxBoxSizer(wxHORIZONTAL);
  checkRow->Add(checkAll_, 0, wxRIGHT, gap);
  checkRow->Add(uncheckAll_, 0);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  buttons->Add(ok, 0, wxRIGHT, gap);
  buttons->Add(cancel, 0, wxRIGHT, gap);
  buttons->Add(apply_, 0);

  auto* column = new wxBoxSizer(wxVERTICAL);
  const int edge = FromDIP(10);
  column->Add(groupRow, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(groups_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(printersLabel, 0, wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(printers_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(checkRow, 0, wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(buttons, 0, wxEXPAND | wxALL, edge);
  answerFieldMnemonics(this);
  SetSizerAndFit(column);
  Centre(wxBOTH);

  if (groups_->IsEmpty()) {
    enableMembers(false);
  } else {
    SwitchGroup(groups_->GetString(0));
  }
  long width = 0;
  long height = 0;
  {
    AppFileConfig config;
    if (ReadGroupsDialogSize(config, width, height)) SetSize(static_cast<int>(width), static_cast<int>(height));
  }

  add_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { addGroup(); });
  delete_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { deleteGroup(); });
  groups_->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) { SwitchGroup(event.GetString()); });
  printers_->Bind(wxEVT_CHECKLISTBOX, [this](wxCommandEvent&) { enableApplyWhenGrouped(); });
  checkAll_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SetAllChecks(true); });
  uncheckAll_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SetAllChecks(false); });
  apply_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    SaveCurrentGroup();
    apply_->Disable();
  });
  ok->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { confirm(); });
}

std::string PrinterGroupsDialog::checkedMemberText() const {
  std::vector<std::string> checked;
  for (unsigned i = 0; i < printers_->GetCount(); ++i) {
    if (!printers_->IsChecked(i)) continue;
    checked.push_back(i < installedCount_ ? fromWx(printers_->GetString(i)) : missing_[i - installedCount_]);
  }
  return BuildMemberText(checked);
}

void PrinterGroupsDialog::enableMembers(bool enable) {
  printers_->Enable(enable);
  checkAll_->Enable(enable);
  uncheckAll_->Enable(enable);
}

void PrinterGroupsDialog::enableApplyWhenGrouped() {
  if (!groups_->IsEmpty()) apply_->Enable();
}

void PrinterGroupsDialog::SwitchGroup(const wxString& name) {
  if (!current_.empty() && current_.IsSameAs(name, false)) return;
  if (!current_.empty()) {
    const std::string built = checkedMemberText();
    const std::optional<std::string> stored = ReadGroupValue(fromWx(current_));
    const bool unchanged = stored ? *stored == built : built.empty();
    if (!unchanged &&
        showMessage(this, _("Do you want to keep the changes made to the printer group.\n\n") + current_,
                    MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes) {
      WriteGroup(fromWx(current_), built);
    }
  }
  groups_->SetStringSelection(name);
  while (printers_->GetCount() > installedCount_) printers_->Delete(printers_->GetCount() - 1);
  missing_.clear();
  for (unsigned i = 0; i < printers_->GetCount(); ++i) printers_->Check(i, false);
  enableApplyWhenGrouped();
  for (const std::string& member : ReadPrinterGroup(fromWx(name))) {
    const int at = printers_->FindString(toWx(member), false);
    if (at != wxNOT_FOUND && static_cast<unsigned>(at) < installedCount_) {
      printers_->Check(static_cast<unsigned>(at), true);
      continue;
    }
    // Not installed (any more): shown, so that it is neither lost without a
    // word nor kept without the operator knowing; unchecking removes it.
    printers_->Append(wxString::Format(_("%s (missing)"), toWx(member)));
    printers_->Check(printers_->GetCount() - 1, true);
    missing_.push_back(member);
  }
  apply_->Disable();
  current_ = name;
}

void PrinterGroupsDialog::SaveCurrentGroup() {
  if (groups_->IsEmpty()) return;
  WriteGroup(fromWx(current_), checkedMemberText());
}

void PrinterGroupsDialog::SetAllChecks(bool checked) {
  for (unsigned i = 0; i < printers_->GetCount(); ++i) printers_->Check(i, checked);
  enableApplyWhenGrouped();
}

void PrinterGroupsDialog::addGroup() {
  const std::optional<wxString> entered =
      askText(this, _("Enter the name of the new printer group."), _("Add Group"));
  if (!entered) return;
  std::vector<std::string> existing;
  for (unsigned i = 0; i < groups_->GetCount(); ++i) existing.push_back(fromWx(groups_->GetString(i)));
  const GroupNameCheck check =
      CheckNewGroupName(fromWx(*entered), existing, [](const std::string& name) { return IsInstalledPrinter(name); });
  if (check.verdict == GroupNameCheck::Verdict::Empty) return;
  if (!check.accepted()) {
    showMessage(this, toWx(check.message));
    return;
  }
  const wxString name = toWx(check.name);
  groups_->Append(name);
  SwitchGroup(name);
  SaveCurrentGroup();
  enableMembers(true);
}

void PrinterGroupsDialog::deleteGroup() {
  if (groups_->IsEmpty()) return;
  const wxString name = groups_->GetStringSelection();
  if (showMessage(this, _("Are you sure you want to delete the selected printer group?\n\n") + name,
                  MessageIcon::Question, MessageButtons::OkCancel) != MessageAnswer::Ok)
    return;
  if (!DeletePrinterGroup(fromWx(name))) {
    showMessage(this, wxGetTranslation(kGroupDeleteFailedMessage) + name, MessageIcon::Information);
    return;
  }
  current_.clear();
  groups_->Delete(static_cast<unsigned>(groups_->GetSelection()));
  if (groups_->IsEmpty()) {
    groups_->Clear();
    SetAllChecks(false);
    apply_->Disable();
    enableMembers(false);
  } else {
    SwitchGroup(groups_->GetString(0));
  }
}

void PrinterGroupsDialog::confirm() {
  std::vector<std::string> names;
  for (unsigned i = 0; i < groups_->GetCount(); ++i) names.push_back(fromWx(groups_->GetString(i)));
  const wxSize size = GetSize();
  {
    AppFileConfig config;
    WriteGroupsDialogState(config, names, size.x, size.y);
  }
  SaveCurrentGroup();
  if (IsModal()) {
    EndModal(wxID_OK);
  } else {
    SetReturnCode(wxID_OK);
    Hide();
  }
}
