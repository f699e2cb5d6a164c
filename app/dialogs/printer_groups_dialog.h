// PrinterGroupsDialog: creates and deletes printer groups and ticks the
// printers that belong to each.
//
// Added and deleted groups are stored at once; the ticks of the group shown
// are stored by Apply, by OK, and by a Yes when another group is chosen
// after changes. Cancel drops ticks changed since the last store. OK also
// keeps the list of group names and the dialog's size.
#pragma once

#include <wx/dialog.h>

#include <optional>
#include <string>
#include <vector>

class wxBitmapButton;
class wxButton;
class wxCheckListBox;
class wxChoice;

class PrinterGroupsDialog : public wxDialog {
 public:
  // further: the printers offered after the local ones, the configured
  // servers' queues (QUEUE@HOST) then the direct printers, as the main
  // window's destination list already holds them. Without it the dialog
  // asks the servers itself, which takes at most their time limit.
  explicit PrinterGroupsDialog(wxWindow* parent, std::optional<std::vector<std::string>> further = std::nullopt);

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
  // The list holds the offered printers (local, then the servers' queues and
  // the direct printers), then the current group's members that are none of
  // them (marked missing), whose stored names these are.
  unsigned installedCount_ = 0;
  std::vector<std::string> missing_;
};
