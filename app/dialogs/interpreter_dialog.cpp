#include "app/dialogs/interpreter_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app/dialogs/stub_editor.h"
#include "app/field_mnemonics.h"
#include "app/file_filters.h"
#include "app/path_field.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "krmsdk/krm_koro_texts.h"
#include "ops/desktop_settings.h"

InterpreterDialog::InterpreterDialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, _("Select Tessel")) {
  const InterpreterChoice stored = readInterpreterChoice(OpContext{});

  const int gap = FromDIP(6);
  auto* boxSizer = new wxStaticBoxSizer(wxVERTICAL, this, _("Select Tessel"));
  wxStaticBox* box = boxSizer->GetStaticBox();

  installed_ = new wxRadioButton(box, kIdUseInstalled, _("Use the Tessel &installed on this PC"), wxDefaultPosition,
                                 wxDefaultSize, wxRB_GROUP);
  folder_ = new PathField(box, kIdTesselFolder, _("Enter the full path to your computer's Tessel &directory"),
                          toWx(stored.koroCore), cfgkey::kKoroCore, _("Browse"), wxString(), PathKind::Folder);
  builtin_ = new wxRadioButton(box, kIdUseBuiltin, _("Use Quaymaster's b&uilt-in Tessel"));
  stub_ = new PathField(box, kIdStubFile, _("Enter the full path to the &stub file"), toWx(stored.koroStub),
                        cfgkey::kKoroStub, _("Browse"), allFilesFilter(), PathKind::File, true);
  stub_->browseButton()->SetLabel(_("B&rowse..."));
  auto* edit = new wxButton(box, kIdEditStub, _("&Edit Stub File..."));
  lustrine_ = new wxCheckBox(box, wxID_ANY, _("Include the &Lustrine module"));

  builtin_->SetValue(stored.useBuiltin);
  installed_->SetValue(!stored.useBuiltin);
  lustrine_->SetValue(stored.includeLUS);

  boxSizer->Add(installed_, 0, wxALL, gap);
  boxSizer->Add(folder_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
  boxSizer->Add(builtin_, 0, wxALL, gap);
  boxSizer->Add(stub_, 0, wxEXPAND | wxLEFT | wxRIGHT, gap);
  boxSizer->Add(edit, 0, wxALIGN_RIGHT | wxALL, gap);
  boxSizer->Add(lustrine_, 0, wxALL, gap);
  folder_->SetMinSize(wxSize(FromDIP(420), -1));

  auto* ok = new wxButton(this, kIdInterpreterOk, _("OK"));
  auto* cancel = new wxButton(this, wxID_CANCEL, _("Cancel"));
  ok->SetDefault();
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  buttons->Add(ok, 0, wxRIGHT, gap);
  buttons->Add(cancel, 0);

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(boxSizer, 1, wxEXPAND | wxALL, FromDIP(10));
  column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
  answerFieldMnemonics(this);
  SetSizerAndFit(column);
  CentreOnParent();

  ok->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { confirm(); });
  edit->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { editStub(); });
}

void InterpreterDialog::confirm() {
  if (builtin_->GetValue() && stub_->path().empty()) {
    showMessage(this, _("Please provide a path to the stub file."), MessageIcon::Error, MessageButtons::Ok,
                _("KORO Stub Path"));
    return;
  }
  if (installed_->GetValue() && folder_->path().empty()) {
    showMessage(this, _("Please provide a path to the Tessel."), MessageIcon::Error, MessageButtons::Ok,
                _("Tessel Path"));
    return;
  }
  if (installed_->GetValue()) {
    // Checked now rather than when Install cannot read the folder.
    const std::string folder = fromWx(folder_->path());
    std::string withSeparator = folder;
    if (withSeparator.back() != '/' && withSeparator.back() != kSdkHostSeparator) withSeparator += kSdkHostSeparator;
    wxString problem;
    if (!sdkIsDirectory(folder.c_str())) problem = _("The Tessel folder does not exist.");
    else if (!sdkFileExists(krmLocalStartupFile(withSeparator.c_str()).c_str()))
      problem = _("The folder holds no Tessel: its start-up file src/tqfdos.run is missing.");
    if (!problem.empty()) {
      showMessage(this, problem + "\n\n" + folder_->path(), MessageIcon::Error, MessageButtons::Ok,
                  _("Tessel Path"));
      return;
    }
  }
  InterpreterChoice choice;
  choice.useBuiltin = builtin_->GetValue();
  choice.koroCore = fromWx(folder_->path());
  choice.koroStub = fromWx(stub_->path());
  choice.includeLUS = lustrine_->GetValue();
  saveInterpreterChoice(choice);
  if (IsModal()) {
    EndModal(wxID_OK);
  } else {
    SetReturnCode(wxID_OK);
    Hide();
  }
}

void InterpreterDialog::editStub() {
  const wxString path = stub_->path();
  if (path.empty()) return;
  const std::string file = fromWx(path);
  if (!sdkFileExists(file.c_str()) || sdkIsDirectory(file.c_str())) {
    showMessage(this, _("The file does not exist.") + "\n\n" + path);
    return;
  }
  if (!openInTextEditor(file)) showMessage(this, _("Quaymaster cannot find the appropriate text editor."));
}
