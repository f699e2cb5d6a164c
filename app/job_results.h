// JobResults: the main window's results area. After a send it lists every
// printer of the destination with what became of its job: spooled (with
// the spooler's job number), then completed, or stopped, cancelled or
// aborted with the spooler's own words, or not sent and why. Above the
// list stands the operation's result line: spooled and waiting while the
// jobs are followed, then what the window's owner makes of the outcome. The jobs are followed in the background
// (JobFollower); a new send, or closing the window, stops following the previous one.
// Each job's final state is kept in the send history with the send.
#pragma once

#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ops/job_follower.h"
#include "ops/operation.h"

class wxButton;
class wxListCtrl;
class wxStaticText;

class JobResults : public wxPanel {
 public:
  explicit JobResults(wxWindow* parent);
  ~JobResults() override;

  // Shows a send's outcome and starts following the jobs it spooled.
  // whenSettled runs (on the window's thread) once every job is final,
  // with the printers whose job did not complete, as "Tessel_1 aborted:
  // reason" lines (empty when all completed); it returns the result line
  // to show above the list.
  void follow(const OpResult& result, std::function<wxString(const std::string& failures)> whenSettled);
  // The time between two questions to the spooler (tests shorten it).
  void setPollInterval(std::chrono::milliseconds interval) { interval_ = interval; }

  wxListCtrl* list() const { return list_; }
  wxStaticText* heading() const { return heading_; }
  // "View Answer", the details of a send: shown when a direct printer
  // answered; opens everything it answered.
  wxButton* detailsButton() const { return details_; }
  // "Send again to the failed members": shown after a send that missed
  // printers and is in the send history; pressing it hands the send's id
  // to the action (which sends the kept job to those printers only).
  wxButton* sendAgainButton() const { return sendAgain_; }
  void setSendAgainAction(std::function<void(std::int64_t sendId)> action) { sendAgainAction_ = std::move(action); }
  void showDetails();
  // The state column's text of the row for printer ("" when none).
  wxString stateOf(const wxString& printer) const;
  bool following() const { return follower_ && !settled_; }

 private:
  void onJobChanged(const FollowedJob& job);
  void setHeading(const wxString& text);
  long rowOf(const std::string& printer) const;

  wxStaticText* heading_ = nullptr;
  wxButton* details_ = nullptr;
  wxButton* sendAgain_ = nullptr;
  std::function<void(std::int64_t)> sendAgainAction_;
  std::int64_t sendId_ = 0;
  std::vector<SendOutcome::Answer> answers_;
  wxListCtrl* list_ = nullptr;
  std::unique_ptr<JobFollower> follower_;
  std::chrono::milliseconds interval_{500};
  std::function<wxString(const std::string&)> whenSettled_;
  int open_ = 0;
  bool settled_ = true;
  std::string failures_;
  // Jobs of an earlier send still queued to the window are dropped.
  unsigned generation_ = 0;
};
