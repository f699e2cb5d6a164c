// SetPrinterPathDialog: one legacy resource's local file and the printer
// path it is stored under. "Set Printer Path" fills the printer path from
// the local path, by the program's rule or into the folder of the chosen
// type; the caller may leave that button out (editing several rows at
// once, where only the type matters). OK and Cancel end the dialog; the
// caller reads the fields back. Under the printer path a line says why the
// printer would refuse the name (the typed one, else the one derived from
// the local path, or with several rows what derived says), and OK stays
// disabled while it would. Enter in either field is OK.
#pragma once

#include <wx/dialog.h>

#include <memory>

#include "app/dialogs/dialog_buttons.h"

class PathField;
class PrinterTypeChoice;
class wxButton;
class wxStaticText;
class wxTextCtrl;

class SetPrinterPathDialog : public wxDialog {
 public:
  SetPrinterPathDialog(wxWindow* parent, const wxString& title, const wxString& localPath,
                       const wxString& printerPath, bool omitSetButton, DerivedNamesRefusal derived = {});
  ~SetPrinterPathDialog() override;

  wxString localPath() const;
  wxString printerPath() const;
  // -1 for the program's rule, else the chosen type.
  int typeIndex() const;

  PathField* localField() const { return local_; }
  wxTextCtrl* printerField() const { return printer_; }
  const PrinterTypeChoice& types() const { return *types_; }
  // Nothing when the caller left the button out.
  wxButton* setButton() const { return set_; }
  wxStaticText* faultLine() const { return fault_; }

  // What "Set Printer Path" does.
  void setPrinterPath();

 private:
  void checkName();

  DerivedNamesRefusal derived_;
  wxStaticText* fault_ = nullptr;
  PathField* local_ = nullptr;
  wxTextCtrl* printer_ = nullptr;
  std::unique_ptr<PrinterTypeChoice> types_;
  wxButton* set_ = nullptr;
};
