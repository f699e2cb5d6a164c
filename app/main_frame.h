// MainFrame: the program's window. Menus (File, Options, Help), a one-field
// status bar and the operations panel. Its size comes from the settings of
// the last run; closing it, however caused, stores the destination, the
// status-page box and the window's state and size, and finishes the job
// library. Without a remembered maximised state it opens centred on the
// screen.
#pragma once

#include <wx/frame.h>

#include <chrono>

class OperationsPanel;

inline constexpr int kMainFrameWidth = 620;
inline constexpr int kMainFrameHeight = 732;

class MainFrame : public wxFrame {
 public:
  explicit MainFrame(const wxString& title);
  ~MainFrame() override;

  OperationsPanel* operations() const { return panel_; }

 private:
  // The menu bar, attached once the window is on screen.
  wxMenuBar* buildMenus();
  void onShown(wxShowEvent& event);
  void onMoved(wxMoveEvent& event);
  void onExit(wxCommandEvent& event);
  void onTessel(wxCommandEvent& event);
  void onPrinterGroups(wxCommandEvent& event);
  void onDirectPrinters(wxCommandEvent& event);
  void onInventory(wxCommandEvent& event);
  void onHelp(wxCommandEvent& event);
  void onAbout(wxCommandEvent& event);
  void onClose(wxCloseEvent& event);

  OperationsPanel* panel_ = nullptr;
  wxMenuBar* pendingMenus_ = nullptr;
  // For a short while after it is shown, wherever the window manager puts
  // the window, it moves back to the screen's middle.
  bool centreWhenPlaced_ = false;
  std::chrono::steady_clock::time_point shownAt_;
  void centreNow();
};
