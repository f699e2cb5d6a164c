#include "app/destination_choice.h"

#include <wx/dc.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/utils.h>

DestinationChoice::DestinationChoice(wxWindow* parent, wxWindowID id) {
  // Created here, not by the base constructor, so that the toolkit asks
  // this class whether the control takes the focus.
  Create(parent, id, wxString(), wxDefaultPosition, wxDefaultSize, 0, nullptr, wxCB_READONLY);
  // Ahead of the combo box's own key handling, which only jumps to the
  // next entry starting with one letter.
  Bind(wxEVT_CHAR, &DestinationChoice::onChar, this);
  Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
    event.Skip();
    // The popup list takes the focus while it is open: keep the filter then.
    if (!IsPopupShown()) clearFilter();
  });
}

void DestinationChoice::setEntries(const wxArrayString& entries, const std::set<wxString>& unavailable) {
  all_ = entries;
  unavailable_ = unavailable;
  filter_.clear();
  Set(all_);
  if (filterChanged_) filterChanged_(filter_, static_cast<int>(all_.size()), static_cast<int>(all_.size()));
}

bool DestinationChoice::selectEntry(const wxString& text) {
  clearFilter();
  const int found = text.empty() ? wxNOT_FOUND : FindString(text, true);
  SetSelection(found);
  return found != wxNOT_FOUND;
}

void DestinationChoice::onChar(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (event.HasModifiers() || key == WXK_TAB || key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
    event.Skip();
    return;
  }
  if (key == WXK_ESCAPE) {
    if (filter_.empty() || IsPopupShown())
      event.Skip();
    else
      clearFilter();
    return;
  }
  if (key == WXK_BACK) {
    if (!filter_.empty()) applyFilter(filter_.Left(filter_.length() - 1));
    return;
  }
  const wxChar typed = event.GetUnicodeKey();
  if (typed == WXK_NONE || typed < WXK_SPACE || typed == WXK_DELETE) {
    event.Skip();  // arrows, Home, End, Page Up/Down: the combo box's own
    return;
  }
  if (!applyFilter(filter_ + typed)) wxBell();
}

bool DestinationChoice::applyFilter(const wxString& filter) {
  const wxString needle = filter.Lower();
  wxArrayString shown;
  for (const wxString& entry : all_)
    if (entry.Lower().Contains(needle)) shown.Add(entry);
  if (shown.empty()) return false;
  const wxString selected = GetSelection() == wxNOT_FOUND ? wxString() : GetString(GetSelection());
  filter_ = filter;
  Set(shown);
  const int keep = selected.empty() ? wxNOT_FOUND : FindString(selected, true);
  SetSelection(keep == wxNOT_FOUND ? 0 : keep);
  if (keep == wxNOT_FOUND) {
    // The choice changed: tell the window as a click would.
    wxCommandEvent changed(wxEVT_COMBOBOX, GetId());
    changed.SetEventObject(this);
    changed.SetInt(GetSelection());
    changed.SetString(GetValue());
    ProcessWindowEvent(changed);
  }
  if (filterChanged_) filterChanged_(filter_, static_cast<int>(shown.size()), static_cast<int>(all_.size()));
  return true;
}

void DestinationChoice::clearFilter() {
  if (filter_.empty()) return;
  const wxString selected = GetSelection() == wxNOT_FOUND ? wxString() : GetString(GetSelection());
  filter_.clear();
  Set(all_);
  SetSelection(selected.empty() ? wxNOT_FOUND : FindString(selected, true));
  if (filterChanged_) filterChanged_(filter_, static_cast<int>(all_.size()), static_cast<int>(all_.size()));
}

wxString DestinationChoice::shownText(const wxString& entry) const {
  return isUnavailable(entry) ? wxString::Format(_("%s  (unavailable)"), entry) : entry;
}

void DestinationChoice::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
  const bool control = (flags & wxODCB_PAINTING_CONTROL) != 0;
  if (item == wxNOT_FOUND || (control && GetSelection() == wxNOT_FOUND)) {
    wxOwnerDrawnComboBox::OnDrawItem(dc, rect, item, flags);
    return;
  }
  const wxString entry = control ? GetValue() : GetString(static_cast<unsigned>(item));
  // Greyed unless drawn on the selection's highlight, where grey would not read.
  if (isUnavailable(entry) && (flags & wxODCB_PAINTING_SELECTED) == 0)
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
  const wxCoord x = rect.x + (control ? GetMargins().x : 2);
  const wxCoord y = control ? rect.y + (rect.height - dc.GetCharHeight()) / 2 : rect.y;
  dc.DrawText(shownText(entry), x, y);
}

wxCoord DestinationChoice::OnMeasureItemWidth(size_t item) const {
  const wxString entry = GetString(static_cast<unsigned>(item));
  if (!isUnavailable(entry)) return -1;  // the toolkit measures the text
  return GetTextExtent(shownText(entry)).x + FromDIP(4);
}
