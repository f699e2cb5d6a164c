// AboutBox: the program's name, version and notice, the Tessel in use and
// the versions of the libraries it runs with, and an OK button.
#pragma once

#include <wx/dialog.h>

class wxStaticText;

class AboutBox : public wxDialog {
 public:
  explicit AboutBox(wxWindow* parent);
  wxString text() const;

 private:
  wxStaticText* text_ = nullptr;
};

// The toolkit line of the box, e.g. "wxWidgets 3.2.2".
wxString toolkitVersionLine();
