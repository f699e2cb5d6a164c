// ModifyPrinterNamesDialog: how the highlighted printer names of a list
// are to be re-derived — by their file extensions, or into the folder of a
// chosen type. The caller applies the choice (typeIndex) after OK.
#pragma once

#include <wx/dialog.h>

#include <memory>

class PrinterTypeChoice;

class ModifyPrinterNamesDialog : public wxDialog {
 public:
  ModifyPrinterNamesDialog(wxWindow* parent, const wxString& title);
  ~ModifyPrinterNamesDialog() override;

  // -1 for "according to the file extensions", else the chosen type.
  int typeIndex() const;
  const PrinterTypeChoice& types() const { return *types_; }

 private:
  std::unique_ptr<PrinterTypeChoice> types_;
};
