// ModifyPrinterNamesDialog: how the highlighted printer names of a list
// are to be re-derived — by their file extensions, or into the folder of a
// chosen type. The caller applies the choice (typeIndex) after OK. A line
// says why the printer would refuse a name the choice derives (as the
// caller's derived tells), and OK stays disabled while it would.
#pragma once

#include <wx/dialog.h>

#include <memory>

#include "app/dialogs/dialog_buttons.h"

class PrinterTypeChoice;
class wxStaticText;

class ModifyPrinterNamesDialog : public wxDialog {
 public:
  ModifyPrinterNamesDialog(wxWindow* parent, const wxString& title, DerivedNamesRefusal derived = {});
  ~ModifyPrinterNamesDialog() override;

  // -1 for "according to the file extensions", else the chosen type.
  int typeIndex() const;
  const PrinterTypeChoice& types() const { return *types_; }
  wxStaticText* faultLine() const { return fault_; }

 private:
  void checkNames();

  DerivedNamesRefusal derived_;
  wxStaticText* fault_ = nullptr;
  std::unique_ptr<PrinterTypeChoice> types_;
};
