#include "app/pages/fonts_page.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app/file_filters.h"
#include "app/pages/legacy_files_page.h"
#include "app/pages/operation_runner.h"
#include "app/pages/report_list.h"
#include "app/remembered_choosers.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "ops/operations.h"
#include "delivery/app_config.h"

FontsPage::FontsPage(wxWindow* parent, PageHost& host) : OperationPage(parent, host, 6) {
  wxWindow* in = box();
  const int gap = FromDIP(4);
  wxBitmapButton* add = newListButton(in, kIdFontAdd, Art::Add, _("Add a font file to the list for loading."));
  wxBitmapButton* remove = newListButton(in, kIdFontDelete, Art::Delete, _("Delete the selected items from the list"));
  list_ = new ReportList(in, kIdFontList, {_("Local Font Files"), _("Printer Font Names")});
  load_ = new wxButton(in, kIdLoadFonts, _("&Load PS Fonts"));

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(add, 0, wxRIGHT, gap);
  buttons->Add(remove, 0, wxRIGHT, gap);
  body()->Add(buttons, 0, wxALL, gap);
  body()->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT, gap);
  body()->Add(load_, 0, wxALL, gap);

  add->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { addFontFiles(); });
  remove->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { deleteRows(); });
  load_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { loadFonts(); });
  list_->onDeleteKey = [this] { deleteRows(); };
  list_->onColumnClick = [this](int column) {
    fonts_.sortBy(column);
    showRows();
  };
  list_->onLabelEdited = [this](std::size_t row, const wxString& text) {
    // Another font file for the row: its name is read afresh.
    const std::string message = fonts_.add(fromWx(text), row);
    if (!message.empty()) showMessage(this, toWx(message), MessageIcon::Information);
    showRows();
  };
  list_->acceptDroppedFiles([this](const wxArrayString& files) { addFontPaths(files); });
}

void FontsPage::disableActions() { load_->Disable(); }

void FontsPage::updateColumnWidths() { list_->setColumnFractions({0.54, 0.4}); }

void FontsPage::showRows() {
  std::vector<std::vector<wxString>> rows;
  for (const auto& [file, name] : fonts_.rows()) rows.push_back({toWx(file), toWx(name)});
  list_->showRows(rows);
}

void FontsPage::addFontFiles() {
  if (std::optional<wxArrayString> files = chooseFilesRemembering(
          this, cfgkey::kLastFontDir, withAllFiles(_("PS Font FIles (*.pfa; *.pfb)|*.pfa;*.pfb"))))
    addFontPaths(*files);
}

void FontsPage::addFontPaths(const wxArrayString& paths) {
  for (const wxString& path : paths) {
    const std::string message = fonts_.add(fromWx(path));
    if (!message.empty()) showMessage(this, toWx(message), MessageIcon::Information);
  }
  showRows();
}

void FontsPage::deleteRows() {
  fonts_.remove(list_->selectedRows());
  list_->selectRows({});
  showRows();
}

void FontsPage::loadFonts() {
  if (fonts_.rows().empty()) return;
  runOperation(this, host(), [this](const OpContext& context) { return ::loadFonts(context, fonts_.files()); });
}
