// ConvertPathDialog: a printer path typed in, or converted from a local
// file chosen with "Local Path..." (by the program's rule or into the
// folder of the chosen type). The local path itself is not kept. OK and
// Cancel end the dialog; the caller reads the printer path back. A line
// under the path says why the printer would refuse it, typed or
// converted, and OK stays disabled while it would; Enter in the field is OK.
#pragma once

#include <wx/dialog.h>

#include <memory>

class PrinterTypeChoice;
class wxButton;
class wxStaticText;
class wxTextCtrl;

class ConvertPathDialog : public wxDialog {
 public:
  ConvertPathDialog(wxWindow* parent, const wxString& title, const wxString& printerPath);
  ~ConvertPathDialog() override;

  wxString printerPath() const;
  wxTextCtrl* printerField() const { return printer_; }
  const PrinterTypeChoice& types() const { return *types_; }
  wxButton* localPathButton() const { return localPath_; }
  wxStaticText* faultLine() const { return fault_; }

  // What "Local Path..." does: a file chooser starting in the last legacy
  // folder; the chosen file's printer path goes into the field.
  void convertLocalPath();

 private:
  void checkName();

  wxTextCtrl* printer_ = nullptr;
  wxStaticText* fault_ = nullptr;
  std::unique_ptr<PrinterTypeChoice> types_;
  wxButton* localPath_ = nullptr;
};
