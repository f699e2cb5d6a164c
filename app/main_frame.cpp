#include "app/main_frame.h"

#include <wx/display.h>
#include <wx/menu.h>

#include "app/about_box.h"
#include "app/art.h"
#include "app/dialogs/history_dialog.h"
#include "app/dialogs/direct_printers_dialog.h"
#include "app/dialogs/interpreter_dialog.h"
#include "app/dialogs/inventory_window.h"
#include "app/dialogs/printer_groups_dialog.h"
#include "app/help_viewer.h"
#include "app/operations_panel.h"
#include "app/program_texts.h"
#include "app/window_ids.h"
#include "delivery/app_config.h"
#include "krmsdk/krmsdk.h"
#include "ops/desktop_settings.h"

MainFrame::MainFrame(const wxString& title)
    : wxFrame(nullptr, wxID_ANY, title, wxDefaultPosition, wxSize(kMainFrameWidth, kMainFrameHeight)) {
  SetIcons(programIcons());
  pendingMenus_ = buildMenus();
  CreateStatusBar(1);
  panel_ = new OperationsPanel(this);

  const MainWindowSettings settings = readMainWindowSettings();
  if (settings.isMaximized) {
    Maximize(true);
  } else if (settings.size) {
    SetSize(wxSize(static_cast<int>(settings.size->first), static_cast<int>(settings.size->second)));
  }
  SetMinSize(wxSize(kMainFrameWidth, kMainFrameHeight));
  Centre(wxBOTH);
  centreWhenPlaced_ = !settings.isMaximized;
  Bind(wxEVT_SHOW, &MainFrame::onShown, this);
  Bind(wxEVT_MOVE, &MainFrame::onMoved, this);

  Bind(wxEVT_MENU, &MainFrame::onExit, this, kIdExit);
  Bind(wxEVT_MENU, &MainFrame::onTessel, this, kIdTesselSettings);
  Bind(wxEVT_MENU, &MainFrame::onPrinterGroups, this, kIdPrinterGroups);
  Bind(wxEVT_MENU, &MainFrame::onDirectPrinters, this, kIdDirectPrinters);
  Bind(wxEVT_MENU, &MainFrame::onInventory, this, kIdInventory);
  Bind(
      wxEVT_MENU,
      [this](wxCommandEvent&) {
        HistoryDialog dialog(this);
        dialog.ShowModal();
      },
      kIdSendHistory);
  Bind(
      wxEVT_MENU,
      [](wxCommandEvent& event) { AppConfig(kAppName).writeFlag(cfgkey::kConfirmDelete, event.IsChecked()); },
      kIdConfirmDelete);
  Bind(wxEVT_MENU, &MainFrame::onHelp, this, kIdHelp);
  Bind(wxEVT_MENU, &MainFrame::onAbout, this, kIdAbout);
  Bind(wxEVT_CLOSE_WINDOW, &MainFrame::onClose, this);
}

MainFrame::~MainFrame() { delete pendingMenus_; }

wxMenuBar* MainFrame::buildMenus() {
  auto* file = new wxMenu;
  file->Append(kIdExit, _("E&xit\tAlt-X"), _("Quit"));
  auto* options = new wxMenu;
  options->Append(kIdTesselSettings, _("Tessel..."), _("Choose the Tessel you would like to use"));
  options->Append(kIdPrinterGroups, _("Printer Groups..."),
                  _("Create printer groups to work with multiple printers"));
  options->Append(kIdDirectPrinters, _("&Direct Printers..."),
                  _("Name the printers reached on their own port, which answer what they did"));
  options->Append(kIdInventory, _("&Inventory..."),
                  _("Ask the chosen printers what their disks hold: Tessel, files and free space"));
  options->Append(kIdSendHistory, _("Send &History..."), _("See what was sent to which printer, and when"));
  options->AppendSeparator();
  options->AppendCheckItem(kIdConfirmDelete, _("&Confirm Before Deleting Files"),
                           _("Ask before Delete Files removes anything from the printers"));
  auto* help = new wxMenu;
  help->Append(kIdHelp, _("&Help\tF1"));
  help->AppendSeparator();
  help->Append(kIdAbout, wxString::Format(_("&About %s"), fullName()));
  auto* bar = new wxMenuBar;
  bar->Append(file, _("&File"));
  bar->Append(options, _("&Options"));
  bar->Append(help, _("&Help"));
  bool confirmDelete = false;
  AppConfig(kAppName).readFlag(cfgkey::kConfirmDelete, confirmDelete);
  options->Check(kIdConfirmDelete, confirmDelete);
  return bar;
}

void MainFrame::onShown(wxShowEvent& event) {
  event.Skip();
  if (!event.IsShown()) return;
  // Under a window manager the toolkit lays the window out once at a width
  // of two pixels while it waits for the frame's size, and a menu bar there
  // has less room than its menus need; attached now, it never has.
  if (pendingMenus_ != nullptr) {
    SetMenuBar(pendingMenus_);
    pendingMenus_ = nullptr;
  }
  if (shownAt_ == std::chrono::steady_clock::time_point()) shownAt_ = std::chrono::steady_clock::now();
}

void MainFrame::onMoved(wxMoveEvent& event) {
  event.Skip();
  // A window manager places a new window by its own rule, not where the
  // program asked, around the time it is shown (its word may come before
  // the toolkit reports the window shown). Later moves are the user's.
  if (!centreWhenPlaced_ || !IsShown()) return;
  const bool late = shownAt_ != std::chrono::steady_clock::time_point() &&
                    std::chrono::steady_clock::now() - shownAt_ > std::chrono::seconds(2);
  if (late || IsMaximized()) {
    centreWhenPlaced_ = false;
    return;
  }
  CallAfter([this] { centreNow(); });
}

void MainFrame::centreNow() {
  const int display = wxDisplay::GetFromWindow(this);
  const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
  const wxPoint middle = area.GetPosition() + (area.GetSize() - GetSize()) / 2;
  if (GetPosition() == middle) return;
  // The toolkit only passes a move on when it changes the position it
  // remembers, which may be this one already.
  Move(middle + wxPoint(1, 0));
  Move(middle);
}

void MainFrame::onExit(wxCommandEvent&) {
  krmFinished();
  Close();
}

void MainFrame::onTessel(wxCommandEvent&) {
  InterpreterDialog dialog(this);
  dialog.ShowModal();
}

void MainFrame::onPrinterGroups(wxCommandEvent&) {
  {
    PrinterGroupsDialog dialog(this, panel_->printersBeyondLocal());
    dialog.ShowModal();
  }
  panel_->rebuildDestinations();
}

void MainFrame::onDirectPrinters(wxCommandEvent&) {
  int answer = wxID_CANCEL;
  {
    DirectPrintersDialog dialog(this);
    answer = dialog.ShowModal();
  }
  if (answer == wxID_OK) panel_->rebuildDestinations();
}

void MainFrame::onInventory(wxCommandEvent&) {
  // Its own window, not modal: the printers may be slow to answer.
  auto* window = new InventoryWindow(this, panel_->operationContext());
  window->Show();
}

void MainFrame::onHelp(wxCommandEvent&) {
  if (HelpViewer* viewer = HelpViewer::instance()) viewer->showKeyword(wxString());
}

void MainFrame::onAbout(wxCommandEvent&) {
  AboutBox box(this);
  box.ShowModal();
}

void MainFrame::onClose(wxCloseEvent&) {
  ClosingWindowState state;
  state.destination = fromWx(panel_->destinationText());
  state.statusPage = panel_->statusPageTicked();
  state.isMaximized = IsMaximized();
  const wxSize size = GetSize();
  state.width = size.x;
  state.height = size.y;
  saveMainWindowSettings(state);
  krmFinished();
  Destroy();
}
