// The main window: its operation list and pages, the destination choice
// with printers and groups, the status-page box, and what closing it keeps.
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/odcombo.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include "app/destination_choice.h"
#include "app/job_results.h"
#include "app/main_frame.h"
#include "app/operations_panel.h"
#include "app/pages/operation_page.h"
#include "app/pages/page_catalogue.h"
#include "app/window_ids.h"
#include "delivery/send_history.h"
#include "delivery/spooler.h"
#include "gui_harness.h"
#include "krmsdk/krmsdk.h"
#include "ops/operations.h"
#include "tools/cups/private_cups.h"

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
  EXPECT_TRUE(frame->GetStatusBar()->GetStatusText().StartsWith("The print scheduler does not answer: cannot reach"))
      << frame->GetStatusBar()->GetStatusText();
  std::size_t found = 0;
  for (const ActionButton& action : actionButtons()) {
    wxButton* button = findButton(panel->page(action.page), action.id);
    ASSERT_NE(button, nullptr) << action.label;
    EXPECT_EQ(button->GetLabelText(), action.label);
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
  auto* choice = frame->operations()->destinationChoice();
  EXPECT_EQ(choice->GetId(), kIdDestination);
  ASSERT_EQ(choice->GetCount(), 3u);
  EXPECT_EQ(choice->GetString(0), "Tessel_1");
  EXPECT_EQ(choice->GetString(1), "Tessel_2");
  EXPECT_EQ(choice->GetString(2), "\\\\\\Floor_2");
  EXPECT_EQ(frame->operations()->destinationText(), "\\\\\\Floor_2");
  EXPECT_EQ(frame->operations()->operationContext().destination, "\\\\\\Floor_2");

  // The same after a rebuild, which keeps the selection.
  frame->operations()->rebuildDestinations();
  EXPECT_EQ(choice->GetCount(), 3u);
  EXPECT_EQ(frame->operations()->destinationText(), "\\\\\\Floor_2");
}

TEST_F(MainWindowTest, PrintersOfAServerThatDoesNotAnswerAreMarkedAndSentToByTheirName) {
  startPrinters();
  const std::string server = "127.0.0.1:" + std::to_string(freeLoopbackPort());
  writeConfig("[print-servers]\nservers=" + server + "\n[printer-groups]\nFar=Far_1@" + server + ",Tessel_1\n");
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  DestinationChoice* choice = panel->destinationChoice();
  const wxString far = "Far_1@" + server;
  ASSERT_EQ(choice->GetCount(), 4u);
  EXPECT_EQ(choice->GetString(2), far);  // after the local printers, before the groups
  EXPECT_TRUE(choice->isUnavailable(far));
  EXPECT_FALSE(choice->isUnavailable("Tessel_1"));
  EXPECT_EQ(choice->shownText(far), far + "  (unavailable)");
  EXPECT_EQ(choice->shownText("Tessel_1"), "Tessel_1");
  EXPECT_NE(frame->GetStatusBar()->GetStatusText().Find("The print server " + server + " is unavailable"), wxNOT_FOUND)
      << frame->GetStatusBar()->GetStatusText();
  ASSERT_TRUE(choice->selectEntry(far));
  EXPECT_EQ(panel->destinationText(), far);
  EXPECT_EQ(panel->operationContext().destination, far.ToStdString());
  pump(50);
  EXPECT_FALSE(screenshot(frame, "destination-unavailable").empty());
  // Drawn with the mark, closed and open.
  choice->Popup();
  pump(100);
  choice->Dismiss();
  pump(50);
  EXPECT_EQ(panel->destinationText(), far);
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
  EXPECT_EQ(panel->statusPageBox()->GetLabelText(), "Print status page.");

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
      {kIdSendHistory, "Send &History...", "See what was sent to which printer, and when"},
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
  EXPECT_EQ(visited[2], panel->page(0)->FindWindow(kIdAutoStart)) << "then the page's first control";
}

// True when the keyboard focus is in the window or one of its children
// (the combo box's parts take it in its stead).
bool focusIn(wxWindow* window) {
  for (wxWindow* w = wxWindow::FindFocus(); w != nullptr; w = w->GetParent())
    if (w == window) return true;
  return false;
}

TEST_F(MainWindowTest, DestinationByKeyboardInNumberOrderNarrowedByTyping) {
  std::vector<std::string> queues;
  for (int i = 203; i >= 1; --i) queues.push_back("Q" + std::to_string(i));
  startPrinters(queues);
  writeConfig("lastPrinter=Tessel_1\n[printer-groups]\nFloor_2=Tessel_1,Q2\n");
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  DestinationChoice* choice = panel->destinationChoice();
  ASSERT_EQ(choice->GetCount(), 206u) << "205 printers, then the group";
  EXPECT_EQ(choice->GetString(0), "Q1");
  EXPECT_EQ(choice->GetString(1), "Q2");
  EXPECT_EQ(choice->GetString(9), "Q10");
  EXPECT_EQ(choice->GetString(202), "Q203");
  EXPECT_EQ(choice->GetString(203), "Tessel_1");
  EXPECT_EQ(choice->GetString(205), "\\\\\\Floor_2");
  EXPECT_EQ(panel->destinationText(), "Tessel_1");

  clickWithMouse(panel->operationList());
  panel->operationList()->SetFocus();
  pump(50);
  wxUIActionSimulator keys;
  // Tab stops at the destination on its way round the window.
  bool reached = false;
  for (int i = 0; i < 12 && !reached; ++i) {
    keys.Char(WXK_TAB);
    pump(60);
    reached = focusIn(choice);
  }
  EXPECT_TRUE(reached) << "Tab never stopped at Destination";

  // Alt+D from anywhere, then typing narrows the list.
  panel->statusPageBox()->SetFocus();
  pump(50);
  keys.Char('d', wxMOD_ALT);
  pump(60);
  ASSERT_TRUE(focusIn(choice)) << "Alt+D";
  keys.Text("q10");
  pump(100);
  EXPECT_EQ(choice->filter(), "q10");
  ASSERT_EQ(choice->GetCount(), 11u) << "Q10 and Q100 to Q109";
  EXPECT_EQ(panel->destinationText(), "Q10");
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(), "Destinations holding \"q10\": 11 of 206");
  EXPECT_FALSE(screenshot(frame, "destination-narrowed").empty());
  keys.Char(WXK_BACK);
  pump(60);
  EXPECT_EQ(choice->GetCount(), 111u) << "every entry holding q1";
  keys.Char('x');  // nothing holds "q1x": the list stays
  pump(60);
  EXPECT_EQ(choice->filter(), "q1");
  // Leaving the control shows every entry again, keeping the choice.
  panel->statusPageBox()->SetFocus();
  pump(60);
  EXPECT_EQ(choice->GetCount(), 206u);
  EXPECT_EQ(panel->destinationText(), "Q10");
}

TEST_F(MainWindowTest, AVanishedLastPrinterSelectsNothingAndSaysSo) {
  startPrinters();
  writeConfig("lastPrinter=Gone_1\n");
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  EXPECT_EQ(panel->destinationText(), "");
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(),
            "The destination used last, Gone_1, is no longer available: choose a destination.");
  // An operation started now asks for a destination instead of guessing.
  panel->selectPage(0);
  pressButton(panel->page(0)->FindWindow(kIdInstallTessel));
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages()[0].text, "Choose a destination first.");
}

TEST_F(MainWindowTest, MaximisedStateIsKeptAndRestored) {
  WindowManager manager;
  if (!manager.running()) GTEST_SKIP() << "maximising needs a window manager (openbox)";
  writeConfig("isMaximized=1\n");
  MainFrame* frame = openFrame();
  EXPECT_TRUE(pumpUntil([frame] { return frame->IsMaximized(); }, 5000));
  pump(200);
  const wxSize maximised = frame->GetSize();
  EXPECT_GT(maximised.x, 620);
  EXPECT_GT(maximised.y, 732);
  screenshot(frame, "main-window-maximised");
  frame->Close();
  pumpUntil([] { return wxTopLevelWindows.empty(); });
  EXPECT_EQ(configValue("isMaximized"), "1");
  EXPECT_EQ(configValue("width"), std::to_string(maximised.x));
  EXPECT_EQ(configValue("height"), std::to_string(maximised.y));

  MainFrame* again = openFrame();
  EXPECT_TRUE(pumpUntil([again] { return again->IsMaximized(); }, 5000)) << "the next start maximises again";
}

TEST_F(MainWindowTest, OutcomesReachStatusLineAndMessageBox) {
  startPrinters();
  writeConfig("[printer-groups]\nFloor_2=Tessel_1,Gone_Printer\n");
  MainFrame* frame = openFrame();
  OperationsPanel* panel = frame->operations();
  ASSERT_EQ(krmInitialize(), 1001);

  // A list job to a printer, from the panel's own context.
  panel->destinationChoice()->SetStringSelection("Tessel_2");
  OpResult sent = listPrinterFiles(panel->operationContext(), ListChoice{});
  ASSERT_EQ(sent.kind, OpResult::Kind::Sent) << sent.message;
  panel->reportResult(sent);
  // Spooled is not done: the result line once the printer has finished.
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "[List Files]: spooled, waiting for the printer");
  ASSERT_TRUE(pumpUntil([panel] { return !panel->jobResults()->following(); }, 60000));
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "[List Files] completed successfully");
  EXPECT_EQ(panel->jobResults()->stateOf("Tessel_2"), "completed");
  EXPECT_TRUE(user_.messages().empty());
  {
    // The follower kept the final state with the send.
    SendHistory history;
    HistoryFilter only;
    only.id = sent.historyId;
    const std::vector<HistorySend> kept = history.query(only);
    ASSERT_EQ(kept.size(), 1u) << history.warning();
    EXPECT_EQ(kept[0].members.at(0).jobState, "completed");
  }

  // To a group with a member that is not installed: the failure message.
  panel->destinationChoice()->SetStringSelection("\\\\\\Floor_2");
  OpResult partly = listPrinterFiles(panel->operationContext(), ListChoice{});
  ASSERT_EQ(partly.kind, OpResult::Kind::SendFailed);
  panel->reportResult(partly);
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "");
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages()[0].text,
            "Quaymaster cannot send the job to the printer(s).\n\nGone_Printer: not an installed printer that takes "
            "raw PostScript\n\nThe job was sent to: Tessel_1");
  EXPECT_TRUE(panel->jobResults()->stateOf("Gone_Printer").StartsWith("not sent"));
  EXPECT_EQ(user_.messages()[0].caption, "Quaymaster");
  EXPECT_EQ(user_.messages()[0].icon, MessageIcon::Error);

  // A failed job: status cleared, the library's message.
  panel->setStatusText("busy");
  OpResult failed;
  failed.kind = OpResult::Kind::JobFailed;
  failed.message = "Quaymaster cannot open the project.";
  panel->reportResult(failed);
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "");
  EXPECT_EQ(user_.messages().back().text, "Quaymaster cannot open the project.");
}

}  // namespace
