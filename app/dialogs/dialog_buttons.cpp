#include "app/dialogs/dialog_buttons.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>

wxSizer* okCancelRow(wxDialog* dialog) {
  auto* ok = new wxButton(dialog, wxID_OK, _("OK"));
  auto* cancel = new wxButton(dialog, wxID_CANCEL, _("Cancel"));
  ok->SetDefault();
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->AddStretchSpacer();
  row->Add(ok, 0, wxRIGHT, dialog->FromDIP(6));
  row->Add(cancel, 0);
  return row;
}
