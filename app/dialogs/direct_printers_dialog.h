// DirectPrintersDialog: the printers reached on their raw port, each a
// name and a "socket://HOST[:PORT]" address, added, changed and removed.
//
// Changes are kept in the dialog and written to the configuration file by
// OK, all at once under its lock; Cancel drops them. A name is refused
// when a spooler printer, a printer group or another direct printer has
// it (letter case ignored).
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <string>
#include <vector>

class DirectPrinterEntryDialog;
class wxButton;
class wxListCtrl;

class DirectPrintersDialog : public wxDialog {
 public:
  explicit DirectPrintersDialog(wxWindow* parent);

  wxListCtrl* printerList() const { return list_; }
  wxButton* addButton() const { return add_; }
  wxButton* changeButton() const { return change_; }
  wxButton* removeButton() const { return remove_; }

  // The buttons' actions. The entry dialog is shown modal, or, when
  // answer is set (tests), handed to it instead, whose return is taken as
  // the dialog's.
  struct EntryDriver {
    std::function<int(DirectPrinterEntryDialog&)> answer;
  };
  void addPrinter(const EntryDriver& driver = {});
  void changePrinter(const EntryDriver& driver = {});
  void removePrinter();
  // Writes the changes; false (and a message shown) when they could not be.
  bool confirm();

 private:
  struct Entry {
    std::string name;
    std::string address;
  };
  std::string nameRefusal(const std::string& name) const;
  int selectedRow() const;
  void showEntries(int select);

  wxListCtrl* list_ = nullptr;
  wxButton* add_ = nullptr;
  wxButton* change_ = nullptr;
  wxButton* remove_ = nullptr;
  std::vector<Entry> entries_;
  std::vector<std::string> removed_;
  std::vector<std::string> groups_;
};
