// DirectPrinterEntryDialog: the name and address of one direct printer,
// for Add and Change of the Direct Printers dialog.
//
// Both fields are checked as they are typed (delivery/direct_printer.h):
// the line under them says why the first refused one is refused, and OK
// stays disabled while either is. A changed printer keeps its name.
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <string>

class wxStaticText;
class wxTextCtrl;

class DirectPrinterEntryDialog : public wxDialog {
 public:
  // nameRefusal says why a typed name cannot be taken (empty: it can).
  DirectPrinterEntryDialog(wxWindow* parent, const wxString& caption,
                           std::function<std::string(const std::string& name)> nameRefusal,
                           const wxString& name = wxString(), const wxString& address = wxString());

  wxTextCtrl* nameField() const { return name_; }
  wxTextCtrl* addressField() const { return address_; }
  wxStaticText* faultLine() const { return fault_; }

  // The entered name without surrounding blanks, and the address as kept.
  std::string name() const;
  std::string address() const;

 private:
  void check();

  wxTextCtrl* name_ = nullptr;
  wxTextCtrl* address_ = nullptr;
  wxStaticText* fault_ = nullptr;
  std::function<std::string(const std::string&)> nameRefusal_;
};
