// PrinterListingWindow: the files a printer listed on its connection, as a
// table of name and size that sorts by a click on a column header and
// narrows to the names holding what is typed in the filter box (letter
// case ignored). Copy puts the selected rows (or, with none selected, the
// rows shown) on the clipboard as tab-separated text; Save as CSV writes
// the rows shown. Above the table: the disk's free and used space when the
// printer told them, and a warning when the listing did not end.
//
// Names are untrusted: the table shows them escaped; the CSV file keeps
// their bytes (quoted). The table is virtual, so tens of thousands of
// files come up at once.
#pragma once

#include <wx/frame.h>

#include <string>
#include <vector>

#include "delivery/printer_listing.h"

class ListingTable;
class wxButton;
class wxListCtrl;
class wxStaticText;
class wxTextCtrl;

class PrinterListingWindow : public wxFrame {
 public:
  PrinterListingWindow(wxWindow* parent, const wxString& printer, PrinterListing listing);

  enum class SortColumn { Name, Size };
  void sortBy(SortColumn column, bool ascending);
  void setFilter(const wxString& filter);
  // The text Copy puts on the clipboard.
  wxString copyText() const;
  void copyRows() const;
  void saveCsv();

  // The rows shown, in order: indexes into listing().files.
  const std::vector<std::size_t>& shownRows() const { return shown_; }
  const PrinterListing& listing() const { return listing_; }
  // What the table shows for a file.
  const wxString& shownName(std::size_t file) const { return names_[file]; }
  wxListCtrl* table() const;
  wxTextCtrl* filterBox() const { return filter_; }
  wxStaticText* spaceLine() const { return space_; }
  wxStaticText* incompleteLine() const { return incomplete_; }
  wxButton* saveButton() const { return save_; }

 private:
  void refill();
  std::vector<std::size_t> chosenRows() const;

  PrinterListing listing_;
  std::vector<wxString> names_;        // escaped, one per file
  std::vector<wxString> lowerNames_;   // the same in lower case, for the filter
  std::vector<std::size_t> shown_;
  SortColumn sortColumn_ = SortColumn::Name;
  bool ascending_ = true;
  wxString filterText_;
  ListingTable* table_ = nullptr;
  wxTextCtrl* filter_ = nullptr;
  wxStaticText* space_ = nullptr;
  wxStaticText* incomplete_ = nullptr;
  wxButton* save_ = nullptr;
  wxString printer_;
};
