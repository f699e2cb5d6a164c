// HelpViewer: the program's help book (qmhelp.htb under <root>/docs) shown
// by keyword.
//
// At most one exists; start-up creates it only when the book exists, and
// the Help command and the information buttons do nothing without it. A
// keyword that names an index entry opens that entry's page with the index
// beside it; an empty or unknown keyword opens the index. The window opens
// at a readable size (two thirds of the display, at least 900x650 where the
// display has room), centred, and Escape closes it.
#pragma once

#include <wx/string.h>

#include <memory>

class wxFrame;
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

  wxHtmlHelpController& controller();
  // The help window while it is open; null before the first page was
  // shown and after it was closed.
  wxFrame* frame() const { return frame_; }
  // The page shown last; empty before anything was shown.
  wxString openedPage();

 private:
  bool load();
  // The open window, or a new one holding the controller's help window.
  wxFrame* openFrame();

  wxString bookPath_;
  std::unique_ptr<wxHtmlHelpController> controller_;
  wxFrame* frame_ = nullptr;
  bool loaded_ = false;
  bool loadFailed_ = false;
};
