// The folder and project name fields of the Delete Files and List Printer
// Files pages: two labelled text fields, enabled together.
#pragma once

#include <string>

class wxSizer;
class wxStaticText;
class wxTextCtrl;
class wxWindow;

class ProjectNameFields {
 public:
  // Creates the labels and fields, disabled, as children of parent.
  explicit ProjectNameFields(wxWindow* parent);

  void addTo(wxSizer* column, int gap) const;
  void enable(bool on);

  std::string folder() const;
  std::string project() const;
  wxTextCtrl* folderField() const { return folder_; }
  wxTextCtrl* projectField() const { return project_; }

 private:
  wxStaticText* folderLabel_ = nullptr;
  wxTextCtrl* folder_ = nullptr;
  wxStaticText* projectLabel_ = nullptr;
  wxTextCtrl* project_ = nullptr;
};
