// The send history window over a history of its own: rows newest first,
// names with control characters escaped, sorting by a heading's click,
// the filters, the details of a send, Refresh States; and a history that
// is damaged or cannot be opened at all.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>

#include "app/dialogs/history_dialog.h"
#include "app/window_ids.h"
#include "delivery/send_job.h"
#include "gui_harness.h"

namespace fs = std::filesystem;

namespace {

class HistoryDialogTest : public AppTest {
 protected:
  // Three sends a minute apart: a listing to one printer, a load to a group
  // with a member of a hostile name that failed, a cancelled delete.
  void writeHistory() {
    fs::create_directories(dataDir());
    SendHistory history;
    ASSERT_TRUE(history.usable()) << history.warning();
    const std::int64_t t0 = *historyTimeFromText("2026-12-09T10:00");
    auto send = [&](const std::string& operation, const std::string& destination, std::int64_t at,
                    std::vector<HistoryMember> members) {
      HistorySend s;
      s.operation = operation;
      s.destination = destination;
      s.bytes = 1234;
      s.sha256 = std::string(64, 'a');
      s.started = at;
      s.ended = at + 2;
      s.members = std::move(members);
      ASSERT_NE(history.record(s), 0) << history.warning();
    };
    send("List Fonts", "Tessel_1", t0, {{"Tessel_1", "", 7, MemberOutcome::Sent, "", "completed"}});
    send("Load Project", std::string(kGroupMarker) + "Floor_2", t0 + 60,
         {{"Tessel_1", "", 8, MemberOutcome::Sent, "", ""},
          {"Bad\x1b[2JName", "", 0, MemberOutcome::Failed, "not accepting jobs", ""}});
    send("Delete Files", "Tessel_2", t0 + 120, {{"Tessel_2", "", 0, MemberOutcome::Cancelled, "", ""}});
  }

  static std::vector<wxString> column(wxListCtrl* list, int col) {
    std::vector<wxString> cells;
    for (long row = 0; row < list->GetItemCount(); ++row) cells.push_back(list->GetItemText(row, col));
    return cells;
  }
  static void clickHeading(wxListCtrl* list, int col) {
    wxListEvent event(wxEVT_LIST_COL_CLICK, list->GetId());
    event.SetColumn(col);
    event.SetEventObject(list);
    list->ProcessWindowEvent(event);
  }
  static void chooseOutcome(wxChoice* choice, int index) {
    choice->SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(index);
    event.SetEventObject(choice);
    choice->ProcessWindowEvent(event);
  }

  // The harness's QUAYMASTER_DATA_DIR.
  std::string dataDir() const { return scratch_ + "/data"; }
};

using Cells = std::vector<wxString>;

TEST_F(HistoryDialogTest, ShowsSortsFiltersAndOpensTheDetailsOfASend) {
  writeHistory();
  ::runModal<HistoryDialog>([&](HistoryDialog& dialog) {
    wxListCtrl* list = dialog.list();
    EXPECT_FALSE(dialog.statusLine()->IsShown());
    EXPECT_EQ(column(list, HistoryDialog::kTime),
              (Cells{"2026-12-09T10:02:00Z", "2026-12-09T10:01:00Z", "2026-12-09T10:01:00Z", "2026-12-09T10:00:00Z"}));
    EXPECT_EQ(column(list, HistoryDialog::kMember), (Cells{"Tessel_2", "Tessel_1", "Bad\\x1b[2JName", "Tessel_1"}));
    EXPECT_EQ(column(list, HistoryDialog::kDestination), (Cells{"Tessel_2", "Floor_2 (group)", "Floor_2 (group)", "Tessel_1"}));
    EXPECT_EQ(column(list, HistoryDialog::kOutcome), (Cells{"cancelled", "sent", "failed", "sent"}));
    EXPECT_EQ(column(list, HistoryDialog::kJob), (Cells{"", "8", "", "7"}));
    EXPECT_EQ(column(list, HistoryDialog::kState), (Cells{"", "", "", "completed"}));
    screenshot(&dialog, "send-history-dialog");

    // A heading's click sorts by it; a second one turns the order round.
    clickHeading(list, HistoryDialog::kJob);
    EXPECT_EQ(column(list, HistoryDialog::kJob), (Cells{"", "", "7", "8"}));
    clickHeading(list, HistoryDialog::kJob);
    EXPECT_EQ(column(list, HistoryDialog::kJob), (Cells{"8", "7", "", ""}));
    clickHeading(list, HistoryDialog::kOperation);
    EXPECT_EQ(column(list, HistoryDialog::kOperation),
              (Cells{"Delete Files", "List Fonts", "Load Project", "Load Project"}));

    // The filters narrow the rows down together.
    chooseOutcome(dialog.outcomeFilter(), 1);
    EXPECT_EQ(column(list, HistoryDialog::kMember), (Cells{"Tessel_1", "Tessel_1"}));
    dialog.operationFilter()->SetValue("load");
    EXPECT_EQ(column(list, HistoryDialog::kJob), (Cells{"8"}));
    dialog.operationFilter()->SetValue("");
    chooseOutcome(dialog.outcomeFilter(), 2);
    EXPECT_EQ(column(list, HistoryDialog::kMember), (Cells{"Bad\\x1b[2JName"}));
    dialog.printerFilter()->SetValue("tessel");
    EXPECT_EQ(list->GetItemCount(), 0);
    chooseOutcome(dialog.outcomeFilter(), 0);
    EXPECT_EQ(column(list, HistoryDialog::kMember), (Cells{"Tessel_2", "Tessel_1", "Tessel_1"}));

    // The details of the group send, with both of its printers.
    dialog.printerFilter()->SetValue("bad");
    EXPECT_FALSE(dialog.detailsButton()->IsEnabled());
    list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    pump();
    ASSERT_TRUE(dialog.detailsButton()->IsEnabled());
    whenDialogShown([&](wxTopLevelWindow* details) {
      auto* facts = dynamic_cast<wxListCtrl*>(details->FindWindow(kIdHistorySendFacts));
      auto* members = dynamic_cast<wxListCtrl*>(details->FindWindow(kIdHistoryMembers));
      ASSERT_TRUE(facts && members);
      EXPECT_EQ(column(facts, 1), (Cells{"Load Project", "Floor_2 (group)", "1234", wxString(64, 'a'),
                                         "2026-12-09T10:01:00Z", "2026-12-09T10:01:02Z"}));
      EXPECT_EQ(column(members, 0), (Cells{"Tessel_1", "Bad\\x1b[2JName"}));
      EXPECT_EQ(column(members, 4), (Cells{"", "not accepting jobs"}));
      screenshot(details, "send-history-details");
      static_cast<wxDialog*>(details)->EndModal(wxID_CANCEL);
    });
    pressButton(dialog.detailsButton());

    // No scheduler answers: nothing learnt, and the list stays.
    dialog.refreshStates();
    EXPECT_EQ(dialog.statusLine()->GetLabel(), "0 jobs brought up to date.");
    EXPECT_EQ(list->GetItemCount(), 1);
  });
}

TEST_F(HistoryDialogTest, AHistoryThatCannotBeReadSaysWhy) {
  struct Case {
    const char* what;
    bool dataDirIsAFile;  // else the history file holds garbage
    const char* says;
    bool listShown;
  };
  for (const Case& c : {Case{"damaged file", false, "was damaged; it was kept as", true},
                        Case{"no folder", true, "is not kept", false}}) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dataDir());
    if (c.dataDirIsAFile) {
      std::ofstream(dataDir()) << "x";
    } else {
      fs::create_directories(dataDir());
      std::ofstream(dataDir() + "/history.sqlite") << std::string(4096, 'g');
    }
    ::runModal<HistoryDialog>([&](HistoryDialog& dialog) {
      EXPECT_TRUE(dialog.statusLine()->IsShown());
      wxString says = dialog.statusLine()->GetLabelText();
      says.Replace("\n", " ");  // wrapped to the window's width
      EXPECT_NE(says.Find(c.says), wxNOT_FOUND) << says;
      EXPECT_EQ(dialog.list()->IsShown(), c.listShown);
      EXPECT_EQ(dialog.refreshButton()->IsEnabled(), c.listShown);
      if (!c.listShown) screenshot(&dialog, "send-history-unusable");
    });
  }
}

}  // namespace
