// PathField: a prompt line above a text field and a "Browse..." button, the
// way every page and dialog asks for a file or a folder.
//
// Browse opens a folder or file chooser that starts where the configuration
// key says (the last folder, or the folder of the last file when the field
// remembers the file) and stores the new choice under that key at once.
// A chosen path, Enter in a non-empty field, leaving the field after typing
// a new path, and a dropped file (the first of several) each post a PathChanged command event carrying the field's id,
// so the page can react to the new path.
#pragma once

#include <wx/event.h>
#include <wx/panel.h>

#include <string>

class wxButton;
class wxTextCtrl;

wxDECLARE_EVENT(PathChanged, wxCommandEvent);

enum class PathKind { File, Folder };

class PathField : public wxPanel {
 public:
  PathField(wxWindow* parent, wxWindowID id, const wxString& prompt, const wxString& initialText,
            const std::string& configKey, const wxString& dialogTitle, const wxString& filter, PathKind kind,
            bool remembersFile = false);

  wxString path() const;
  void setPath(const wxString& path);

  wxTextCtrl* textField() const { return text_; }
  wxButton* browseButton() const { return browse_; }

  // What the Browse button and a drop of files do.
  void browse();
  void dropFiles(const wxArrayString& files);

 private:
  void postChanged();

  wxTextCtrl* text_ = nullptr;
  wxButton* browse_ = nullptr;
  std::string configKey_;
  wxString dialogTitle_;
  wxString filter_;
  PathKind kind_;
  bool remembersFile_;
  wxString announced_;  // the path the last PathChanged carried, or set
};
