#include "app/job_results.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "app/dialogs/printer_answer_window.h"
#include "app/program_texts.h"
#include "app/showable_wx.h"
#include "delivery/app_config.h"
#include "ops/send_record.h"

namespace {
enum Column { kPrinterColumn, kJobColumn, kStateColumn };
constexpr char kSendAgainLabel[] = "Send &again to the failed members";
}  // namespace

JobResults::JobResults(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
  heading_ = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, wxST_ELLIPSIZE_END);
  // A long result line is cut with an ellipsis: its full width must not
  // push the buttons beside it out of the window.
  heading_->SetMinSize(wxSize(FromDIP(40), -1));
  details_ = new wxButton(this, wxID_ANY, _("&View Answer"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  details_->SetToolTip(_("Shows everything the printer answered."));
  details_->Hide();
  sendAgain_ = new wxButton(this, wxID_ANY, _(kSendAgainLabel), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  sendAgain_->SetToolTip(_("Sends the same job file once more, to the printers that did not get it only."));
  sendAgain_->Hide();
  auto* hide = new wxButton(this, wxID_ANY, _("Hid&e"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  hide->SetToolTip(_("Hides the results until the next send; the jobs are still followed."));
  list_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(-1, FromDIP(80)), wxLC_REPORT | wxLC_SINGLE_SEL);
  list_->AppendColumn(_("Printer"), wxLIST_FORMAT_LEFT, FromDIP(110));
  list_->AppendColumn(_("Job"), wxLIST_FORMAT_RIGHT, FromDIP(44));
  list_->AppendColumn(_("State"), wxLIST_FORMAT_LEFT, FromDIP(330));
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(heading_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(4));
  top->Add(sendAgain_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(4));
  top->Add(details_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(4));
  top->Add(hide, 0, wxALIGN_CENTER_VERTICAL);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(top, 0, wxEXPAND | wxBOTTOM, FromDIP(3));
  column->Add(list_, 1, wxEXPAND);
  details_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { showDetails(); });
  sendAgain_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    if (sendAgainAction_ && sendId_ != 0) sendAgainAction_(sendId_);
  });
  hide->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    Hide();
    GetParent()->Layout();
  });
  SetSizer(column);
  // The state column takes what the others leave: the spooler's words are
  // the point of the list.
  list_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    const int rest =
        list_->GetClientSize().x - list_->GetColumnWidth(kPrinterColumn) - list_->GetColumnWidth(kJobColumn);
    if (rest > FromDIP(80)) list_->SetColumnWidth(kStateColumn, rest);
  });
}

void JobResults::showDetails() {
  if (answers_.empty()) return;
  (new PrinterAnswerWindow(wxGetTopLevelParent(this), answers_))->Show();
}

void JobResults::setHeading(const wxString& text) {
  heading_->SetLabel(text);
  heading_->SetToolTip(text);
}

// The follower's thread is joined before the window goes.
JobResults::~JobResults() { follower_.reset(); }

void JobResults::follow(const OpResult& result, std::function<wxString(const std::string&)> whenSettled) {
  follower_.reset();
  ++generation_;
  list_->DeleteAllItems();
  whenSettled_ = std::move(whenSettled);
  failures_.clear();
  const SendOutcome& outcome = result.outcome;
  answers_ = outcome.answers;
  details_->Show(!answers_.empty());
  // The history keeps the job of a send that missed printers.
  const bool missed = !outcome.failedPrinters.empty() || !outcome.cancelledPrinters.empty();
  sendId_ = missed ? result.historyId : 0;
  sendAgain_->Show(sendId_ != 0 && sendAgainAction_ != nullptr);
  setHeading(toWx(outcome.statusText.empty() ? result.title : outcome.statusText));
  // A direct printer's job ended when the printer closed the connection:
  // there is nothing to follow.
  std::vector<SendOutcome::SentJob> spooled;
  for (const SendOutcome::SentJob& sent : outcome.sent) {
    const long row = list_->InsertItem(list_->GetItemCount(), showableWx(sent.printer));
    list_->SetItem(row, kJobColumn, sent.jobId > 0 ? wxString::Format("%d", sent.jobId) : wxString());
    list_->SetItem(row, kStateColumn, sent.direct ? _("sent direct") : _("spooled"));
    if (!sent.direct) spooled.push_back(sent);
  }
  for (std::size_t i = 0; i < outcome.failedPrinters.size(); ++i) {
    const long row = list_->InsertItem(list_->GetItemCount(), showableWx(outcome.failedPrinters[i]));
    const std::string why = i < outcome.failureReasons.size() ? outcome.failureReasons[i] : std::string();
    list_->SetItem(row, kStateColumn, why.empty() ? _("not sent") : _("not sent: ") + showableWx(why));
  }
  for (const std::string& printer : outcome.cancelledPrinters) {
    const long row = list_->InsertItem(list_->GetItemCount(), showableWx(printer));
    list_->SetItem(row, kStateColumn, _("cancelled"));
  }
  Show();
  Layout();
  GetParent()->Layout();
  open_ = static_cast<int>(spooled.size());
  settled_ = open_ == 0;
  if (settled_) return;
  setHeading(wxString::Format(_("%s: spooled, waiting for the printer"), toWx(result.title)));
  const unsigned generation = generation_;
  follower_ = std::make_unique<JobFollower>(
      spooled,
      [this, generation, historyFile = result.historyFile, historyId = result.historyId](const FollowedJob& job) {
        // Kept on the follower's thread: a busy history never stalls the window.
        if (job.final) keepJobState(historyFile, historyId, job.printer, job.status.state);
        CallAfter([this, generation, job] {
          if (generation == generation_) onJobChanged(job);
        });
      },
      interval_);
}

long JobResults::rowOf(const std::string& printer) const { return list_->FindItem(-1, showableWx(printer)); }

wxString JobResults::stateOf(const wxString& printer) const {
  const long row = list_->FindItem(-1, printer);
  return row == wxNOT_FOUND ? wxString() : list_->GetItemText(row, kStateColumn);
}

void JobResults::onJobChanged(const FollowedJob& job) {
  const long row = rowOf(job.printer);
  const wxString text = toWx(followedJobText(job));
  if (row != wxNOT_FOUND) list_->SetItem(row, kStateColumn, text);
  if (!job.final) return;
  if (job.status.state != JobState::Completed && job.status.state != JobState::Unknown) {
    if (!failures_.empty()) failures_ += "\n";
    failures_ += job.printer + " " + followedJobText(job);
  }
  if (--open_ > 0 || settled_) return;
  settled_ = true;
  if (whenSettled_) setHeading(whenSettled_(failures_));
}
