#include "app/operations_panel.h"

#include <wx/checkbox.h>
#include <wx/odcombo.h>
#include <wx/frame.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <algorithm>

#include "app/pages/page_factory.h"
#include "app/program_texts.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"
#include "delivery/printer_groups.h"
#include "delivery/spooler.h"
#include "ops/desktop_settings.h"

OperationsPanel::OperationsPanel(wxFrame* frame) : wxPanel(frame, wxID_ANY), frame_(frame) {
  // 1. The operation list with its large icons.
  list_ = new wxListCtrl(this, kIdOperationList, wxDefaultPosition, wxSize(FromDIP(100), -1),
                         wxLC_ICON | wxLC_SINGLE_SEL | wxLC_ALIGN_TOP);
  const wxSize iconSize = FromDIP(wxSize(32, 32));
  auto* images = new wxImageList(iconSize.x, iconSize.y, true, kPageCount);
  for (int i = 0; i < kPageCount; ++i) images->Add(artBundle(pageDescription(i).icon, iconSize).GetBitmap(iconSize));
  list_->AssignImageList(images, wxIMAGE_LIST_NORMAL);
  for (int i = 0; i < kPageCount; ++i) list_->InsertItem(i, wxGetTranslation(pageDescription(i).label), i);
  // At least 100 pixels, and wide enough for the longest label: the list
  // does not wrap its labels.
  int widest = 0;
  for (int i = 0; i < kPageCount; ++i) widest = std::max(widest, list_->GetTextExtent(list_->GetItemText(i)).x);
  list_->SetMinSize(wxSize(std::max(FromDIP(100), widest + FromDIP(16)), -1));

  // 2, 3. Destinations, selected as last time.
  destination_ = new wxOwnerDrawnComboBox(this, kIdDestination, wxString(), wxDefaultPosition, wxDefaultSize, 0,
                                          nullptr, wxCB_READONLY);
  fillDestinations();
  const MainWindowSettings settings = readMainWindowSettings();
  const wxString last = toWx(settings.lastPrinter);
  int selection = last.empty() ? wxNOT_FOUND : destination_->FindString(last);
  if (selection == wxNOT_FOUND && !last.empty()) selection = destination_->FindString(groupEntry(last));
  destination_->SetSelection(selection == wxNOT_FOUND ? 0 : selection);

  // 4. The status-page box.
  statusPage_ = new wxCheckBox(this, wxID_ANY, _("Print status page."));
  statusPage_->SetToolTip(_("Prints a list of the files added/removed by the current operation (if applicable)."));
  statusPage_->SetValue(settings.statusPage);

  // 5. The pages; page 0 alone is in the layout.
  for (int i = 0; i < kPageCount; ++i) {
    pages_[static_cast<std::size_t>(i)] = createOperationPage(i, this, *this);
    pages_[static_cast<std::size_t>(i)]->placeInformationButtonLast();
    pages_[static_cast<std::size_t>(i)]->Show(i == 0);
  }

  // 6. Without printers nothing can be sent during this run.
  if (noPrinters_) {
    for (OperationPage* page : pages_) page->disableActions();
  }

  // 7. Layout.
  const int gap = FromDIP(6);
  auto* destinationRow = new wxBoxSizer(wxHORIZONTAL);
  destinationRow->Add(new wxStaticText(this, wxID_ANY, _("Destination:")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  destinationRow->Add(destination_, 1, wxALIGN_CENTER_VERTICAL);
  right_ = new wxBoxSizer(wxVERTICAL);
  right_->Add(destinationRow, 0, wxEXPAND | wxBOTTOM, gap);
  right_->Add(statusPage_, 0, wxBOTTOM, gap);
  right_->Add(pages_[0], 1, wxEXPAND);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(list_, 0, wxEXPAND | wxALL, gap);
  row->Add(right_, 1, wxEXPAND | wxTOP | wxRIGHT | wxBOTTOM, gap);
  SetSizer(row);

  list_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) { showPage(static_cast<int>(event.GetIndex())); });
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    CallAfter([this] { updateColumnWidths(); });
  });
  list_->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                      wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  list_->SetFocus();
}

void OperationsPanel::fillDestinations() {
  const std::vector<std::string> entries = BuildDestinationList(EnumeratePrinters(), ListPrinterGroups());
  wxArrayString items;
  for (const std::string& entry : entries) {
    items.Add(toWx(entry));
    if (entry == noPrintersSentinel()) noPrinters_ = true;
  }
  destination_->Set(items);
}

void OperationsPanel::rebuildDestinations() {
  wxBusyCursor busy;
  const wxString previous = destinationText();
  destination_->Clear();
  fillDestinations();
  // Not enabled again during the run once the placeholder was seen.
  if (noPrinters_) {
    for (OperationPage* page : pages_) page->disableActions();
  }
  const int found = previous.empty() ? wxNOT_FOUND : destination_->FindString(previous);
  destination_->SetSelection(found == wxNOT_FOUND ? 0 : found);
}

void OperationsPanel::selectPage(int index) {
  if (index < 1 || index >= kPageCount) index = 0;
  list_->SetItemState(index, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                      wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  list_->EnsureVisible(index);
  // The selection event shows the page; make sure of it when the item was
  // selected already.
  if (current_ != index) showPage(index);
}

void OperationsPanel::showPage(int index) {
  if (index < 1 || index >= kPageCount) index = 0;
  OperationPage* previous = pages_[static_cast<std::size_t>(current_)];
  OperationPage* next = pages_[static_cast<std::size_t>(index)];
  for (OperationPage* page : pages_) page->Hide();
  if (previous != next) right_->Replace(previous, next);
  next->Show();
  current_ = index;
  Layout();
  updateColumnWidths();
}

void OperationsPanel::updateColumnWidths() {
  for (OperationPage* page : pages_) page->updateColumnWidths();
}

wxString OperationsPanel::destinationText() const {
  const int selection = destination_->GetSelection();
  return selection == wxNOT_FOUND ? wxString() : destination_->GetString(static_cast<unsigned>(selection));
}

bool OperationsPanel::statusPageTicked() const { return statusPage_->GetValue(); }

OpContext OperationsPanel::operationContext() const {
  OpContext context;
  context.destination = fromWx(destinationText());
  context.statusPage = statusPageTicked();
  return context;
}

void OperationsPanel::setStatusText(const wxString& text) { frame_->SetStatusText(text, 0); }

void OperationsPanel::reportResult(const OpResult& result) {
  using Kind = OpResult::Kind;
  switch (result.kind) {
    case Kind::Sent:
    case Kind::SendFailed: {
      const SendOutcome& outcome = result.outcome;
      if (outcome.status == SendOutcome::Status::Cleared) setStatusText(wxString());
      else if (outcome.status == SendOutcome::Status::Set) setStatusText(toWx(outcome.statusText));
      if (outcome.beep) wxBell();
      if (!outcome.message.empty()) showMessage(this, toWx(outcome.message));
      break;
    }
    case Kind::JobFailed:
    case Kind::Cancelled:
      setStatusText(wxString());
      if (!result.message.empty()) showMessage(this, toWx(result.message));
      break;
    case Kind::TempFileFailed:
    case Kind::Refused:
      if (!result.message.empty()) showMessage(this, toWx(result.message));
      break;
    case Kind::Written:
    case Kind::NothingToDo:
      break;
  }
}
