#include "app/pages/load_project_page.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "app/file_filters.h"
#include "app/pages/operation_runner.h"
#include "app/pages/resource_tree.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"

PathField* newProjectField(wxWindow* parent, int id) {
  // The second pattern lacks its dot ("*kpc"), as the program has always
  // offered it.
  return new PathField(parent, id, _("Enter the full path to the KX &project file (KPF or KPC)"), wxString(),
                       cfgkey::kLastProjDir, _("Browse"),
                       withAllFiles(_("KX Project File (*.kpf; *.kpc)|*.kpf;*.kpc")), PathKind::File);
}

LoadProjectPage::LoadProjectPage(wxWindow* parent, PageHost& host) : OperationPage(parent, host, 1) {
  wxWindow* in = box();
  const int gap = FromDIP(6);
  project_ = newProjectField(in, kIdLoadProjectPath);
  auto* hint = new wxStaticText(in, wxID_ANY,
                                _("&Check the resources to be loaded\n(Leave all unchecked to load all resources)"));
  tree_ = new ResourceTree(in, wxID_ANY);
  noFolderShared_ = new wxCheckBox(in, wxID_ANY, _("Do not &include folder-shared resources."));
  noGlobalShared_ = new wxCheckBox(in, wxID_ANY, _("Do not include &global-shared resources."));
  noOverwrite_ = new wxCheckBox(in, wxID_ANY, _("Do not overw&rite existing resources on the printer."));
  load_ = new wxButton(in, kIdLoadProject, _("&Load Project Resources"));

  body()->Add(project_, 0, wxEXPAND | wxALL, gap);
  body()->Add(hint, 0, wxLEFT | wxRIGHT | wxTOP, gap);
  body()->Add(tree_, 1, wxEXPAND | wxALL, gap);
  body()->Add(noFolderShared_, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(noGlobalShared_, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(noOverwrite_, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(load_, 0, wxALL, gap);

  Bind(PathChanged, [this](wxCommandEvent&) { reloadTree(); }, kIdLoadProjectPath);
  load_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { load(); });
}

void LoadProjectPage::disableActions() { load_->Disable(); }

void LoadProjectPage::updateColumnWidths() { tree_->fitColumn(0.94); }

LoadProjectChoice LoadProjectPage::choice() const {
  LoadProjectChoice choice;
  choice.projectPath = fromWx(project_->path());
  choice.checkedNames = tree_->checkedNames();
  choice.noFolderShared = noFolderShared_->GetValue();
  choice.noGlobalShared = noGlobalShared_->GetValue();
  choice.noOverwrite = noOverwrite_->GetValue();
  return choice;
}

void LoadProjectPage::reloadTree() { tree_->load(host().operationContext(), fromWx(project_->path())); }

void LoadProjectPage::load() {
  const LoadProjectChoice chosen = choice();
  runOperation(this, host(), [&](const OpContext& context) { return loadProjectResources(context, chosen); });
}
