// The Install Tessel page: installs the configured Tessel (built-in or
// from its folder) on the destination, or starts an installed one. The
// install "Keep Tessel in printer's memory." box is only enabled while
// automatic start-up is ticked; its tick is kept but counts only then.
#pragma once

#include "app/pages/operation_page.h"
#include "ops/operations.h"

class wxButton;
class wxCheckBox;

class InstallPage : public OperationPage {
 public:
  InstallPage(wxWindow* parent, PageHost& host);
  void disableActions() override;

  InstallChoice installChoice() const;
  StartupChoice startupChoice() const;

  wxCheckBox* autoStartBox() const { return autoStart_; }
  wxCheckBox* installKeepBox() const { return installKeep_; }
  wxCheckBox* errorHandlerBox() const { return errorHandler_; }
  wxCheckBox* startupKeepBox() const { return startupKeep_; }

  void install();
  void startup();

 private:
  wxCheckBox* autoStart_ = nullptr;
  wxCheckBox* installKeep_ = nullptr;
  wxCheckBox* errorHandler_ = nullptr;
  wxCheckBox* startupKeep_ = nullptr;
  wxButton* install_ = nullptr;
  wxButton* startup_ = nullptr;
};
