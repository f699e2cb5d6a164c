// PrinterGroupsDialog: creates and deletes printer groups and ticks the
// printers that belong to each.
//
// Added and deleted groups are stored at once; the ticks of the group shown
// are stored by Apply, by OK, and by a Yes when another group is chosen
// after changes. Cancel drops ticks changed since the last store. OK also
// keeps the list of group names and the dialog's size.
#pragma once

#include <wx/dialog.h>

class wxBitmapButton;
class wxButton;
class wxCheckListBox;
class wxChoice;

class PrinterGroupsDialog : public wxDialog {
 public:
  explicit PrinterGroupsDialog(wxWindow* parent);

  wxChoice* groupChoice() const { return groups_; }
  wxCheckListBox* printerList() const { return printers_; }
  wxBitmapButton* addButton() const { return add_; }
  wxBitmapButton* deleteButton() const { return delete_; }
  wxButton* checkAllButton() const { return checkAll_; }
  wxButton* uncheckAllButton() const { return uncheckAll_; }
  wxButton* applyButton() const { return apply_; }
  const wxString& currentGroup() const { return current_; }

  // The buttons' and the choice's actions.
  void addGroup();
  void deleteGroup();
  void SwitchGroup(const wxString& name);
  void SaveCurrentGroup();
  void SetAllChecks(bool checked);
  void confirm();

 private:
  std::string checkedMemberText() const;
  void enableMembers(bool enable);
  void enableApplyWhenGrouped();

  wxBitmapButton* add_ = nullptr;
  wxBitmapButton* delete_ = nullptr;
  wxChoice* groups_ = nullptr;
  wxCheckListBox* printers_ = nullptr;
  wxButton* checkAll_ = nullptr;
  wxButton* uncheckAll_ = nullptr;
  wxButton* apply_ = nullptr;
  wxString current_;
  // The list holds the installed printers, then the current group's members
  // that are not installed (marked missing), whose stored names these are.
  unsigned installedCount_ = 0;
  std::vector<std::string> missing_;
};
