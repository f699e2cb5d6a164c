#include "app/about_box.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "app/program_texts.h"
#include "delivery/app_config.h"
#include "ops/about_text.h"

wxString toolkitVersionLine() { return wxGetLibraryVersionInfo().GetVersionString(); }

AboutBox::AboutBox(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::Format(_("About %s"), fullName())) {
  ProgramIdentity identity{kFullName, kProgramVersion, kNoticeLine, fromWx(toolkitVersionLine())};
  const int gap = FromDIP(12);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmapBundle(wxART_INFORMATION, wxART_MESSAGE_BOX)),
           0, wxALL, gap);
  text_ = new wxStaticText(this, wxID_ANY, wxString());
  // Shown as it is: a folder name may hold "&".
  text_->SetLabelText(toWx(aboutText(identity)));
  row->Add(text_, 1, wxTOP | wxRIGHT | wxBOTTOM, gap);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(row, 1, wxEXPAND);
  auto* ok = new wxButton(this, wxID_OK, _("OK"));
  ok->SetDefault();
  column->Add(ok, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, gap);
  SetSizerAndFit(column);
  SetEscapeId(wxID_OK);
  CentreOnParent();
}

wxString AboutBox::text() const { return text_->GetLabelText(); }
