#include "app/pages/send_container_page.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "app/pages/fit_text.h"
#include "app/pages/load_project_page.h"
#include "app/pages/operation_progress.h"
#include "app/pages/operation_runner.h"
#include "app/pages/submission_field.h"
#include "app/path_field.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"

bool askPrintWholeDocument(wxWindow* parent) {
  return showMessage(parent,
                     _("Invalid page range.\nClick OK to print the entire document.\nClick Cancel to stop printing."),
                     MessageIcon::Question, MessageButtons::OkCancel) == MessageAnswer::Ok;
}

SendContainerPage::SendContainerPage(wxWindow* parent, PageHost& host) : OperationPage(parent, host, 2) {
  wxWindow* in = box();
  const int gap = FromDIP(4);  // a tall page: close together
  project_ = newProjectField(in, kIdContainerProjectPath);
  submission_ = new SubmissionField(in, _("Choose a s&ubmission file (or enter full path if using external sub)"));
  pageRange_ = new wxCheckBox(in, kIdPageRange, _("Specify page ra&nge."));
  const long spinStyle = wxSP_ARROW_KEYS;
  firstPage_ = new wxSpinCtrl(in, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, spinStyle, 1, 99999, 1);
  lastPage_ = new wxSpinCtrl(in, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, spinStyle, 1, 99999, 1);
  embed_ = new wxCheckBox(in, kIdEmbedTessel, _("E&mbed Tessel in the data stream."));
  resourceLabels_ = {
      _("&Are already stored on the printer"),
      _("Should be &included in the data stream"),
      _("Should be included in the data stream and then also &stored on the printer"),
  };
  resources_ = new wxRadioBox(in, kIdContainerResources, _("The project resources:"), wxDefaultPosition,
                              wxDefaultSize, 3, resourceLabels_.data(), 1, wxRA_SPECIFY_COLS);
  noFolderShared_ = new wxCheckBox(in, wxID_ANY, _("Do not inc&lude folder-shared resources."));
  noGlobalShared_ = new wxCheckBox(in, wxID_ANY, _("Do not include &global-shared resources."));
  noOverwrite_ = new wxCheckBox(in, wxID_ANY, _("Do not overw&rite existing resources on the printer."));
  keep_ = new wxCheckBox(in, wxID_ANY, _("&Keep included Tessel and resources in printer's memory."));
  send_ = new wxButton(in, kIdSendContainer, _("Send &Container"));
  for (wxWindow* w : std::initializer_list<wxWindow*>{firstPage_, lastPage_, noFolderShared_, noGlobalShared_,
                                                      noOverwrite_, keep_})
    w->Disable();

  // The spin controls below their box: beside it they would not fit a
  // narrow page.
  auto* range = new wxBoxSizer(wxHORIZONTAL);
  range->AddSpacer(gap * 3);
  range->Add(firstPage_, 0, wxALIGN_CENTER_VERTICAL);
  range->Add(new wxStaticText(in, wxID_ANY, "-"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, gap);
  range->Add(lastPage_, 0, wxALIGN_CENTER_VERTICAL);
  body()->Add(project_, 0, wxEXPAND | wxALL, gap);
  body()->Add(submission_, 0, wxEXPAND | wxALL, gap);
  body()->Add(pageRange_, 0, wxLEFT | wxRIGHT | wxTOP, gap);
  body()->Add(range, 0, wxALL, gap);
  body()->Add(embed_, 0, wxALL, gap);
  body()->Add(resources_, 0, wxEXPAND | wxALL, gap);
  for (wxCheckBox* b : {noFolderShared_, noGlobalShared_, noOverwrite_, keep_})
    body()->Add(b, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(send_, 0, wxALL, gap);
  body()->AddStretchSpacer();

  Bind(PathChanged, [this](wxCommandEvent&) { fillSubmissions(); }, kIdContainerProjectPath);
  pageRange_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
    firstPage_->Enable(pageRange_->GetValue());
    lastPage_->Enable(pageRange_->GetValue());
  });
  embed_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { updateKeepBox(); });
  resources_->Bind(wxEVT_RADIOBOX, [this](wxCommandEvent&) { onResourceChoice(); });
  send_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { send(); });
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    fitLongLabels();
  });
}

void SendContainerPage::fitLongLabels() {
  // The radio button itself and the box's borders take some of the width.
  const int width = box()->GetClientSize().x - FromDIP(60);
  bool changed = false;
  for (unsigned i = 0; i < resources_->GetCount(); ++i) {
    const wxString wanted = breakToFit(resourceLabels_[i], *resources_, width);
    if (resources_->GetString(i) == wanted) continue;
    resources_->SetString(i, wanted);
    changed = true;
  }
  changed = submission_->fitPrompt(box()->GetClientSize().x - FromDIP(24)) || changed;
  if (!changed) return;
  resources_->InvalidateBestSize();
  CallAfter([this] { Layout(); });
}

void SendContainerPage::disableActions() { send_->Disable(); }

void SendContainerPage::onResourceChoice() {
  const int selected = resources_->GetSelection();
  noFolderShared_->Enable(selected != 0);
  noGlobalShared_->Enable(selected != 0);
  // With the resources already on the printer the overwrite box keeps its
  // state: it has no effect then.
  if (selected == 1) noOverwrite_->Disable();
  if (selected == 2) noOverwrite_->Enable();
  updateKeepBox();
}

void SendContainerPage::updateKeepBox() { keep_->Enable(keepBoxEnabled(choice())); }

SendContainerChoice SendContainerPage::choice() const {
  SendContainerChoice choice;
  choice.projectPath = fromWx(project_->path());
  choice.externalSubmission = submission_->external();
  choice.submission = submission_->submission();
  choice.pageRange = pageRange_->GetValue();
  choice.firstPage = firstPage_->GetValue();
  choice.lastPage = lastPage_->GetValue();
  choice.embedTessel = embed_->GetValue();
  choice.resources = static_cast<ContainerResources>(resources_->GetSelection());
  choice.noFolderShared = noFolderShared_->GetValue();
  choice.noGlobalShared = noGlobalShared_->GetValue();
  choice.noOverwrite = noOverwrite_->GetValue();
  choice.keepInMemory = keep_->GetValue();
  return choice;
}

void SendContainerPage::fillSubmissions() {
  submission_->setChoices({});
  SubmissionChoices choices;
  {
    wxBusyCursor busy;
    OperationProgress progress(this);
    OpContext context = host().operationContext();
    context.progress = progress.callback();
    choices = submissionChoices(context, fromWx(project_->path()));
  }
  if (choices.result.kind == OpResult::Kind::Cancelled) return;
  if (!choices.result.message.empty()) {
    showMessage(this, toWx(choices.result.message));
    return;
  }
  submission_->setChoices(choices.names);
}

void SendContainerPage::send() {
  const SendContainerChoice chosen = choice();
  runOperation(this, host(), [&](const OpContext& context) {
    return sendContainer(context, chosen, [this] { return askPrintWholeDocument(this); });
  });
}
