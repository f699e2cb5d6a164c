#include "app/pages/placeholder_page.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app/pages/page_catalogue.h"

PlaceholderPage::PlaceholderPage(wxWindow* parent, PageHost& host, int index) : OperationPage(parent, host, index) {
  body()->AddStretchSpacer();
  for (const ActionButton& action : actionButtons()) {
    if (action.page != index) continue;
    auto* button = new wxButton(box(), action.id, wxGetTranslation(action.label));
    body()->Add(button, 0, wxALIGN_LEFT | wxTOP, FromDIP(6));
    actions_.push_back(button);
  }
}

void PlaceholderPage::disableActions() {
  for (wxButton* button : actions_) button->Disable();
}
