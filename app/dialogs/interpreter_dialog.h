// InterpreterDialog: which Tessel the program builds jobs with — the one
// installed in a folder on this computer, or the built-in one together with
// a stub file — and whether the Lustrine module is included.
//
// OK stores all four settings (useBuiltin, koroCore, koroStub, includeLUS)
// and ends with wxID_OK, unless the chosen kind has an empty path, which is
// reported and keeps the dialog open. Cancel stores nothing; the path
// fields' Browse buttons store their choice at once all the same.
#pragma once

#include <wx/dialog.h>

class PathField;
class wxCheckBox;
class wxRadioButton;

class InterpreterDialog : public wxDialog {
 public:
  explicit InterpreterDialog(wxWindow* parent);

  wxRadioButton* installedButton() const { return installed_; }
  wxRadioButton* builtinButton() const { return builtin_; }
  PathField* folderField() const { return folder_; }
  PathField* stubField() const { return stub_; }
  wxCheckBox* lustrineBox() const { return lustrine_; }

  // What the OK and Edit Stub File buttons do.
  void confirm();
  void editStub();

 private:
  wxRadioButton* installed_ = nullptr;
  wxRadioButton* builtin_ = nullptr;
  PathField* folder_ = nullptr;
  PathField* stub_ = nullptr;
  wxCheckBox* lustrine_ = nullptr;
};
