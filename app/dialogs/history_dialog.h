// HistoryDialog: the send history (delivery/send_history.h), one row per
// printer of each send, newest first. A click on a column's heading sorts
// by it (a second click turns the order round); the printer, operation and
// outcome fields narrow the rows down as they change. Details (or a
// double-click) shows the whole send of the selected row: operation,
// destination, size, SHA-256, times and every printer it went to. Refresh
// States asks the spooler about the jobs that had not finished.
//
// All the history holds came from elsewhere (printer names, the spooler's
// reasons): it is only ever shown in list controls, with control
// characters written as \xNN. A history that cannot be opened shows its
// warning instead of the list.
#pragma once

#include <wx/dialog.h>

#include <cstddef>
#include <string>
#include <vector>

#include "delivery/send_history.h"

class wxButton;
class wxChoice;
class wxListCtrl;
class wxSizer;
class wxStaticText;
class wxTextCtrl;

class HistoryDialog : public wxDialog {
 public:
  // The columns of the list, in their order.
  enum Column { kTime, kOperation, kDestination, kMember, kOutcome, kJob, kState, kColumnCount };

  // historyFile "" is the user's history.
  explicit HistoryDialog(wxWindow* parent, const std::string& historyFile = {});

  wxListCtrl* list() const { return list_; }
  wxTextCtrl* printerFilter() const { return printer_; }
  wxTextCtrl* operationFilter() const { return operation_; }
  wxChoice* outcomeFilter() const { return outcome_; }
  wxButton* detailsButton() const { return details_; }
  wxButton* refreshButton() const { return refresh_; }
  // The history's warning, or what Refresh States did.
  wxStaticText* statusLine() const { return status_; }

  // What a click on the column's heading does.
  void sortBy(Column column);
  // The details of the selected row's send, in a dialog of their own.
  void showDetails();
  // Asks the spooler about unfinished jobs and shows the history again.
  void refreshStates();

 private:
  class RowList;
  struct Row {
    std::size_t send = 0;
    std::size_t member = 0;
  };

  void load();
  void showRows();
  bool rowWanted(const HistorySend& send, const HistoryMember& member) const;
  bool rowBefore(const Row& a, const Row& b) const;
  wxString cellText(long row, long column) const;
  const HistorySend* selectedSend() const;
  void setStatus(const std::string& text);

  std::string path_;
  std::vector<HistorySend> sends_;
  std::vector<Row> rows_;
  Column sortColumn_ = kTime;
  bool descending_ = true;

  wxSizer* body_ = nullptr;
  wxTextCtrl* printer_ = nullptr;
  wxTextCtrl* operation_ = nullptr;
  wxChoice* outcome_ = nullptr;
  wxListCtrl* list_ = nullptr;
  wxButton* details_ = nullptr;
  wxButton* refresh_ = nullptr;
  wxStaticText* status_ = nullptr;
};
