#include "app/dialogs/inventory_window.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <thread>

#include "app/showable_wx.h"
#include "delivery/app_config.h"
#include "ops/two_way_members.h"

// Lives as long as the window or the thread that asks, whichever is last;
// only the window's thread reads or clears window.
struct InventoryWindow::Pending {
  InventoryWindow* window = nullptr;
};

namespace {

constexpr FileScope kScopes[] = {FileScope::Tessel, FileScope::Resources, FileScope::Fonts, FileScope::System,
                                 FileScope::Other};
static_assert(std::size(kScopes) == kFileScopeCount);

wxString tesselText(const PrinterInventory& printer) {
  if (printer.state != PrinterInventory::State::Answered) return "-";
  if (!printer.answer.tesselVersion) return _("no Tessel");
  // The version line names Tessel itself ("Tessel 11.0").
  if (printer.answer.tesselVersion->empty()) return _("Tessel (no version)");
  return showableWx(*printer.answer.tesselVersion);
}

wxString noteText(const PrinterInventory& printer) {
  switch (printer.state) {
    case PrinterInventory::State::NotTwoWay:
      return _("not two-way");
    case PrinterInventory::State::NoAnswer:
      return wxString::Format(_("did not answer: %s"), showableWx(printer.reason));
    case PrinterInventory::State::Answered:
      break;
  }
  return printer.answer.complete ? wxString() : _("incomplete answer");
}

wxString freeText(const PrinterInventory& printer) {
  if (printer.state != PrinterInventory::State::Answered || !printer.answer.freeBytes) return "-";
  return wxFileName::GetHumanReadableSize(wxULongLong(*printer.answer.freeBytes));
}

wxString summaryText(const InventoryResult& result) {
  if (result.result.kind != OpResult::Kind::Sent) return showableWx(result.result.message);
  int answered = 0, twoWay = 0;
  for (const PrinterInventory& printer : result.printers) {
    if (printer.state == PrinterInventory::State::NotTwoWay) continue;
    ++twoWay;
    if (printer.state == PrinterInventory::State::Answered) ++answered;
  }
  if (twoWay == 0) return _("None of these printers answers on its connection.");
  return wxString::Format(_("%d of %d printers answered."), answered, twoWay);
}

}  // namespace

InventoryWindow::InventoryWindow(wxWindow* parent, OpContext context)
    : wxFrame(parent, wxID_ANY, wxString::Format(_("Inventory of %s"), showableWx(context.destination)),
              wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      context_(std::move(context)) {
  // Progress reports come from the asking thread; nothing here listens.
  context_.progress = {};
  auto* panel = new wxPanel(this);
  const int gap = FromDIP(6);
  const int edge = FromDIP(10);
  status_ = new wxStaticText(panel, wxID_ANY, wxString());
  table_ = new wxListCtrl(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_SINGLE_SEL);
  table_->AppendColumn(_("Printer"), wxLIST_FORMAT_LEFT, FromDIP(120));
  table_->AppendColumn(_("Tessel"), wxLIST_FORMAT_LEFT, FromDIP(110));
  for (FileScope scope : kScopes) table_->AppendColumn(fileScopeWord(scope), wxLIST_FORMAT_RIGHT, FromDIP(52));
  table_->AppendColumn(_("Free"), wxLIST_FORMAT_RIGHT, FromDIP(80));
  table_->AppendColumn(_("Note"), wxLIST_FORMAT_LEFT, FromDIP(260));
  table_->SetMinSize(FromDIP(wxSize(820, 200)));
  ask_ = new wxButton(panel, wxID_REFRESH, _("&Ask Again"));
  auto* close = new wxButton(panel, wxID_CLOSE, _("C&lose"));

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(ask_, 0, wxRIGHT, gap);
  buttons->AddStretchSpacer();
  buttons->Add(close, 0);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(status_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(table_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(buttons, 0, wxEXPAND | wxALL, edge);
  panel->SetSizer(column);
  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(panel, 1, wxEXPAND);
  SetSizerAndFit(outer);
  CentreOnParent();

  ask_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { askAgain(); });
  close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); });
  askAgain();
}

InventoryWindow::~InventoryWindow() {
  if (pending_) pending_->window = nullptr;
}

void InventoryWindow::askAgain() {
  if (asking_) return;
  const std::vector<DestinationMember> members = destinationMembers(context_);
  int twoWay = 0;
  for (const DestinationMember& member : members) twoWay += member.twoWay() ? 1 : 0;
  status_->SetLabel(wxString::Format(_("Asking %d printers..."), twoWay));
  asking_ = true;
  ask_->Disable();
  pending_ = std::make_shared<Pending>();
  pending_->window = this;
  // The job is written here: the job library runs on this thread only.
  std::thread([pending = pending_, context = context_, job = writeInventoryJob()]() mutable {
    InventoryResult result = takeInventory(context, std::move(job));
    if (wxTheApp == nullptr) return;
    // The copy queued here is the last holder of pending, and it goes on
    // the window's thread.
    wxTheApp->CallAfter([pending, result = std::move(result)]() mutable {
      if (pending->window != nullptr) pending->window->show(std::move(result));
    });
  }).detach();
}

void InventoryWindow::show(InventoryResult result) {
  asking_ = false;
  pending_.reset();
  ask_->Enable();
  inventory_ = std::move(result);
  table_->DeleteAllItems();
  long row = 0;
  for (const PrinterInventory& printer : inventory_.printers) {
    table_->InsertItem(row, showableWx(printer.printer));
    table_->SetItem(row, kTessel, tesselText(printer));
    const bool answered = printer.state == PrinterInventory::State::Answered;
    for (std::size_t i = 0; i < kFileScopeCount; ++i)
      table_->SetItem(row, kFirstScope + static_cast<long>(i),
                      answered ? wxString::Format("%llu", static_cast<unsigned long long>(printer.answer.files[i]))
                               : wxString("-"));
    table_->SetItem(row, kFreeSpace, freeText(printer));
    table_->SetItem(row, kNote, noteText(printer));
    ++row;
  }
  // A reason is one line, often longer than the column: the column takes
  // its width and the window grows to show it, as far as the screen lets
  // it (then the table scrolls sideways).
  table_->SetColumnWidth(kNote, wxLIST_AUTOSIZE);
  if (table_->GetColumnWidth(kNote) < FromDIP(260)) table_->SetColumnWidth(kNote, FromDIP(260));
  int wanted = FromDIP(24);
  for (int i = 0; i < table_->GetColumnCount(); ++i) wanted += table_->GetColumnWidth(i);
  const int room = wxDisplay(static_cast<unsigned>(std::max(0, wxDisplay::GetFromWindow(this)))).GetClientArea().width;
  const int grow = std::min(wanted, room - FromDIP(60)) - table_->GetSize().x;
  if (grow > 0) SetSize(GetSize() + wxSize(grow, 0));
  status_->SetLabel(summaryText(inventory_));
}
