#include "app/dialogs/history_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>

#include "app/window_ids.h"
#include "base/natural_order.h"
#include "delivery/app_config.h"
#include "delivery/send_job.h"
#include "ops/history_refresh.h"

namespace {

// Text from the history as a list shows it: C0 controls, DEL and the C1
// controls (in UTF-8) as \xNN, so that a name can neither break the row
// nor pass for another one.
wxString shownText(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  char escape[16];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (byte < 0x20 || byte == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      shown += escape;
    } else if (c1) {
      std::snprintf(escape, sizeof escape, "\\xc2\\x%02x", static_cast<unsigned char>(text[++i]));
      shown += escape;
    } else {
      shown += text[i];
    }
  }
  return toWx(shown);
}

wxString destinationText(const std::string& destination) {
  const wxString name = shownText(stripGroupMarker(destination));
  return isGroupTarget(destination) ? wxString::Format(_("%s (group)"), name) : name;
}

wxString outcomeText(MemberOutcome outcome) { return wxGetTranslation(memberOutcomeName(outcome)); }

bool containsNoCase(const std::string& text, const wxString& part) {
  return part.empty() || toWx(text).Lower().Find(part.Lower()) != wxNOT_FOUND;
}

// A list of fixed columns, filled and read like any report list.
wxListCtrl* newReportList(wxWindow* parent, wxWindowID id, const std::vector<std::pair<wxString, int>>& columns,
                          long style = 0) {
  auto* list = new wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_SINGLE_SEL | style);
  for (const auto& [heading, width] : columns) list->AppendColumn(heading, wxLIST_FORMAT_LEFT, parent->FromDIP(width));
  return list;
}

void addRow(wxListCtrl* list, const std::vector<wxString>& cells) {
  const long row = list->InsertItem(list->GetItemCount(), cells[0]);
  for (std::size_t c = 1; c < cells.size(); ++c) list->SetItem(row, static_cast<long>(c), cells[c]);
}

}  // namespace

// The rows live in the dialog; the list asks for the text it shows.
class HistoryDialog::RowList : public wxListCtrl {
 public:
  RowList(HistoryDialog* owner, wxWindow* parent)
      : wxListCtrl(parent, kIdHistoryList, wxDefaultPosition, wxDefaultSize,
                   wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL),
        owner_(owner) {}

 private:
  wxString OnGetItemText(long item, long column) const override { return owner_->cellText(item, column); }
  HistoryDialog* owner_;
};

HistoryDialog::HistoryDialog(wxWindow* parent, const std::string& historyFile)
    : wxDialog(parent, wxID_ANY, _("Send History"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      path_(historyFile) {
  status_ = new wxStaticText(this, wxID_ANY, wxString());

  auto* filters = new wxBoxSizer(wxHORIZONTAL);
  auto label = [&](const wxString& text) {
    filters->Add(new wxStaticText(this, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(4));
  };
  label(_("&Printer:"));
  printer_ = new wxTextCtrl(this, wxID_ANY);
  filters->Add(printer_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(10));
  label(_("O&peration:"));
  operation_ = new wxTextCtrl(this, wxID_ANY);
  filters->Add(operation_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(10));
  label(_("O&utcome:"));
  const wxString outcomes[] = {_("all"), outcomeText(MemberOutcome::Sent), outcomeText(MemberOutcome::Failed),
                               outcomeText(MemberOutcome::Cancelled)};
  outcome_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 4, outcomes);
  outcome_->SetSelection(0);
  filters->Add(outcome_, 0, wxALIGN_CENTER_VERTICAL);

  list_ = new RowList(this, this);
  const std::pair<wxString, int> columns[kColumnCount] = {
      {_("Time"), 175}, {_("Operation"), 170}, {_("Destination"), 110}, {_("Printer"), 110},
      {_("Outcome"), 70}, {_("Job"), 50},       {_("State"), 90}};
  for (const auto& [heading, width] : columns) list_->AppendColumn(heading, wxLIST_FORMAT_LEFT, FromDIP(width));

  details_ = new wxButton(this, kIdHistoryDetails, _("&Details..."));
  refresh_ = new wxButton(this, kIdHistoryRefresh, _("&Refresh States"));
  refresh_->SetToolTip(_("Asks the spooler what became of the jobs that had not finished"));
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(details_, 0, wxRIGHT, FromDIP(6));
  buttons->Add(refresh_, 0);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, wxID_CANCEL, _("&Close")), 0);
  SetEscapeId(wxID_CANCEL);

  body_ = new wxBoxSizer(wxVERTICAL);
  body_->Add(filters, 0, wxEXPAND | wxBOTTOM, FromDIP(6));
  body_->Add(list_, 1, wxEXPAND);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(status_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(10));
  column->Add(body_, 1, wxEXPAND | wxALL, FromDIP(10));
  column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
  SetSizer(column);
  SetSize(FromDIP(wxSize(800, 460)));

  printer_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { showRows(); });
  operation_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { showRows(); });
  outcome_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { showRows(); });
  list_->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& event) {
    if (event.GetColumn() >= 0 && event.GetColumn() < kColumnCount) sortBy(static_cast<Column>(event.GetColumn()));
  });
  list_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { details_->Enable(); });
  list_->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { details_->Enable(selectedSend() != nullptr); });
  list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { showDetails(); });
  details_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { showDetails(); });
  refresh_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { refreshStates(); });

  load();
}

void HistoryDialog::setStatus(const std::string& text) {
  status_->SetLabelText(shownText(text));
  status_->Show(!text.empty());
  status_->Wrap(GetClientSize().x - FromDIP(20));
  Layout();
}

void HistoryDialog::load() {
  SendHistory history(path_);
  body_->ShowItems(history.usable());
  // Without a list the warning takes the window.
  GetSizer()->GetItem(status_)->SetProportion(history.usable() ? 0 : 1);
  refresh_->Enable(history.usable());
  sends_ = history.usable() ? history.query({}) : std::vector<HistorySend>{};
  showRows();
  setStatus(history.warning());
}

bool HistoryDialog::rowWanted(const HistorySend& send, const HistoryMember& member) const {
  const int outcome = outcome_->GetSelection();
  if (outcome > 0 && static_cast<int>(member.outcome) != outcome - 1) return false;
  return containsNoCase(member.member, printer_->GetValue()) && containsNoCase(send.operation, operation_->GetValue());
}

bool HistoryDialog::rowBefore(const Row& a, const Row& b) const {
  const HistorySend& sa = sends_[a.send];
  const HistorySend& sb = sends_[b.send];
  const HistoryMember& ma = sa.members[a.member];
  const HistoryMember& mb = sb.members[b.member];
  auto textLess = [](const std::string& x, const std::string& y) { return sdkNaturalLess(x, y); };
  switch (sortColumn_) {
    case kTime:
      return sa.started != sb.started ? sa.started < sb.started : sa.id < sb.id;
    case kOperation:
      return textLess(sa.operation, sb.operation);
    case kDestination:
      return textLess(stripGroupMarker(sa.destination), stripGroupMarker(sb.destination));
    case kMember:
      return textLess(ma.member, mb.member);
    case kOutcome:
      return ma.outcome < mb.outcome;
    case kJob:
      return ma.jobId < mb.jobId;
    case kState:
    case kColumnCount:
      break;
  }
  return textLess(ma.jobState, mb.jobState);
}

void HistoryDialog::showRows() {
  const long selected = list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  if (selected != -1) list_->SetItemState(selected, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  rows_.clear();
  for (std::size_t s = 0; s < sends_.size(); ++s)
    for (std::size_t m = 0; m < sends_[s].members.size(); ++m)
      if (rowWanted(sends_[s], sends_[s].members[m])) rows_.push_back({s, m});
  // Newest first, and the members of a send in the order they were tried,
  // unless a column says otherwise.
  std::stable_sort(rows_.begin(), rows_.end(), [this](const Row& a, const Row& b) {
    return descending_ ? rowBefore(b, a) : rowBefore(a, b);
  });
  list_->SetItemCount(static_cast<long>(rows_.size()));
  list_->Refresh();
  details_->Enable(false);
}

void HistoryDialog::sortBy(Column column) {
  descending_ = column == sortColumn_ ? !descending_ : column == kTime;
  sortColumn_ = column;
  showRows();
}

wxString HistoryDialog::cellText(long row, long column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return {};
  const HistorySend& send = sends_[rows_[static_cast<std::size_t>(row)].send];
  const HistoryMember& member = send.members[rows_[static_cast<std::size_t>(row)].member];
  switch (column) {
    case kTime: return toWx(historyTimeText(send.started));
    case kOperation: return shownText(send.operation);
    case kDestination: return destinationText(send.destination);
    case kMember: return shownText(member.member);
    case kOutcome: return outcomeText(member.outcome);
    case kJob: return member.jobId > 0 ? wxString::Format("%d", member.jobId) : wxString();
    case kState: return shownText(member.jobState);
    default: return {};
  }
}

const HistorySend* HistoryDialog::selectedSend() const {
  const long row = list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
  return &sends_[rows_[static_cast<std::size_t>(row)].send];
}

void HistoryDialog::showDetails() {
  const HistorySend* send = selectedSend();
  if (send == nullptr) return;
  wxDialog dialog(this, wxID_ANY, _("Send Details"), wxDefaultPosition, wxDefaultSize,
                  wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
  wxListCtrl* facts = newReportList(&dialog, kIdHistorySendFacts, {{_("Field"), 100}, {_("Value"), 560}},
                                    wxLC_NO_HEADER);
  addRow(facts, {_("Operation"), shownText(send->operation)});
  addRow(facts, {_("Destination"), destinationText(send->destination)});
  addRow(facts, {_("Bytes"), wxString::Format("%llu", static_cast<unsigned long long>(send->bytes))});
  addRow(facts, {_("SHA-256"), shownText(send->sha256)});
  addRow(facts, {_("Started"), toWx(historyTimeText(send->started))});
  addRow(facts, {_("Ended"), toWx(historyTimeText(send->ended))});
  wxListCtrl* members = newReportList(
      &dialog, kIdHistoryMembers,
      {{_("Printer"), 110}, {_("Server"), 100}, {_("Job"), 50}, {_("Outcome"), 70}, {_("Reason"), 250}, {_("State"), 90}});
  for (const HistoryMember& m : send->members)
    addRow(members, {shownText(m.member), shownText(m.server), m.jobId > 0 ? wxString::Format("%d", m.jobId) : wxString(),
                     outcomeText(m.outcome), shownText(m.reason), shownText(m.jobState)});

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(facts, 0, wxEXPAND | wxALL, FromDIP(10));
  column->Add(members, 1, wxEXPAND | wxLEFT | wxRIGHT, FromDIP(10));
  column->Add(new wxButton(&dialog, wxID_CANCEL, _("&Close")), 0, wxALIGN_RIGHT | wxALL, FromDIP(10));
  facts->SetMinSize(wxSize(-1, FromDIP(150)));
  dialog.SetEscapeId(wxID_CANCEL);
  dialog.SetSizer(column);
  dialog.SetSize(FromDIP(wxSize(720, 420)));
  dialog.ShowModal();
}

void HistoryDialog::refreshStates() {
  SendHistory history(path_);
  const int updated = history.usable() ? refreshHistoryStates(history) : 0;
  const std::string warning = history.warning();
  load();
  if (!warning.empty()) setStatus(warning);
  else setStatus(fromWx(wxString::Format(wxPLURAL("%d job brought up to date.", "%d jobs brought up to date.", updated), updated)));
}
