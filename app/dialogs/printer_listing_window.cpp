#include "app/dialogs/printer_listing_window.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>

#include "app/showable_wx.h"
#include "app/user_prompts.h"
#include "base/natural_order.h"
#include "base/sdk_fs.h"
#include "base/sdk_fs_unique.h"
#include "delivery/app_config.h"

// The table asks for the text of the rows it draws, no more.
class ListingTable : public wxListCtrl {
 public:
  ListingTable(wxWindow* parent, const PrinterListingWindow& owner)
      : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_VIRTUAL),
        owner_(owner) {}

  wxString OnGetItemText(long item, long column) const override {
    const std::vector<std::size_t>& rows = owner_.shownRows();
    if (item < 0 || static_cast<std::size_t>(item) >= rows.size()) return wxString();
    const std::size_t file = rows[static_cast<std::size_t>(item)];
    if (column == 0) return owner_.shownName(file);
    return wxString::Format("%llu", static_cast<unsigned long long>(owner_.listing().files[file].size));
  }

 private:
  const PrinterListingWindow& owner_;
};

namespace {
wxString spaceText(const PrinterListing& listing) {
  if (!listing.freeBytes || !listing.totalBytes) return _("The printer did not tell its disk's free space.");
  const std::uint64_t used = *listing.totalBytes >= *listing.freeBytes ? *listing.totalBytes - *listing.freeBytes : 0;
  const auto readable = [](std::uint64_t bytes) { return wxFileName::GetHumanReadableSize(wxULongLong(bytes)); };
  return wxString::Format(_("Disk: %s free, %s used of %s"), readable(*listing.freeBytes), readable(used),
                          readable(*listing.totalBytes));
}
}  // namespace

PrinterListingWindow::PrinterListingWindow(wxWindow* parent, const wxString& printer, PrinterListing listing)
    : wxFrame(parent, wxID_ANY, wxString::Format(_("Files on %s"), printer), wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      listing_(std::move(listing)),
      printer_(printer) {
  names_.reserve(listing_.files.size());
  lowerNames_.reserve(listing_.files.size());
  for (const ListedFile& file : listing_.files) {
    names_.push_back(showableWx(file.name));
    lowerNames_.push_back(names_.back().Lower());
  }

  auto* panel = new wxPanel(this);
  const int gap = FromDIP(6);
  space_ = new wxStaticText(panel, wxID_ANY, spaceText(listing_));
  incomplete_ = new wxStaticText(panel, wxID_ANY,
                                 _("Incomplete listing: the printer's answer ended before the listing did."));
  incomplete_->SetForegroundColour(wxColour(170, 0, 0));
  incomplete_->Show(!listing_.complete);
  auto* filterLabel = new wxStaticText(panel, wxID_ANY, _("&Filter:"));
  filter_ = new wxTextCtrl(panel, wxID_ANY);
  filter_->SetHint(_("part of a name"));
  table_ = new ListingTable(panel, *this);
  table_->AppendColumn(_("Name"), wxLIST_FORMAT_LEFT, FromDIP(380));
  table_->AppendColumn(_("Size"), wxLIST_FORMAT_RIGHT, FromDIP(110));
  table_->SetMinSize(FromDIP(wxSize(520, 320)));
  auto* copy = new wxButton(panel, wxID_COPY, _("&Copy"));
  copy->SetToolTip(_("Copies the selected rows, or all rows shown, as text."));
  save_ = new wxButton(panel, wxID_SAVEAS, _("&Save as CSV..."));
  save_->SetToolTip(_("Saves the rows shown as a CSV file."));
  auto* close = new wxButton(panel, wxID_CLOSE, _("C&lose"));

  auto* filterRow = new wxBoxSizer(wxHORIZONTAL);
  filterRow->Add(filterLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  filterRow->Add(filter_, 1);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(copy, 0, wxRIGHT, gap);
  buttons->Add(save_, 0);
  buttons->AddStretchSpacer();
  buttons->Add(close, 0);
  auto* column = new wxBoxSizer(wxVERTICAL);
  const int edge = FromDIP(10);
  column->Add(space_, 0, wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(incomplete_, 0, wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(filterRow, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(table_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, edge);
  column->Add(buttons, 0, wxEXPAND | wxALL, edge);
  panel->SetSizer(column);
  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(panel, 1, wxEXPAND);
  SetSizerAndFit(outer);
  CentreOnParent();

  sortBy(SortColumn::Name, true);
  filter_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { setFilter(filter_->GetValue()); });
  table_->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& event) {
    const SortColumn clicked = event.GetColumn() == 1 ? SortColumn::Size : SortColumn::Name;
    sortBy(clicked, clicked == sortColumn_ ? !ascending_ : true);
  });
  copy->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { copyRows(); });
  save_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { saveCsv(); });
  close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); });
}

wxListCtrl* PrinterListingWindow::table() const { return table_; }

void PrinterListingWindow::sortBy(SortColumn column, bool ascending) {
  sortColumn_ = column;
  ascending_ = ascending;
  table_->ShowSortIndicator(column == SortColumn::Size ? 1 : 0, ascending);
  refill();
}

void PrinterListingWindow::setFilter(const wxString& filter) {
  filterText_ = filter.Lower();
  refill();
}

void PrinterListingWindow::refill() {
  shown_.clear();
  for (std::size_t i = 0; i < listing_.files.size(); ++i) {
    if (filterText_.empty() || lowerNames_[i].Find(filterText_) != wxNOT_FOUND) shown_.push_back(i);
  }
  const auto& files = listing_.files;
  // Ties keep a fixed order, so that a click on a header shows the same
  // table every time.
  const auto byName = [&](std::size_t a, std::size_t b) {
    if (sdkNaturalLess(files[a].name, files[b].name)) return true;
    if (sdkNaturalLess(files[b].name, files[a].name)) return false;
    return a < b;
  };
  const auto bySize = [&](std::size_t a, std::size_t b) {
    return files[a].size != files[b].size ? files[a].size < files[b].size : byName(a, b);
  };
  if (sortColumn_ == SortColumn::Name) std::sort(shown_.begin(), shown_.end(), byName);
  else std::sort(shown_.begin(), shown_.end(), bySize);
  if (!ascending_) std::reverse(shown_.begin(), shown_.end());
  // Selections name rows, and the rows have changed under them.
  for (long row = table_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
       row = table_->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
    table_->SetItemState(row, 0, wxLIST_STATE_SELECTED);
  table_->SetItemCount(static_cast<long>(shown_.size()));
  table_->Refresh();
}

std::vector<std::size_t> PrinterListingWindow::chosenRows() const {
  std::vector<std::size_t> rows;
  for (long row = table_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
       row = table_->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
    rows.push_back(shown_[static_cast<std::size_t>(row)]);
  return rows.empty() ? shown_ : rows;
}

wxString PrinterListingWindow::copyText() const {
  wxString text;
  for (std::size_t file : chosenRows())
    text += names_[file] + "\t" +
            wxString::Format("%llu", static_cast<unsigned long long>(listing_.files[file].size)) + "\n";
  return text;
}

void PrinterListingWindow::copyRows() const {
  wxClipboardLocker locker;
  if (!locker) return;
  wxTheClipboard->SetData(new wxTextDataObject(copyText()));
}

void PrinterListingWindow::saveCsv() {
  const std::optional<wxString> path =
      chooseSaveFile(this, _("Save the Listing as CSV"), wxStandardPaths::Get().GetDocumentsDir(),
                     printer_ + ".csv", _("CSV files (*.csv)|*.csv|All files|*"));
  if (!path) return;
  PrinterListing shown;
  for (std::size_t file : shown_) shown.files.push_back(listing_.files[file]);
  const std::string csv = printerListingCsv(shown);
  const std::string target = fromWx(*path);
  // Written beside the chosen file and put in its place when whole, so a
  // failed save never leaves a cut-off file under the chosen name.
  SdkNewFile part = sdkCreatePartFile(target);
  bool written = part && std::fwrite(csv.data(), 1, csv.size(), part.file) == csv.size();
  if (part) written = std::fclose(part.file) == 0 && written;
  if (written) written = sdkCommitFile(part.path.c_str(), target.c_str()) != 0;
  if (!written) {
    if (part) sdkDeleteFile(part.path.c_str());
    showMessage(this, wxString::Format(_("The listing cannot be saved as %s."), *path));
  }
}
