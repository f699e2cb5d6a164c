#include "app/pages/legacy_files_page.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "app/dialogs/convert_path_dialog.h"
#include "app/dialogs/modify_printer_names_dialog.h"
#include "app/dialogs/set_printer_path_dialog.h"
#include "app/file_filters.h"
#include "app/pages/operation_runner.h"
#include "app/pages/report_list.h"
#include "app/pages/submission_field.h"
#include "app/path_field.h"
#include "app/remembered_choosers.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"
#include "ops/operations.h"

wxBitmapButton* newListButton(wxWindow* parent, int id, Art art, const wxString& toolTip) {
  auto* button = new wxBitmapButton(parent, id, artBundle(art));
  button->SetToolTip(toolTip);
  return button;
}

namespace {

// A framed part of the page: its box and the column inside it.
struct Part {
  wxStaticBoxSizer* sizer;
  wxWindow* box;
};
Part newPart(wxWindow* parent, const wxString& title) {
  auto* sizer = new wxStaticBoxSizer(wxVERTICAL, parent, title);
  return {sizer, sizer->GetStaticBox()};
}

// The question before loading under names of the printer's own files, one
// line per name.
wxString systemNamesQuestion(const std::vector<std::pair<std::string, std::string>>& rows) {
  wxString text;
  for (const auto& [local, printer] : rows)
    text += wxString::Format(_("The printer file name '%s' belongs to %s."), toWx(krmShownName(printer)),
                             toWx(systemAreaWords(systemAreaOfLoad(local, printer)))) +
            "\n";
  return text + "\n" + _("Loading a file under such a name replaces a file the printer itself runs or uses.") +
         "\n\n" + (rows.size() == 1 ? _("Load it anyway?") : _("Load them anyway?"));
}

}  // namespace

LegacyFilesPage::LegacyFilesPage(wxWindow* parent, PageHost& host) : OperationPage(parent, host, 5) {
  const int gap = FromDIP(4);

  // Loading.
  Part loading = newPart(box(), _("Load a Legacy Job's Resources"));
  auto* loadButtons = new wxBoxSizer(wxHORIZONTAL);
  wxBitmapButton* add = newListButton(loading.box, kIdLegacyAdd, Art::Add, _("Add a file to the list for loading."));
  wxBitmapButton* edit = newListButton(loading.box, kIdLegacyEdit, Art::Edit, _("Edit the selected item in the list."));
  wxBitmapButton* remove =
      newListButton(loading.box, kIdLegacyDelete, Art::Delete, _("Delete the selected items from the list"));
  for (wxBitmapButton* b : {add, edit, remove}) loadButtons->Add(b, 0, wxRIGHT, gap);
  loadList_ = new ReportList(loading.box, kIdLegacyLoadList, {_("Local File Names"), _("Printer File Names")});
  loadButton_ = new wxButton(loading.box, kIdLoadLegacyFiles, _("&Load Legacy Files"));
  loading.sizer->Add(loadButtons, 0, wxALL, gap);
  loading.sizer->Add(loadList_, 1, wxEXPAND | wxLEFT | wxRIGHT, gap);
  loading.sizer->Add(loadButton_, 0, wxALL, gap);

  // Sending a submission file.
  Part sending = newPart(box(), _("Send a submission file to the printer"));
  submission_ = new PathField(sending.box, kIdLegacySubmissionPath, _("Enter the full &path to a submission file"),
                              wxString(), cfgkey::kLastSubDir, _("Browse"), submissionFileFilter(), PathKind::File);
  sendButton_ = new wxButton(sending.box, kIdSendSubmissionFile, _("Send &Submission File"));
  sending.sizer->Add(submission_, 0, wxEXPAND | wxALL, gap);
  sending.sizer->Add(sendButton_, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);

  // Removing.
  Part removing = newPart(box(), _("Remove a Legacy Job's Resources"));
  auto* removalButtons = new wxBoxSizer(wxHORIZONTAL);
  wxBitmapButton* addName =
      newListButton(removing.box, kIdRemovalAdd, Art::Add, _("Add a file to the list for removal."));
  wxBitmapButton* convert = newListButton(removing.box, kIdRemovalAddLocal, Art::AddLocal,
                                          _("Convert local file names to printer file names."));
  wxBitmapButton* editName =
      newListButton(removing.box, kIdRemovalEdit, Art::Edit, _("Edit the selected item in the list."));
  wxBitmapButton* removeName =
      newListButton(removing.box, kIdRemovalDelete, Art::Delete, _("Delete the selected items from the list"));
  wxBitmapButton* copy =
      newListButton(removing.box, kIdRemovalCopy, Art::Copy, _("Copy printer file names from the load list"));
  for (wxBitmapButton* b : {addName, convert, editName, removeName, copy}) removalButtons->Add(b, 0, wxRIGHT, gap);
  removalList_ = new ReportList(removing.box, kIdRemovalList, {_("Printer File Names")});
  removeButton_ = new wxButton(removing.box, kIdRemoveLegacyFiles, _("&Remove Legacy Files"));
  removing.sizer->Add(removalButtons, 0, wxALL, gap);
  removing.sizer->Add(removalList_, 1, wxEXPAND | wxLEFT | wxRIGHT, gap);
  removing.sizer->Add(removeButton_, 0, wxALL, gap);

  // The two lists share the height equally.
  body()->Add(loading.sizer, 1, wxEXPAND | wxBOTTOM, gap);
  body()->Add(sending.sizer, 0, wxEXPAND | wxBOTTOM, gap);
  body()->Add(removing.sizer, 1, wxEXPAND);

  add->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { addLoadFiles(); });
  edit->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { editLoadRows(); });
  remove->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { deleteLoadRows(); });
  loadButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { loadFiles(); });
  sendButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { sendSubmission(); });
  addName->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { addRemovalName(); });
  convert->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { convertLocalFiles(); });
  editName->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { editRemovalRows(); });
  removeName->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { deleteRemovalRows(); });
  copy->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { copyLoadNames(); });
  removeButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { removeFiles(); });

  loadList_->onDeleteKey = [this] { deleteLoadRows(); };
  loadList_->onDoubleClick = [this](std::size_t) { editLoadRows(); };
  loadList_->onColumnClick = [this](int column) {
    load_.sortBy(column);
    showLoadRows();
  };
  loadList_->onLabelEdited = [this](std::size_t row, const wxString& text) {
    // Another local file for the row: its printer name is derived anew,
    // as when the file is added.
    const std::string message = load_.edit(row, fromWx(text), std::string(), -1);
    if (!message.empty()) showMessage(this, toWx(message));
    showLoadRows();
  };
  loadList_->acceptDroppedFiles([this](const wxArrayString& files) { addLoadPaths(files); });

  editLoad_ = edit;
  editRemoval_ = editName;
  for (ReportList* list : {loadList_, removalList_}) list->onSelectionChanged = [this] { enableEditButtons(); };
  enableEditButtons();

  removalList_->onDeleteKey = [this] { deleteRemovalRows(); };
  removalList_->onDoubleClick = [this](std::size_t) { editRemovalRows(); };
  removalList_->onColumnClick = [this](int) {
    removal_.sort();
    showRemovalRows();
  };
  removalList_->onLabelEdited = [this](std::size_t row, const wxString& text) {
    const std::string message = removal_.put(fromWx(text), row);
    if (!message.empty()) showMessage(this, toWx(message));
    showRemovalRows();
  };
}

void LegacyFilesPage::disableActions() {
  loadButton_->Disable();
  sendButton_->Disable();
  removeButton_->Disable();
}

void LegacyFilesPage::updateColumnWidths() {
  const int width = loadList_->GetClientSize().x;
  loadList_->setColumnFractions({0.54, 0.4}, width);
  // Both lists are equally wide; the load list's width counts.
  removalList_->setColumnFractions({0.94}, width);
}

void LegacyFilesPage::showLoadRows() {
  std::vector<std::vector<wxString>> rows;
  for (const auto& [local, printer] : load_.rows()) rows.push_back({toWx(local), toWx(printer)});
  loadList_->showRows(rows);
}

void LegacyFilesPage::showRemovalRows() {
  std::vector<std::vector<wxString>> rows;
  for (const std::string& name : removal_.rows()) rows.push_back({toWx(name)});
  removalList_->showRows(rows);
}

void LegacyFilesPage::enableEditButtons() {
  editLoad_->Enable(!loadList_->selectedRows().empty());
  editRemoval_->Enable(!removalList_->selectedRows().empty());
}

void LegacyFilesPage::noteGuesses(bool anyGuess) {
  if (anyGuess) showMessage(this, toWx(unrecognisedNamesNotice()), MessageIcon::Information);
}

void LegacyFilesPage::addLoadFiles() {
  if (std::optional<wxArrayString> files = chooseFilesRemembering(this, cfgkey::kLastLegacyDir, allFilesFilter()))
    addLoadPaths(*files);
}

void LegacyFilesPage::addLoadPaths(const wxArrayString& paths) {
  bool anyGuess = false;
  for (const wxString& path : paths) {
    bool recognised = true;
    const std::string message = load_.add(fromWx(path), recognised);
    if (!message.empty()) showMessage(this, toWx(message));
    else anyGuess = anyGuess || !recognised;
  }
  showLoadRows();
  noteGuesses(anyGuess);
}

void LegacyFilesPage::editLoadRows() {
  const std::vector<std::size_t> rows = loadList_->selectedRows();
  if (rows.empty()) return;
  if (rows.size() == 1) {
    const auto& [local, printer] = load_.rows().at(rows[0]);
    SetPrinterPathDialog dialog(this, _("Edit resource for loading"), toWx(local), toWx(printer), false);
    if (dialog.ShowModal() != wxID_OK) return;
    const std::string message =
        load_.edit(rows[0], fromWx(dialog.localPath()), fromWx(dialog.printerPath()), dialog.typeIndex());
    if (!message.empty()) showMessage(this, toWx(message));
  } else {
    SetPrinterPathDialog dialog(this, _("Edit resource for loading"), wxString(), wxString(), true,
                                [this, rows](int type) { return load_.rederiveRefusal(rows, type); });
    if (dialog.ShowModal() != wxID_OK) return;
    load_.rederive(rows, dialog.typeIndex());
  }
  showLoadRows();
}

void LegacyFilesPage::deleteLoadRows() {
  load_.remove(loadList_->selectedRows());
  loadList_->selectRows({});
  showLoadRows();
}

void LegacyFilesPage::addRemovalName() {
  ConvertPathDialog dialog(this, _("Add resource for removal"), wxString());
  if (dialog.ShowModal() != wxID_OK) return;
  const std::string message = removal_.put(fromWx(dialog.printerPath()));
  if (!message.empty()) showMessage(this, toWx(message));
  showRemovalRows();
}

void LegacyFilesPage::convertLocalFiles() {
  std::optional<wxArrayString> files = chooseFilesRemembering(this, cfgkey::kLastLegacyDir, allFilesFilter());
  if (!files) return;
  bool anyGuess = false;
  for (const wxString& path : *files) {
    bool recognised = true;
    const std::string message = removal_.addLocalFile(fromWx(path), recognised);
    if (!message.empty()) showMessage(this, toWx(message));
    else anyGuess = anyGuess || !recognised;
  }
  showRemovalRows();
  noteGuesses(anyGuess);
}

void LegacyFilesPage::editRemovalRows() {
  const std::vector<std::size_t> rows = removalList_->selectedRows();
  if (rows.empty()) return;
  ModifyPrinterNamesDialog dialog(this, _("Edit resource for removal"),
                                  [this, rows](int type) { return removal_.modifyRefusal(rows, type); });
  if (dialog.ShowModal() != wxID_OK) return;
  removal_.modify(rows, dialog.typeIndex());
  showRemovalRows();
}

void LegacyFilesPage::deleteRemovalRows() {
  removal_.remove(removalList_->selectedRows());
  removalList_->selectRows({});
  showRemovalRows();
}

void LegacyFilesPage::copyLoadNames() {
  wxBusyCursor busy;
  removal_.copyFrom(load_);
  showRemovalRows();
}

void LegacyFilesPage::loadFiles() {
  if (load_.rows().empty()) return;
  // A file that replaces what the printer runs at start-up, Tessel or a
  // font is loaded only when the user says so; a list made from received
  // files may name them without anyone noticing.
  const auto system = systemNameRows(load_.rows());
  if (!system.empty() &&
      showMessage(this, systemNamesQuestion(system), MessageIcon::Warning, MessageButtons::YesNoDefaultNo) !=
          MessageAnswer::Yes)
    return;
  const bool allowSystemNames = !system.empty();
  runOperation(this, host(), [this, allowSystemNames](const OpContext& context) {
    return loadLegacyFiles(context, load_.rows(), allowSystemNames);
  });
}

void LegacyFilesPage::sendSubmission() {
  const std::string path = fromWx(submission_->path());
  runOperation(this, host(), [&](const OpContext& context) { return sendSubmissionFile(context, path); });
}

void LegacyFilesPage::removeFiles() {
  if (removal_.rows().empty()) return;
  runOperation(this, host(), [this](const OpContext& context) { return removeLegacyFiles(context, removal_.patterns()); });
}
