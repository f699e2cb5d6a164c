// HelpViewer: the program's help book (qmhelp.htb under <root>/docs) shown
// by keyword.
//
// At most one exists; start-up creates it only when the book exists, and
// the Help command and the information buttons do nothing without it. A
// keyword that names an index entry opens that entry's page with the index
// beside it; an empty or unknown keyword opens the index.
#pragma once

#include <wx/string.h>

#include <memory>

class wxHtmlHelpController;

class HelpViewer {
 public:
  explicit HelpViewer(const wxString& bookPath);
  ~HelpViewer();
  HelpViewer(const HelpViewer&) = delete;
  HelpViewer& operator=(const HelpViewer&) = delete;

  // The viewer of this run, or null.
  static HelpViewer* instance();

  const wxString& bookPath() const { return bookPath_; }
  void showKeyword(const wxString& keyword);

  // The toolkit's controller (its frame exists once something was shown).
  wxHtmlHelpController& controller();
  // The page shown last; empty before anything was shown.
  wxString openedPage();

 private:
  bool load();

  wxString bookPath_;
  std::unique_ptr<wxHtmlHelpController> controller_;
  bool loaded_ = false;
  bool loadFailed_ = false;
};
