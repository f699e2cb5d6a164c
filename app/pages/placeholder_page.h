// A page whose operation is not built yet: its heading, its action buttons
// (which do nothing) and the information button.
#pragma once

#include <vector>

#include "app/pages/operation_page.h"

class wxButton;

class PlaceholderPage : public OperationPage {
 public:
  PlaceholderPage(wxWindow* parent, PageHost& host, int pageIndex);
  void disableActions() override;

 private:
  std::vector<wxButton*> actions_;
};
