#include "app/pages/list_page.h"

#include <wx/button.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app/pages/operation_runner.h"
#include "app/pages/project_name_fields.h"
#include "app/window_ids.h"

ListPage::ListPage(wxWindow* parent, PageHost& host) : OperationPage(parent, host, 4) {
  wxWindow* in = box();
  const int gap = FromDIP(6);
  const wxString items[] = {
      _("&All Tessel and KX resource files on the printer"),
      _("All &PS fonts on the printer"),
      _("A specific pro&ject's resource files on the printer"),
  };
  choice_ = new wxRadioBox(in, kIdListChoice, _("Print a list of:"), wxDefaultPosition, wxDefaultSize, 3, items, 1,
                           wxRA_SPECIFY_COLS);
  names_ = std::make_unique<ProjectNameFields>(in);
  list_ = new wxButton(in, kIdListFiles, _("L&ist Files"));

  body()->Add(choice_, 0, wxEXPAND | wxALL, gap);
  names_->addTo(body(), gap);
  body()->Add(list_, 0, wxALL, gap);
  body()->AddStretchSpacer();

  choice_->Bind(wxEVT_RADIOBOX, [this](wxCommandEvent&) { names_->enable(choice_->GetSelection() == 2); });
  list_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { listFiles(); });
}

ListPage::~ListPage() = default;

void ListPage::disableActions() { list_->Disable(); }

ListChoice ListPage::choice() const {
  ListChoice choice;
  choice.item = static_cast<ListItem>(choice_->GetSelection());
  choice.folder = names_->folder();
  choice.project = names_->project();
  return choice;
}

void ListPage::listFiles() {
  const ListChoice chosen = choice();
  runOperation(this, host(), [&](const OpContext& context) { return listPrinterFiles(context, chosen); });
}
