#include "app/pages/project_name_fields.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "delivery/app_config.h"

ProjectNameFields::ProjectNameFields(wxWindow* parent) {
  const wxSize width(parent->FromDIP(200), -1);
  folderLabel_ = new wxStaticText(parent, wxID_ANY, _("Enter the fo&lder name"));
  folder_ = new wxTextCtrl(parent, wxID_ANY, wxString(), wxDefaultPosition, width);
  projectLabel_ = new wxStaticText(parent, wxID_ANY, _("Enter the project &name"));
  project_ = new wxTextCtrl(parent, wxID_ANY, wxString(), wxDefaultPosition, width);
  enable(false);
}

void ProjectNameFields::addTo(wxSizer* column, int gap) const {
  auto* grid = new wxFlexGridSizer(2, gap, gap * 2);
  grid->Add(folderLabel_, 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(folder_, 0, wxALIGN_CENTER_VERTICAL | wxEXPAND);
  grid->Add(projectLabel_, 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(project_, 0, wxALIGN_CENTER_VERTICAL | wxEXPAND);
  // The fields take the width the window gives.
  grid->AddGrowableCol(1, 1);
  column->Add(grid, 0, wxEXPAND | wxALL, gap);
}

void ProjectNameFields::enable(bool on) {
  folderLabel_->Enable(on);
  folder_->Enable(on);
  projectLabel_->Enable(on);
  project_->Enable(on);
}

std::string ProjectNameFields::folder() const { return fromWx(folder_->GetValue()); }
std::string ProjectNameFields::project() const { return fromWx(project_->GetValue()); }
