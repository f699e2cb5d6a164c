// MainFrame: the program's window. Menus (File, Options, Help), a one-field
// status bar and the operations panel. Its size comes from the settings of
// the last run; closing it, however caused, stores the destination, the
// status-page box and the window's state and size, and finishes the job
// library.
#pragma once

#include <wx/frame.h>

class OperationsPanel;

inline constexpr int kMainFrameWidth = 620;
inline constexpr int kMainFrameHeight = 732;

class MainFrame : public wxFrame {
 public:
  explicit MainFrame(const wxString& title);

  OperationsPanel* operations() const { return panel_; }

 private:
  void buildMenus();
  void onExit(wxCommandEvent& event);
  void onTessel(wxCommandEvent& event);
  void onPrinterGroups(wxCommandEvent& event);
  void onHelp(wxCommandEvent& event);
  void onAbout(wxCommandEvent& event);
  void onClose(wxCloseEvent& event);

  OperationsPanel* panel_ = nullptr;
};
