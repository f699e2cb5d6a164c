// SubmissionField: the submission file of a printable container — one of
// the project's own, picked from a list, or an external file typed in or
// chosen with "Browse..." once "Use external submission file." is ticked.
// The list and the external path are never enabled together.
#pragma once

#include <wx/panel.h>

#include <string>
#include <vector>

class wxButton;
class wxCheckBox;
class wxChoice;
class wxStaticText;
class wxTextCtrl;

class SubmissionField : public wxPanel {
 public:
  SubmissionField(wxWindow* parent, const wxString& prompt);

  // Replaces the project's submission files (none selected).
  void setChoices(const std::vector<std::string>& names);
  bool external() const;
  // The external path, or the selected name of the list ("" for none).
  std::string submission() const;

  wxChoice* choiceList() const { return choice_; }
  wxTextCtrl* pathField() const { return path_; }
  wxButton* browseButton() const { return browse_; }
  wxCheckBox* externalBox() const { return external_; }

  void browse();
  // Breaks the prompt into lines that fit the width; true when it changed.
  bool fitPrompt(int width);

 private:
  void updateEnabling();

  wxStaticText* prompt_ = nullptr;
  wxString promptText_;
  wxChoice* choice_ = nullptr;
  wxTextCtrl* path_ = nullptr;
  wxButton* browse_ = nullptr;
  wxCheckBox* external_ = nullptr;
  std::vector<std::string> names_;  // as the project names them
};

// The filter of every submission file chooser.
wxString submissionFileFilter();
