#include "app/pages/install_page.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "app/pages/operation_runner.h"
#include "app/window_ids.h"

InstallPage::InstallPage(wxWindow* parent, PageHost& host) : OperationPage(parent, host, 0) {
  wxWindow* in = box();
  const int gap = FromDIP(6);
  autoStart_ = new wxCheckBox(in, kIdAutoStart, _("Automatically start up Tessel when printer is &powered on."));
  installKeep_ = new wxCheckBox(in, wxID_ANY, _("&Keep Tessel in printer's memory."));
  errorHandler_ = new wxCheckBox(in, wxID_ANY, _("&Use Tessel's own PS error handler."));
  install_ = new wxButton(in, kIdInstallTessel, _("&Install Tessel"));
  auto* startupText = new wxStaticText(in, wxID_ANY, _("Start up Tessel after successful installation"));
  startupKeep_ = new wxCheckBox(in, wxID_ANY, _("Keep Tessel in printer's &memory."));
  startup_ = new wxButton(in, kIdStartupTessel, _("&Startup Tessel"));
  installKeep_->Disable();

  body()->Add(autoStart_, 0, wxALL, gap);
  // Indented: it belongs to the box above.
  auto* indented = new wxBoxSizer(wxHORIZONTAL);
  indented->AddSpacer(gap * 3);
  indented->Add(installKeep_);
  body()->Add(indented, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(errorHandler_, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(install_, 0, wxALL, gap);
  body()->AddSpacer(FromDIP(16));
  body()->Add(startupText, 0, wxALL, gap);
  body()->Add(startupKeep_, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  body()->Add(startup_, 0, wxALL, gap);
  body()->AddStretchSpacer();

  autoStart_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { installKeep_->Enable(autoStart_->GetValue()); });
  install_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { install(); });
  startup_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { startup(); });
}

void InstallPage::disableActions() {
  install_->Disable();
  startup_->Disable();
}

InstallChoice InstallPage::installChoice() const {
  InstallChoice choice;
  choice.autoStart = autoStart_->GetValue();
  choice.keepInMemory = installKeep_->GetValue();
  choice.errorHandler = errorHandler_->GetValue();
  return choice;
}

StartupChoice InstallPage::startupChoice() const {
  StartupChoice choice;
  choice.keepInMemory = startupKeep_->GetValue();
  return choice;
}

void InstallPage::install() {
  const InstallChoice choice = installChoice();
  runOperation(this, host(), [&](const OpContext& context) { return installTessel(context, choice); });
}

void InstallPage::startup() {
  const StartupChoice choice = startupChoice();
  runOperation(this, host(), [&](const OpContext& context) { return startupTessel(context, choice); });
}
