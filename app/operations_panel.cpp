#include "app/operations_panel.h"

#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <algorithm>
#include <set>

#include "app/destination_choice.h"
#include "app/field_mnemonics.h"
#include "app/job_results.h"
#include "app/pages/operation_runner.h"
#include "app/pages/page_factory.h"
#include "app/program_texts.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "base/natural_order.h"
#include "delivery/app_config.h"
#include "delivery/direct_printer.h"
#include "delivery/network_spooler.h"
#include "delivery/print_servers.h"
#include "delivery/printer_groups.h"
#include "delivery/send_history.h"
#include "delivery/spooler.h"
#include "delivery/spooler_jobs.h"
#include "delivery/unavailable_printers.h"
#include "ops/desktop_settings.h"
#include "ops/op_resend.h"

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

  // 2, 3. Destinations, selected as last time. A remembered printer that
  // has gone selects nothing: the first entry would send the next job to a
  // printer the operator never chose.
  auto* destinationLabel = new wxStaticText(this, wxID_ANY, _("&Destination:"));
  destination_ = new DestinationChoice(this, kIdDestination);
  destination_->onFilterChanged([this](const wxString& filter, int shown, int total) {
    if (filter.empty()) setStatusText(wxString());
    else setStatusText(wxString::Format(_("Destinations holding \"%s\": %d of %d"), filter, shown, total));
  });
  const std::vector<std::string> entries = fillDestinations();
  const MainWindowSettings settings = readMainWindowSettings();
  const std::string saved = FindSavedDestination(entries, settings.lastPrinter);
  if (!saved.empty()) {
    destination_->selectEntry(toWx(saved));
  } else if (!settings.lastPrinter.empty() && !noPrinters_) {
    destination_->SetSelection(wxNOT_FOUND);
    setStatusText(wxString::Format(_("The destination used last, %s, is no longer available: choose a destination."),
                                   toWx(settings.lastPrinter)));
  } else {
    destination_->SetSelection(0);
  }

  // 4. The status-page box.
  statusPage_ = new wxCheckBox(this, wxID_ANY, _("Print s&tatus page."));
  statusPage_->SetToolTip(_("Prints a list of the files added/removed by the current operation (if applicable)."));
  statusPage_->SetValue(settings.statusPage);

  // 5. The pages; page 0 alone is in the layout.
  for (int i = 0; i < kPageCount; ++i) {
    pages_[static_cast<std::size_t>(i)] = createOperationPage(i, this, *this);
    pages_[static_cast<std::size_t>(i)]->placeInformationButtonLast();
    pages_[static_cast<std::size_t>(i)]->Show(i == 0);
  }

  // 6. Without printers nothing can be sent during this run; say why when
  // the scheduler itself is the reason.
  if (noPrinters_) {
    for (OperationPage* page : pages_) page->disableActions();
    const std::string why = SpoolerUnreachableReason();
    const wxString text = why.empty() ? _("No printer takes raw PostScript jobs: nothing can be sent.")
                                      : _("The print scheduler does not answer: ") + toWx(why);
    destination_->SetToolTip(text);
    setStatusText(text);
  }

  // 7. Layout.
  const int gap = FromDIP(6);
  auto* destinationRow = new wxBoxSizer(wxHORIZONTAL);
  destinationRow->Add(destinationLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  destinationRow->Add(destination_, 1, wxALIGN_CENTER_VERTICAL);
  right_ = new wxBoxSizer(wxVERTICAL);
  right_->Add(destinationRow, 0, wxEXPAND | wxBOTTOM, gap);
  right_->Add(statusPage_, 0, wxBOTTOM, gap);
  right_->Add(pages_[0], 1, wxEXPAND);
  results_ = new JobResults(this);
  results_->Hide();  // until the first send
  results_->Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
    event.Skip();
    if (event.IsShown()) CallAfter([this] { fitWindowToContent(); });
  });
  results_->setSendAgainAction([this](std::int64_t sendId) { sendAgain(sendId); });
  right_->Add(results_, 0, wxEXPAND | wxTOP, gap);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(list_, 0, wxEXPAND | wxALL, gap);
  row->Add(right_, 1, wxEXPAND | wxTOP | wxRIGHT | wxBOTTOM, gap);
  SetSizer(row);

  // Alt with a label's letter (Destination, the page's fields): GTK labels
  // do not pass their mnemonic on to the field they name, so the panel does.
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (!focusFieldByMnemonic(this, event)) event.Skip();
  });
  list_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) { showPage(static_cast<int>(event.GetIndex())); });
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    CallAfter([this] { updateColumnWidths(); });
  });
  list_->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                      wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  list_->SetFocus();
}

void OperationsPanel::fitWindowToContent() {
  const wxSize content = frame_->ClientToWindowSize(GetSizer()->GetMinSize());
  wxSize least = frame_->GetMinSize();
  least.IncTo(content);
  if (least == frame_->GetMinSize()) return;
  frame_->SetMinSize(least);
  if (frame_->IsMaximized()) return;
  wxSize size = frame_->GetSize();
  size.IncTo(least);
  frame_->SetSize(size);
}

std::vector<std::string> OperationsPanel::fillDestinations() {
  // Printers in number order (Q2 before Q10), then the groups and the
  // direct printers as stored.
  std::vector<std::string> printers = EnumeratePrinters();
  sdkNaturalSort(printers);
  // Then the queues of the configured print servers; one that does not
  // answer is named on the status line.
  ServerPrinters remote = EnumerateServerPrinters(ReadPrintServers());
  // The printers of such a server that the groups and the history name
  // follow its other queues, marked.
  {
    AppFileConfig config;
    AddUnavailablePrinters(remote, config, SendHistory::defaultPath());
  }
  std::vector<std::string> serverPrinters = remote.printers;
  for (const UnavailablePrinter& p : remote.unavailablePrinters) serverPrinters.push_back(p.printer);
  // The groups dialog offers them too, without asking the servers again.
  serverPrinters_ = serverPrinters;
  const std::vector<std::string> entries =
      BuildDestinationList(printers, serverPrinters, ListPrinterGroups(), ListDirectPrinters());
  wxArrayString items;
  std::set<wxString> unavailable;
  for (const std::string& entry : entries) {
    items.Add(toWx(entry));
    if (isUnavailablePrinter(remote, entry)) unavailable.insert(toWx(entry));
    if (entry == noPrintersSentinel()) noPrinters_ = true;
  }
  destination_->setEntries(items, unavailable);
  // After the entries: setting them clears the status line's filter text.
  for (const UnreachableServer& server : remote.unreachable)
    setStatusText(wxString::Format(_("The print server %s is unavailable: %s"), toWx(server.server),
                                   toWx(server.reason)));
  return entries;
}

std::vector<std::string> OperationsPanel::printersBeyondLocal() const {
  std::vector<std::string> printers = serverPrinters_;
  for (const std::string& direct : ListDirectPrinters()) printers.push_back(direct);
  return printers;
}

void OperationsPanel::rebuildDestinations() {
  wxBusyCursor busy;
  const wxString previous = destinationText();
  fillDestinations();
  // Not enabled again during the run once the placeholder was seen.
  if (noPrinters_) {
    for (OperationPage* page : pages_) page->disableActions();
  }
  if (noPrinters_) {
    destination_->SetSelection(0);
  } else if (!destination_->selectEntry(previous) && !previous.empty()) {
    setStatusText(wxString::Format(_("The destination %s is no longer available: choose a destination."), previous));
  }
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

namespace {
// Cancel during a group's hand-over may come after some members had the
// job: they are named, so that nobody believes they were spared.
wxString cancelledText(const SendOutcome& outcome) {
  if (outcome.sent.empty()) return _("Cancelled: nothing was sent.");
  wxString reached;
  for (const SendOutcome::SentJob& sent : outcome.sent) reached += (reached.empty() ? "" : ", ") + toWx(sent.printer);
  return wxString::Format(_("Cancelled: the job had already reached %s."), reached);
}
}  // namespace

void OperationsPanel::reportResult(const OpResult& result) {
  using Kind = OpResult::Kind;
  // The job went out; the history could not keep it (said once per run).
  if (!result.historyWarning.empty()) showMessage(this, toWx(result.historyWarning), MessageIcon::Warning);
  switch (result.kind) {
    case Kind::Sent:
    case Kind::SendFailed: {
      const SendOutcome& outcome = result.outcome;
      if (outcome.status == SendOutcome::Status::Cleared) setStatusText(wxString());
      else if (outcome.status == SendOutcome::Status::Set) setStatusText(toWx(outcome.statusText));
      if (outcome.beep) wxBell();
      followJobs(result);
      wxString message = toWx(outcome.message);
      if (!outcome.failedPrinters.empty()) {
        // Each printer that did not get the job, with the spooler's reason.
        message = toWx(kSendFailedMessage);
        for (std::size_t i = 0; i < outcome.failedPrinters.size(); ++i) {
          const std::string why = i < outcome.failureReasons.size() ? outcome.failureReasons[i] : std::string();
          message += (i == 0 ? "" : "\n") + toWx(outcome.failedPrinters[i]) + (why.empty() ? "" : ": " + toWx(why));
        }
      }
      if (!message.empty() && !outcome.sent.empty()) {
        // Who did get the job, so that nobody sends it to them again.
        wxString reached;
        for (const SendOutcome::SentJob& sent : outcome.sent)
          reached += (reached.empty() ? "" : ", ") + toWx(sent.printer);
        message += "\n\n" + wxString::Format(_("The job was sent to: %s"), reached);
      }
      if (!message.empty()) showMessage(this, message);
      break;
    }
    case Kind::Cancelled:
      setStatusText(cancelledText(result.outcome));
      if (!result.message.empty()) showMessage(this, toWx(result.message));
      break;
    case Kind::JobFailed:
      setStatusText(wxString());
      if (!result.message.empty()) showMessage(this, toWx(result.message));
      break;
    case Kind::TempFileFailed:
    case Kind::Refused:
      // An earlier success must not stand above a new error.
      setStatusText(wxString());
      if (!result.message.empty()) showMessage(this, toWx(result.message));
      break;
    case Kind::Written:
    case Kind::NothingToDo:
      break;
  }
}

void OperationsPanel::sendAgain(std::int64_t sendId) {
  runOperation(this, *this, [sendId](const OpContext& context) {
    ResendChoice choice;
    choice.sendId = sendId;
    return resendToFailed(context, choice);
  });
}

void OperationsPanel::followJobs(const OpResult& result) {
  const SendOutcome& outcome = result.outcome;
  if (outcome.sent.empty() && outcome.failedPrinters.empty()) return;
  // Spooled is not done: the status line says so until the printers have
  // finished, then gives the result line, or what went wrong.
  const wxString done = toWx(outcome.statusText);
  const bool followable = std::any_of(outcome.sent.begin(), outcome.sent.end(),
                                      [](const SendOutcome::SentJob& job) { return job.jobId > 0; });
  if (result.kind == OpResult::Kind::Sent && followable)
    setStatusText(wxString::Format(_("%s: spooled, waiting for the printer"), toWx(result.title)));
  const int printers = static_cast<int>(outcome.sent.size() + outcome.failedPrinters.size());
  const wxString title = toWx(result.title);
  const bool sent = result.kind == OpResult::Kind::Sent;
  results_->follow(result, [this, done, printers, title, sent](const std::string& failures) {
    if (!failures.empty()) {
      const wxString first = toWx(failures.substr(0, failures.find('\n')));
      const wxString line = wxString::Format(_("%s failed on the printer: %s"), title, first);
      setStatusText(line);
      wxBell();
      const auto count = std::count(failures.begin(), failures.end(), '\n') + 1;
      return wxString::Format(_("%s: failed on %d of %d printers"), title, static_cast<int>(count), printers);
    }
    if (sent) setStatusText(done);
    return sent ? done : title;
  });
}
