// DestinationChoice: the main window's destination list. A read-only combo
// box drawn by the toolkit's generic code (the native choice control takes
// seconds to build and show with a thousand entries) that Tab stops at, and
// that narrows its list to the entries holding what the operator types
// (letter case ignored): with hundreds of printers, "q1" leaves the few
// that hold it. Backspace widens the list again, Escape and leaving the
// control show every entry, keeping the one selected.
#pragma once

#include <wx/odcombo.h>

#include <functional>
#include <vector>

class DestinationChoice : public wxOwnerDrawnComboBox {
 public:
  DestinationChoice(wxWindow* parent, wxWindowID id);

  // Replaces every entry (the filter is cleared); nothing is selected.
  void setEntries(const wxArrayString& entries);
  // Selects the entry equal to text among all entries (the filter is
  // cleared); false, with nothing selected, when there is none.
  bool selectEntry(const wxString& text);
  // The typed filter ("" when the whole list shows).
  const wxString& filter() const { return filter_; }
  // Called with the filter and how many entries it leaves, when it changes.
  void onFilterChanged(std::function<void(const wxString& filter, int shown, int total)> callback) {
    filterChanged_ = std::move(callback);
  }

  bool AcceptsFocus() const override { return IsShown() && IsEnabled(); }
  bool AcceptsFocusFromKeyboard() const override { return AcceptsFocus(); }

 private:
  void onChar(wxKeyEvent& event);
  // Shows the entries that hold filter; false (and nothing changed) when
  // none does.
  bool applyFilter(const wxString& filter);
  void clearFilter();

  wxArrayString all_;
  wxString filter_;
  std::function<void(const wxString&, int, int)> filterChanged_;
};
