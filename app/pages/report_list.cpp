#include "app/pages/report_list.h"

#include <wx/dnd.h>

namespace {

class ReportDropTarget : public wxFileDropTarget {
 public:
  explicit ReportDropTarget(ReportList& list) : list_(list) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
    list_.dropFiles(files);
    return !files.empty();
  }

 private:
  ReportList& list_;
};

}  // namespace

ReportList::ReportList(wxWindow* parent, wxWindowID id, const std::vector<wxString>& columns)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_EDIT_LABELS | wxBORDER_SUNKEN) {
  for (std::size_t i = 0; i < columns.size(); ++i) AppendColumn(columns[i]);
  // The header and some three rows: any less and the rows' scroll bar has
  // less room than it needs.
  SetMinSize(wxSize(-1, FromDIP(90)));

  Bind(wxEVT_LIST_KEY_DOWN, [this](wxListEvent& event) {
    const int key = event.GetKeyCode();
    if ((key == WXK_DELETE || key == WXK_NUMPAD_DELETE || key == WXK_BACK) && onDeleteKey) onDeleteKey();
    else event.Skip();
  });
  Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& event) {
    if (!onColumnClick || event.GetColumn() < 0) return;
    // The rows move; a selection kept by position would pick others.
    selectRows({});
    onColumnClick(event.GetColumn());
  });
  Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
    if (onDoubleClick && event.GetIndex() >= 0) onDoubleClick(static_cast<std::size_t>(event.GetIndex()));
  });
  Bind(wxEVT_LIST_BEGIN_LABEL_EDIT, [this](wxListEvent& event) {
    if (!onLabelEdited) event.Veto();
  });
  Bind(wxEVT_LIST_END_LABEL_EDIT, [this](wxListEvent& event) {
    // The page decides what the row becomes and shows it; the list would
    // otherwise keep the typed text as it stands.
    event.Veto();
    if (event.IsEditCancelled() || !onLabelEdited || event.GetIndex() < 0) return;
    const std::size_t row = static_cast<std::size_t>(event.GetIndex());
    const wxString text = event.GetLabel();
    CallAfter([this, row, text] { onLabelEdited(row, text); });
  });
  auto changed = [this](wxListEvent& event) {
    event.Skip();
    selectionChanged();
  };
  Bind(wxEVT_LIST_ITEM_SELECTED, changed);
  Bind(wxEVT_LIST_ITEM_DESELECTED, changed);
  // The rows may be drawn by a child window that takes the mouse.
  std::vector<wxWindow*> surfaces{this};
  for (wxWindow* child : GetChildren()) surfaces.push_back(child);
  for (wxWindow* surface : surfaces)
    surface->Bind(wxEVT_MOTION, [this, surface](wxMouseEvent& event) {
      event.Skip();
      showTipAt(surface, event.GetPosition());
    });
}

void ReportList::selectionChanged() {
  if (onSelectionChanged) onSelectionChanged();
}

void ReportList::showTipAt(wxWindow* window, const wxPoint& pos) {
  const wxPoint here = ScreenToClient(window->ClientToScreen(pos));
  int flags = 0;
  long column = 0;
  const long item = HitTest(here, flags, &column);
  wxString tip;
  if (item >= 0 && (flags & wxLIST_HITTEST_ONITEM) && column >= 0 && column < GetColumnCount()) {
    const wxString text = GetItemText(item, static_cast<int>(column));
    // Some room for the margins the list draws around a text.
    if (GetTextExtent(text).x + FromDIP(12) > GetColumnWidth(static_cast<int>(column))) tip = text;
  }
  if (window->GetToolTipText() != tip) {
    if (tip.empty()) window->UnsetToolTip();
    else window->SetToolTip(tip);
  }
}

void ReportList::showRows(const std::vector<std::vector<wxString>>& rows) {
  // The rows are changed in place, never all deleted and inserted anew: the
  // list keeps its own record of the selection, and rows inserted anew with
  // their selection set again leave that record behind, so that the next
  // plain click added to the selection instead of replacing it.
  Freeze();
  const long wanted = static_cast<long>(rows.size());
  while (GetItemCount() > wanted) DeleteItem(GetItemCount() - 1);
  const int columns = GetColumnCount();
  for (long i = 0; i < wanted; ++i) {
    const std::vector<wxString>& row = rows[static_cast<std::size_t>(i)];
    if (i >= GetItemCount()) InsertItem(i, wxString());
    for (int c = 0; c < columns; ++c) {
      const wxString text = static_cast<std::size_t>(c) < row.size() ? row[static_cast<std::size_t>(c)] : wxString();
      if (GetItemText(i, c) != text) SetItem(i, c, text);
    }
  }
  Thaw();
  selectionChanged();
}

std::vector<std::size_t> ReportList::selectedRows() const {
  std::vector<std::size_t> rows;
  for (long item = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); item != -1;
       item = GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
    rows.push_back(static_cast<std::size_t>(item));
  return rows;
}

void ReportList::selectRows(const std::vector<std::size_t>& rows) {
  for (long item = 0; item < GetItemCount(); ++item) SetItemState(item, 0, wxLIST_STATE_SELECTED);
  for (std::size_t row : rows)
    if (row < static_cast<std::size_t>(GetItemCount()))
      SetItemState(static_cast<long>(row), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  selectionChanged();
}

void ReportList::setColumnFractions(const std::vector<double>& fractions, int width) {
  if (width <= 0) width = GetClientSize().x;
  if (width <= 0) return;
  for (std::size_t i = 0; i < fractions.size() && static_cast<int>(i) < GetColumnCount(); ++i)
    SetColumnWidth(static_cast<int>(i), static_cast<int>(width * fractions[i]));
}

void ReportList::acceptDroppedFiles(std::function<void(const wxArrayString&)> handler) {
  onDrop_ = std::move(handler);
  SetDropTarget(new ReportDropTarget(*this));
}

void ReportList::dropFiles(const wxArrayString& files) {
  if (onDrop_ && !files.empty()) onDrop_(files);
}
