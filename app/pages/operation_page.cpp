#include "app/pages/operation_page.h"

#include <wx/bmpbuttn.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app/art.h"
#include "app/help_viewer.h"
#include "app/pages/page_catalogue.h"

OperationPage::OperationPage(wxWindow* parent, PageHost& host, int pageIndex)
    : wxPanel(parent, wxID_ANY), host_(host), pageIndex_(pageIndex) {
  const PageDescription& page = pageDescription(pageIndex);
  auto* boxSizer = new wxStaticBoxSizer(wxVERTICAL, this, wxGetTranslation(page.heading));
  box_ = boxSizer->GetStaticBox();
  body_ = new wxBoxSizer(wxVERTICAL);
  boxSizer->Add(body_, 1, wxEXPAND | wxALL, FromDIP(4));

  info_ = new wxBitmapButton(box_, page.infoButtonId, artBundle(Art::Help));
  info_->SetToolTip(wxGetTranslation(page.infoToolTip));
  info_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { showPageHelp(pageIndex_); });
  boxSizer->Add(info_, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, FromDIP(4));

  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(boxSizer, 1, wxEXPAND);
  SetSizer(outer);
}

void OperationPage::placeInformationButtonLast() {
  const wxWindowList& children = box_->GetChildren();
  if (children.empty()) return;
  wxWindow* last = children.back();
  if (last != info_) info_->MoveAfterInTabOrder(last);
}

void showPageHelp(int pageIndex) {
  if (HelpViewer* viewer = HelpViewer::instance()) viewer->showKeyword(pageDescription(pageIndex).helpKeyword);
}
