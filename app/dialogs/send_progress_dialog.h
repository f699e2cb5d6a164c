// The progress window of long work, with the members of a printer group
// below the bar while a job goes to them: one row per printer with where
// it stands (waiting, sending, sent with the spooler's job number, failed
// with the reason, cancelled). The list appears at the first report that
// carries members and is kept up to date in place; a single printer's
// send shows only the bar. Cancel is the progress window's own.
#pragma once

#include <wx/progdlg.h>

#include <vector>

#include "delivery/send_board.h"

class wxListCtrl;

class SendProgressDialog : public wxGenericProgressDialog {
 public:
  SendProgressDialog(const wxString& title, const wxString& message, wxWindow* parent);

  // Shows the members as they stand now.
  void showMembers(const std::vector<MemberState>& members);
  // The members' list; null until a group's send reported.
  wxListCtrl* memberList() const { return members_; }

 private:
  void addMemberList();

  wxListCtrl* members_ = nullptr;
  std::vector<MemberState> shown_;
};
