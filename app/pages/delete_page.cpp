#include "app/pages/delete_page.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app/pages/operation_runner.h"
#include "app/pages/project_name_fields.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"
#include "delivery/printer_groups.h"
#include "delivery/send_job.h"

DeletePage::DeletePage(wxWindow* parent, PageHost& host) : OperationPage(parent, host, 3) {
  wxWindow* in = box();
  const int gap = FromDIP(6);
  const wxString items[] = {
      _("Delete &all Tessel and KX resource files"),
      _("Delete all Tessel file&s"),
      _("Delete all &KX resource files"),
      _("Delete all the resource files of a KX &project"),
  };
  choice_ = new wxRadioBox(in, kIdDeleteChoice, _("Specify which files should be deleted"), wxDefaultPosition,
                           wxDefaultSize, 4, items, 1, wxRA_SPECIFY_COLS);
  names_ = std::make_unique<ProjectNameFields>(in);
  noFolderShared_ = new wxCheckBox(in, wxID_ANY, _("Do not delete folder-sha&red resources."));
  noGlobalShared_ = new wxCheckBox(in, wxID_ANY, _("Do not delete &global-shared resources."));
  delete_ = new wxButton(in, kIdDeleteFiles, _("Delete F&iles"));
  noFolderShared_->Disable();
  noGlobalShared_->Disable();

  body()->Add(choice_, 0, wxEXPAND | wxALL, gap);
  names_->addTo(body(), gap);
  body()->Add(noFolderShared_, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(noGlobalShared_, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(delete_, 0, wxALL, gap);
  body()->AddStretchSpacer();

  choice_->Bind(wxEVT_RADIOBOX, [this](wxCommandEvent&) { onChoice(); });
  delete_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { deleteFiles(); });
}

DeletePage::~DeletePage() = default;

void DeletePage::disableActions() { delete_->Disable(); }

void DeletePage::onChoice() {
  const bool project = choice_->GetSelection() == 3;
  names_->enable(project);
  noFolderShared_->Enable(project);
  noGlobalShared_->Enable(project);
}

DeleteChoice DeletePage::choice() const {
  DeleteChoice choice;
  choice.item = static_cast<DeleteItem>(choice_->GetSelection());
  choice.folder = names_->folder();
  choice.project = names_->project();
  choice.noFolderShared = noFolderShared_->GetValue();
  choice.noGlobalShared = noGlobalShared_->GetValue();
  return choice;
}

void DeletePage::deleteFiles() {
  const DeleteChoice chosen = choice();
  bool confirm = false;
  AppConfig(kAppName).readFlag(cfgkey::kConfirmDelete, confirm);
  if (confirm) {
    // Which printers, and what goes from them.
    const std::string destination = host().operationContext().destination;
    wxString printers = toWx(destination);
    if (isGroupTarget(destination)) {
      printers.clear();
      for (const std::string& member : ReadPrinterGroup(stripGroupMarker(destination)))
        printers += (printers.empty() ? "" : ", ") + toWx(member);
    }
    const wxString question = wxString::Format(_("Delete %s from these printers?\n\n%s"),
                                               toWx(describeDeletion(chosen)), printers);
    if (showMessage(this, question, MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) return;
  }
  runOperation(this, host(), [&](const OpContext& context) { return ::deleteFiles(context, chosen); });
}
