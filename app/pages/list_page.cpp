#include "app/pages/list_page.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app/dialogs/printer_listing_window.h"
#include "app/pages/operation_runner.h"
#include "app/pages/project_name_fields.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"
#include "delivery/printer_listing.h"
#include "delivery/send_job.h"
#include "ops/two_way_members.h"

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
  printedPage_ = new wxCheckBox(in, kIdListPrintedPage, _("Print the listing &page too"));
  printedPage_->SetToolTip(_("For printers that answer on their connection: the listing is shown on screen, "
                             "and printed as well when this is ticked."));
  printedPage_->SetValue(true);
  list_ = new wxButton(in, kIdListFiles, _("L&ist Files"));

  body()->Add(choice_, 0, wxEXPAND | wxALL, gap);
  names_->addTo(body(), gap);
  body()->Add(printedPage_, 0, wxALL, gap);
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
  ListChoice chosen = choice();
  const TwoWayReach reach = twoWayReach(destinationMembers(host().operationContext()));
  chosen.answerOnConnection = reach != TwoWayReach::None;
  // A spooler queue of a group gets only the page, so it is always printed.
  chosen.printedPage = reach != TwoWayReach::All || printedPage_->GetValue();
  const OpResult result =
      runOperation(this, host(), [&](const OpContext& context) { return listPrinterFiles(context, chosen); });
  if (!chosen.answerOnConnection) return;
  for (const SendOutcome::Answer& answer : result.outcome.answers) {
    // A printer that failed the job part-way still shows what it listed,
    // marked incomplete; one that said nothing (not reached) has the
    // error message alone.
    if (answer.answer.total == 0) continue;
    auto* window = new PrinterListingWindow(wxGetTopLevelParent(this), toWx(answer.printer),
                                            parsePrinterListing(answer.answer.kept));
    window->Show();
  }
}
