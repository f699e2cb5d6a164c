#include "app/dialogs/send_progress_dialog.h"

#include <wx/listctrl.h>
#include <wx/sizer.h>

#include "app/showable_wx.h"
#include "delivery/app_config.h"

namespace {

bool sameState(const MemberState& a, const MemberState& b) {
  return a.printer == b.printer && a.stage == b.stage && a.jobId == b.jobId && a.reason == b.reason;
}


}  // namespace

SendProgressDialog::SendProgressDialog(const wxString& title, const wxString& message, wxWindow* parent)
    : wxGenericProgressDialog(title, message, 100, parent, wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_ELAPSED_TIME) {}

void SendProgressDialog::addMemberList() {
  members_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(460, 180)),
                            wxLC_REPORT | wxLC_SINGLE_SEL);
  members_->AppendColumn(_("Printer"), wxLIST_FORMAT_LEFT, FromDIP(200));
  members_->AppendColumn(_("State"), wxLIST_FORMAT_LEFT, FromDIP(240));
  // Above the buttons, the last row of the window.
  wxSizer* sizer = GetSizer();
  const std::size_t at = sizer->GetItemCount() > 0 ? sizer->GetItemCount() - 1 : 0;
  const int edge = FromDIP(10);
  sizer->Insert(at, members_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  SetMinSize(wxDefaultSize);
  Fit();
  SetMinSize(GetSize());
  CentreOnParent();
}

void SendProgressDialog::showMembers(const std::vector<MemberState>& members) {
  if (members.empty()) return;
  if (members_ == nullptr) addMemberList();
  members_->Freeze();
  for (std::size_t i = 0; i < members.size(); ++i) {
    const long row = static_cast<long>(i);
    if (i >= shown_.size()) {
      members_->InsertItem(row, showableWx(members[i].printer));
    } else if (sameState(shown_[i], members[i])) {
      continue;
    } else {
      members_->SetItem(row, 0, showableWx(members[i].printer));
    }
    members_->SetItem(row, 1, showableWx(memberStateText(members[i])));
  }
  members_->Thaw();
  shown_ = members;
}
