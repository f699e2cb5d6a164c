// ReportList: the lists of the legacy and font pages. A report view with
// one or two columns and several rows selectable at once; its rows are
// shown from the page's list data and never edited here: the page is told
// what the user did (Delete or Backspace, a column header clicked, a row
// double-clicked, a label edited in place, files dropped from the file
// manager) and shows the new rows afterwards. A text wider than its
// column shows whole as the tool tip of the row under the mouse.
#pragma once

#include <wx/listctrl.h>

#include <functional>
#include <vector>

class ReportList : public wxListCtrl {
 public:
  ReportList(wxWindow* parent, wxWindowID id, const std::vector<wxString>& columns);

  // Replaces the rows (one text per column); the rows selected before stay
  // selected where they still exist.
  void showRows(const std::vector<std::vector<wxString>>& rows);
  std::vector<std::size_t> selectedRows() const;
  void selectRows(const std::vector<std::size_t>& rows);
  // Column widths as fractions of width (the list's own client width when
  // width is 0).
  void setColumnFractions(const std::vector<double>& fractions, int width = 0);

  // What the page does for the user's actions; unset ones do nothing.
  std::function<void()> onDeleteKey;
  std::function<void(int column)> onColumnClick;
  std::function<void(std::size_t row)> onDoubleClick;
  // The row's first column was edited in place; the shown text only
  // changes when the page shows its rows again.
  std::function<void(std::size_t row, const wxString& text)> onLabelEdited;
  // The selection may have changed (by the user or by showRows and
  // selectRows); the page enables its buttons.
  std::function<void()> onSelectionChanged;
  // Only lists that take dropped files set this (before it is first used).
  void acceptDroppedFiles(std::function<void(const wxArrayString& files)> handler);
  void dropFiles(const wxArrayString& files);

 private:
  void selectionChanged();
  // The tool tip for the mouse at pos of window (the list or the part of
  // it that takes the mouse).
  void showTipAt(wxWindow* window, const wxPoint& pos);

  std::function<void(const wxArrayString&)> onDrop_;
};
