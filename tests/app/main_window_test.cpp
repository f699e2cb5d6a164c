// The main window: its operation list and pages, the destination choice
// with printers and groups, the status-page box, and what closing it keeps.
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include "app/main_frame.h"
#include "app/operations_panel.h"
#include "app/pages/page_catalogue.h"
#include "app/window_ids.h"
#include "delivery/spooler.h"
#include "gui_harness.h"

namespace {

class MainWindowTest : public AppTest {
 protected:
  MainFrame* openFrame() {
    auto* frame = new MainFrame("Brightway Quaymaster");
    frame->Show();
    pumpUntil([frame] { return frame->IsShownOnScreen(); });
    pump(100);
    return frame;
  }
  static wxButton* findButton(wxWindow* root, int id) {
    return dynamic_cast<wxButton*>(root->FindWindow(id));
  }
};

TEST_F(MainWindowTest, OperationListSwitchesBetweenTheSevenPages) {
  startPrinters();
  writeConfig();
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  wxListCtrl* list = panel->operationList();
  ASSERT_EQ(list->GetItemCount(), kPageCount);
  EXPECT_EQ(list->GetId(), kIdOperationList);
  EXPECT_TRUE(list->HasFlag(wxLC_ICON));
  EXPECT_EQ(panel->currentPage(), 0);
  for (int i = 0; i < kPageCount; ++i) EXPECT_EQ(list->GetItemText(i), pageDescription(i).label);

  for (int i = 0; i < kPageCount; ++i) {
    // The user picks the item; the list reports the selection.
    list->SetItemState(i, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    pump(50);
    EXPECT_EQ(panel->currentPage(), i);
    for (int j = 0; j < kPageCount; ++j) EXPECT_EQ(panel->page(j)->IsShown(), i == j) << "page " << j;
    EXPECT_EQ(panel->page(i)->informationButton()->GetId(), pageDescription(i).infoButtonId);
    EXPECT_EQ(panel->page(i)->informationButton()->GetToolTipText(), pageDescription(i).infoToolTip);
    EXPECT_FALSE(screenshot(frame, "main-window-page-" + std::to_string(i)).empty());
  }
  // Out-of-range selections show the first page.
  panel->selectPage(9);
  EXPECT_EQ(panel->currentPage(), 0);
  EXPECT_TRUE(panel->page(0)->IsShown());
}

TEST_F(MainWindowTest, NoPrinterDisablesEveryActionButtonForTheRun) {
  writeConfig("[printer-groups]\nFloor_2=Tessel_1\n");
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  EXPECT_TRUE(panel->noPrinters());
  EXPECT_EQ(panel->destinationChoice()->GetString(0), kNoPrintersAvailable);
  std::size_t found = 0;
  for (const ActionButton& action : actionButtons()) {
    wxButton* button = findButton(panel->page(action.page), action.id);
    ASSERT_NE(button, nullptr) << action.label;
    EXPECT_EQ(button->GetLabel(), action.label);
    EXPECT_FALSE(button->IsEnabled()) << action.label;
    ++found;
  }
  EXPECT_EQ(found, 10u);
  // Rebuilding the list does not bring them back.
  panel->rebuildDestinations();
  for (const ActionButton& action : actionButtons())
    EXPECT_FALSE(findButton(panel->page(action.page), action.id)->IsEnabled()) << action.label;
}

TEST_F(MainWindowTest, PrintersLeaveActionButtonsEnabled) {
  startPrinters();
  writeConfig();
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  EXPECT_FALSE(panel->noPrinters());
  for (const ActionButton& action : actionButtons())
    EXPECT_TRUE(findButton(panel->page(action.page), action.id)->IsEnabled()) << action.label;
}

TEST_F(MainWindowTest, GroupsFollowPrintersAndLastPrinterMaySelectAGroup) {
  startPrinters();
  // A group named like a printer (in another case) is not listed.
  writeConfig("lastPrinter=Floor_2\n[printer-groups]\nTESSEL_2=Tessel_1\nFloor_2=Tessel_1,Tessel_2\n");
  MainFrame* frame = openFrame();
  wxChoice* choice = frame->operations()->destinationChoice();
  EXPECT_EQ(choice->GetId(), kIdDestination);
  ASSERT_EQ(choice->GetCount(), 3u);
  EXPECT_EQ(choice->GetString(0), "Tessel_1");
  EXPECT_EQ(choice->GetString(1), "Tessel_2");
  EXPECT_EQ(choice->GetString(2), "\\\\\\Floor_2");
  EXPECT_EQ(choice->GetStringSelection(), "\\\\\\Floor_2");
  EXPECT_EQ(frame->operations()->operationContext().destination, "\\\\\\Floor_2");

  // The same after a rebuild, which keeps the selection.
  frame->operations()->rebuildDestinations();
  EXPECT_EQ(choice->GetCount(), 3u);
  EXPECT_EQ(choice->GetStringSelection(), "\\\\\\Floor_2");
}

TEST_F(MainWindowTest, ClosingKeepsDestinationBoxAndSize) {
  startPrinters();
  writeConfig("lastPrinter=tessel_2\nstatusPage=1\nwidth=700\nheight=800\n[printer-groups]\nFloor_2=Tessel_1\n");
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  EXPECT_EQ(panel->destinationText(), "Tessel_2") << "lastPrinter is found without regard to case";
  EXPECT_TRUE(panel->statusPageTicked());
  EXPECT_EQ(frame->GetSize(), wxSize(700, 800));
  EXPECT_EQ(frame->GetMinSize(), wxSize(620, 732));
  EXPECT_EQ(panel->statusPageBox()->GetLabel(), "Print status page.");

  panel->destinationChoice()->SetStringSelection("\\\\\\Floor_2");
  panel->statusPageBox()->SetValue(false);
  frame->Close();
  pumpUntil([] { return wxTopLevelWindows.empty(); });
  EXPECT_EQ(configValue("lastPrinter"), "Floor_2");
  EXPECT_EQ(configValue("statusPage"), "0");
  EXPECT_EQ(configValue("isMaximized"), "0");
  EXPECT_EQ(configValue("width"), "700");
  EXPECT_EQ(configValue("height"), "800");
}

TEST_F(MainWindowTest, ClosingOnThePlaceholderLeavesLastPrinter) {
  writeConfig("lastPrinter=Tessel_9\n");
  MainFrame* frame = openFrame();
  EXPECT_EQ(frame->operations()->destinationText(), kNoPrintersAvailable);
  frame->Close();
  pumpUntil([] { return wxTopLevelWindows.empty(); });
  EXPECT_EQ(configValue("lastPrinter"), "Tessel_9");
}

TEST_F(MainWindowTest, MenusCarryTheirIdsHelpAndAccelerators) {
  writeConfig();
  MainFrame* frame = openFrame();
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(bar->GetMenuLabel(0), "&File");
  EXPECT_EQ(bar->GetMenuLabel(1), "&Options");
  EXPECT_EQ(bar->GetMenuLabel(2), "&Help");
  struct Item {
    int id;
    const char* label;
    const char* help;
  } items[] = {
      {kIdExit, "E&xit\tAlt-X", "Quit"},
      {kIdTesselSettings, "Tessel...", "Choose the Tessel you would like to use"},
      {kIdPrinterGroups, "Printer Groups...", "Create printer groups to work with multiple printers"},
      {kIdHelp, "&Help\tF1", ""},
      {kIdAbout, "&About Brightway Quaymaster", ""},
  };
  for (const Item& item : items) {
    wxMenuItem* menuItem = bar->FindItem(item.id);
    ASSERT_NE(menuItem, nullptr) << item.label;
    EXPECT_EQ(menuItem->GetItemLabel(), item.label);
    EXPECT_EQ(menuItem->GetHelp(), item.help);
  }
  std::unique_ptr<wxAcceleratorEntry> exitKey(bar->FindItem(kIdExit)->GetAccel());
  ASSERT_TRUE(exitKey);
  EXPECT_EQ(exitKey->GetFlags(), wxACCEL_ALT);
  EXPECT_EQ(exitKey->GetKeyCode(), 'X');
  std::unique_ptr<wxAcceleratorEntry> helpKey(bar->FindItem(kIdHelp)->GetAccel());
  ASSERT_TRUE(helpKey);
  EXPECT_EQ(helpKey->GetKeyCode(), WXK_F1);
  EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 1);
}

TEST_F(MainWindowTest, TabWalksFromTheListThroughTheSharedControlsIntoThePage) {
  startPrinters();
  writeConfig();
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  // Keys go to the window under the pointer when no window manager runs.
  clickWithMouse(panel->operationList());
  panel->selectPage(0);
  panel->operationList()->SetFocus();
  pump(50);
  std::vector<wxWindow*> visited;
  wxUIActionSimulator keys;
  for (int i = 0; i < 3; ++i) {
    keys.Char(WXK_TAB);
    pump(60);
    visited.push_back(wxWindow::FindFocus());
  }
  ASSERT_EQ(visited.size(), 3u);
  // The choice's own button has the focus inside it, which the toolkit
  // does not name; the next Tab shows where it was.
  EXPECT_TRUE(visited[0] == panel->destinationChoice() || visited[0] == nullptr);
  EXPECT_EQ(visited[1], panel->statusPageBox());
  ASSERT_NE(visited[2], nullptr);
  EXPECT_EQ(visited[2], panel->page(0)->FindWindow(kIdInstallTessel)) << "then the page's first control";
}

}  // namespace
