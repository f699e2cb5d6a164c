#include "app/path_field.h"

#include <wx/button.h>
#include <wx/dnd.h>
#include <wx/filename.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"

wxDEFINE_EVENT(PathChanged, wxCommandEvent);

namespace {

class PathDropTarget : public wxFileDropTarget {
 public:
  explicit PathDropTarget(PathField& field) : field_(field) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
    field_.dropFiles(files);
    return !files.empty();
  }

 private:
  PathField& field_;
};

}  // namespace

PathField::PathField(wxWindow* parent, wxWindowID id, const wxString& prompt, const wxString& initialText,
                     const std::string& configKey, const wxString& dialogTitle, const wxString& filter,
                     PathKind kind, bool remembersFile)
    : wxPanel(parent, id),
      configKey_(configKey),
      dialogTitle_(dialogTitle),
      filter_(filter),
      kind_(kind),
      remembersFile_(remembersFile) {
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, prompt), 0, wxBOTTOM, FromDIP(3));
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  text_ = new wxTextCtrl(this, kIdPathText, initialText, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  browse_ = new wxButton(this, kIdPathBrowse, _("&Browse..."));
  row->Add(text_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(4));
  row->Add(browse_, 0, wxALIGN_CENTER_VERTICAL);
  column->Add(row, 0, wxEXPAND);
  SetSizer(column);

  // Both the panel and the text field take drops; the text field would
  // otherwise insert a dropped file's name as text.
  SetDropTarget(new PathDropTarget(*this));
  text_->SetDropTarget(new PathDropTarget(*this));

  text_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) {
    if (!path().empty()) postChanged();
  });
  // A path typed and left with Tab or a click counts as much as Enter.
  text_->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
    event.Skip();
    if (!path().empty() && path() != announced_) postChanged();
  });
  browse_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { browse(); });
}

wxString PathField::path() const { return text_->GetValue(); }

void PathField::setPath(const wxString& path) {
  text_->ChangeValue(path);
  announced_ = path;
}

void PathField::postChanged() {
  announced_ = path();
  auto* event = new wxCommandEvent(PathChanged, GetId());
  event->SetEventObject(this);
  event->SetString(path());
  wxQueueEvent(this, event);
}

void PathField::browse() {
  std::string stored;
  AppConfig(kAppName).readText(configKey_, stored);
  const wxString remembered = toWx(stored);

  if (kind_ == PathKind::Folder) {
    std::optional<wxString> folder = chooseFolder(this, dialogTitle_, remembered);
    if (!folder) return;
    setPath(*folder);
    AppConfig(kAppName).writeText(configKey_, fromWx(*folder));
    postChanged();
    return;
  }

  wxString startFolder = remembered;
  if (remembersFile_ && !remembered.empty()) startFolder = wxFileName(remembered).GetPath();
  std::optional<wxString> file = chooseFile(this, dialogTitle_, startFolder, filter_);
  if (!file) return;
  setPath(*file);
  const wxString keep = remembersFile_ ? *file : wxFileName(*file).GetPath();
  AppConfig(kAppName).writeText(configKey_, fromWx(keep));
  postChanged();
}

void PathField::dropFiles(const wxArrayString& files) {
  if (files.empty()) return;
  setPath(files[0]);
  postChanged();
}
