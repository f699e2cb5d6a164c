// DestinationChoice: the main window's destination list. A read-only combo
// box drawn by the toolkit's generic code (the native choice control takes
// seconds to build and show with a thousand entries) that Tab stops at, and
// that narrows its list to the entries holding what the operator types
// (letter case ignored): with hundreds of printers, "q1" leaves the few
// that hold it. Backspace widens the list again, Escape and leaving the
// control show every entry, keeping the one selected.
//
// Entries can be marked unavailable (the printers of a print server that
// did not answer): they are drawn greyed with "(unavailable)" after the
// name, in the list and in the closed control. The mark is drawn only; the
// entry's text, which the window sends to, stays the plain name.
#pragma once

#include <wx/odcombo.h>

#include <functional>
#include <set>
#include <vector>

class DestinationChoice : public wxOwnerDrawnComboBox {
 public:
  DestinationChoice(wxWindow* parent, wxWindowID id);

  // Replaces every entry (the filter is cleared); nothing is selected.
  // Those also in unavailable are marked.
  void setEntries(const wxArrayString& entries, const std::set<wxString>& unavailable = {});
  bool isUnavailable(const wxString& entry) const { return unavailable_.count(entry) != 0; }
  // What is drawn for an entry: its text, and the mark when it has one.
  wxString shownText(const wxString& entry) const;
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

 protected:
  void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
  wxCoord OnMeasureItemWidth(size_t item) const override;

 private:
  void onChar(wxKeyEvent& event);
  // Shows the entries that hold filter; false (and nothing changed) when
  // none does.
  bool applyFilter(const wxString& filter);
  void clearFilter();

  wxArrayString all_;
  std::set<wxString> unavailable_;
  wxString filter_;
  std::function<void(const wxString&, int, int)> filterChanged_;
};
