#include "app/pages/submission_field.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/file_filters.h"
#include "app/pages/fit_text.h"
#include "app/remembered_choosers.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"

wxString submissionFileFilter() {
  return allFilesFilter() + "|" +
         _("Line Mode (*.lm)|*.lm|Database Mode (*.dbf)|*.dbf|Native Mode (*.nm)|*.nm|PostScript "
           "(*.ps)|*.ps|Submission File (*.sub)|*.sub");
}

SubmissionField::SubmissionField(wxWindow* parent, const wxString& prompt)
    : wxPanel(parent, wxID_ANY), promptText_(prompt) {
  const int gap = FromDIP(4);
  // The prompt first: it names the fields after it.
  prompt_ = new wxStaticText(this, wxID_ANY, prompt);
  choice_ = new wxChoice(this, wxID_ANY);
  path_ = new wxTextCtrl(this, kIdPathText);
  browse_ = new wxButton(this, kIdSubmissionBrowse, _("Bro&wse..."));
  external_ = new wxCheckBox(this, kIdExternalSubmission, _("Use e&xternal submission file."));

  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(choice_, 3, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  row->Add(path_, 4, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  row->Add(browse_, 0, wxALIGN_CENTER_VERTICAL);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(prompt_, 0, wxBOTTOM, FromDIP(3));
  column->Add(row, 0, wxEXPAND);
  column->Add(external_, 0, wxTOP, gap);
  SetSizer(column);
  updateEnabling();

  external_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { updateEnabling(); });
  browse_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { browse(); });
}

void SubmissionField::setChoices(const std::vector<std::string>& names) {
  wxArrayString items;
  for (const std::string& name : names) items.Add(toWx(name));
  choice_->Set(items);
  // The first of the project's files, rather than a choice that looks
  // filled and sends nothing.
  if (!items.empty()) choice_->SetSelection(0);
  names_ = names;
}

bool SubmissionField::external() const { return external_->GetValue(); }

std::string SubmissionField::submission() const {
  if (external()) return fromWx(path_->GetValue());
  const int selected = choice_->GetSelection();
  return selected >= 0 && static_cast<std::size_t>(selected) < names_.size() ? names_[selected] : std::string();
}

void SubmissionField::updateEnabling() {
  path_->Enable(external());
  browse_->Enable(external());
  choice_->Enable(!external());
}

bool SubmissionField::fitPrompt(int width) {
  const wxString wanted = breakToFit(promptText_, *prompt_, width);
  if (prompt_->GetLabel() == wanted) return false;
  prompt_->SetLabel(wanted);
  prompt_->InvalidateBestSize();
  InvalidateBestSize();
  return true;
}

void SubmissionField::browse() {
  std::optional<wxString> file = chooseFileRemembering(this, cfgkey::kLastSubDir, submissionFileFilter());
  if (file) path_->ChangeValue(*file);
}
