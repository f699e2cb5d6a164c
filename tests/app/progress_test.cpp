// The progress window of long work: it appears while a job is written or a
// container is opened, and its Cancel stops the work with nothing sent,
// no message and no file left behind.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/progdlg.h>

#include <filesystem>
#include <set>

#include "app/dialogs/send_progress_dialog.h"
#include "app/job_results.h"
#include "app/operations_panel.h"
#include "app/pages/legacy_files_page.h"
#include "app/pages/load_project_page.h"
#include "app/pages/operation_progress.h"
#include "app/pages/resource_tree.h"
#include "app/pages/send_container_page.h"
#include "app/pages/submission_field.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "page_fixture.h"

namespace {

class ProgressTest : public PageTest {
 protected:
  // Presses Cancel at the n-th update of the progress window.
  std::unique_ptr<ProgressWatch> cancelAt(int n) {
    return std::make_unique<ProgressWatch>([this, n](wxGenericProgressDialog& dialog) {
      if (++updates_ == 1) screenshot(&dialog, "dialog-progress");
      if (updates_ != n) return;
      wxWindow* cancel = dialog.FindWindow(wxID_CANCEL);
      ASSERT_NE(cancel, nullptr);
      pressButton(cancel);
    });
  }
  bool leftovers() const {
    std::error_code ec;
    return !nothingUnpacked() || !std::filesystem::is_empty(scratch_ + "/tmp", ec);
  }
  int updates_ = 0;
};

TEST_F(ProgressTest, CancelledLoadSendsNothing) {
  openWithPrinters(1);
  chooseDestination("Tessel_1");
  auto* page = this->page<LoadProjectPage>(1);
  page->projectField()->setPath(sampleKpf());
  auto watch = cancelAt(1);
  frame_->SetStatusText("before");
  pressButton(page->FindWindow(kIdLoadProject));
  EXPECT_GE(updates_, 1) << "the progress window was shown";
  EXPECT_TRUE(user_.messages().empty()) << "a cancelled job is no failure";
  EXPECT_EQ(statusText(), "Cancelled: nothing was sent.");
  waitIdle();
  EXPECT_TRUE(diskFiles(1).empty()) << "nothing reached the printer";
  EXPECT_FALSE(leftovers());

  // Without Cancel the same job goes through, its window closed after it.
  watch.reset();
  watch = cancelAt(0);
  pressButton(page->FindWindow(kIdLoadProject));
  EXPECT_EQ(statusText(), "[Load Project Resources] Invoice.kpf completed successfully");
  waitIdle();
  EXPECT_TRUE(diskHas(1, "tqfc/Demo/Invoice/invoice.frm"));
  for (wxWindow* window : wxTopLevelWindows) EXPECT_EQ(dynamic_cast<wxGenericProgressDialog*>(window), nullptr);
}

TEST_F(ProgressTest, CancelDuringTheHandOverCancelsTheSpoolersJob) {
  // Big enough that the spooler takes it over several updates.
  std::string big(64 << 20, 'x');
  const std::string file = scratchFile("big.frm", big);
  big.clear();
  openWithPrinters(5);
  chooseDestination("Tessel_1");
  auto* page = this->page<LegacyFilesPage>(5);
  wxArrayString paths;
  paths.Add(wxString::FromUTF8(file));
  page->addLoadPaths(paths);
  wxString sending;
  ProgressWatch watch([&](wxGenericProgressDialog& dialog) {
    if (!sending.empty() || !dialog.GetMessage().Contains(" MB of ")) return;
    sending = dialog.GetMessage();
    screenshot(&dialog, "dialog-progress-sending");
    pressButton(dialog.FindWindow(wxID_CANCEL));
  });
  pressButton(panel()->FindWindow(kIdLoadLegacyFiles));
  EXPECT_TRUE(sending.StartsWith("Sending the job: Tessel_1 (")) << sending;
  EXPECT_EQ(statusText(), "Cancelled: nothing was sent.");
  EXPECT_TRUE(user_.messages().empty());
  waitIdle();
  EXPECT_TRUE(diskFiles(1).empty()) << "nothing reached the printer";
  EXPECT_EQ(temporaryJobFiles(), 0);
}

TEST_F(ProgressTest, CancelledOpeningOfAContainerLeavesTheTreeEmpty) {
  const std::string kpc = scratch_ + "/Invoice.kpc";
  ASSERT_TRUE(writeContainer(stub_, sampleKpf(), kpc));
  openWithoutPrinters(2, "includeLUS=1\n");
  auto watch = cancelAt(1);
  auto* load = page<LoadProjectPage>(1);
  load->projectField()->setPath(kpc);
  load->reloadTree();
  EXPECT_GE(updates_, 1);
  EXPECT_TRUE(load->tree()->topItems().empty());
  EXPECT_TRUE(user_.messages().empty());
  EXPECT_FALSE(leftovers());

  // The submission list of the Send Container page, and the container job.
  auto* send = page<SendContainerPage>(2);
  send->projectField()->setPath(kpc);
  updates_ = 0;
  send->fillSubmissions();
  EXPECT_EQ(send->submissionField()->choiceList()->GetCount(), 0u);
  watch.reset();
  watch = cancelAt(0);
  send->fillSubmissions();
  ASSERT_EQ(send->submissionField()->choiceList()->GetCount(), 2u);
  send->submissionField()->choiceList()->SetSelection(1);
  watch.reset();
  watch = cancelAt(2);
  updates_ = 0;
  send->send();
  EXPECT_GE(updates_, 2);
  EXPECT_TRUE(user_.messages().empty());
  EXPECT_FALSE(leftovers());
}

TEST_F(ProgressTest, GroupSendListsItsMembersAndSendsAgainToTheOneItMissed) {
  std::string big(8 << 20, 'x');
  const std::string file = scratchFile("forms.frm", big);
  big.clear();
  openWithPrinters(5);
  std::string out;
  ASSERT_EQ(runProgram({"cupsreject", "Tessel_2"}, out), 0) << out;
  chooseDestination("\\\\\\Floor_2");
  auto* page = this->page<LegacyFilesPage>(5);
  wxArrayString paths;
  paths.Add(wxString::FromUTF8(file));
  page->addLoadPaths(paths);
  // Every row the window showed, as "printer: state".
  std::set<wxString> rows;
  bool shot = false;
  ProgressWatch watch([&](wxGenericProgressDialog& dialog) {
    auto* window = dynamic_cast<SendProgressDialog*>(&dialog);
    wxListCtrl* list = window != nullptr ? window->memberList() : nullptr;
    if (list == nullptr) return;
    bool failedShown = false;
    for (long row = 0; row < list->GetItemCount(); ++row) {
      rows.insert(list->GetItemText(row, 0) + ": " + list->GetItemText(row, 1));
      failedShown |= list->GetItemText(row, 1).StartsWith("failed: ");
    }
    if (!shot && failedShown) shot = !screenshot(&dialog, "dialog-progress-members").empty();
  });
  pressButton(panel()->FindWindow(kIdLoadLegacyFiles));
  ASSERT_FALSE(rows.empty()) << "the window listed the members";
  for (const wxString& row : rows) {
    EXPECT_TRUE(row.StartsWith("Tessel_1: ") || row.StartsWith("Tessel_2: ")) << row;
    const wxString state = row.AfterFirst(' ');
    EXPECT_TRUE(state == "waiting" || state == "sending" || state.StartsWith("sent, job ") ||
                state.StartsWith("failed: "))
        << row;
    EXPECT_FALSE(row.StartsWith("Tessel_2: sent")) << "a rejecting queue took the job";
  }
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_TRUE(user_.messages()[0].text.Contains("Tessel_2")) << user_.messages()[0].text;
  JobResults* results = panel()->jobResults();
  EXPECT_TRUE(results->stateOf("Tessel_2").StartsWith("not sent: ")) << results->stateOf("Tessel_2");
  ASSERT_TRUE(results->sendAgainButton()->IsShown()) << "the send missed a printer";
  shoot("results-send-again");

  // Once the queue takes jobs again, the same job goes to it alone.
  ASSERT_EQ(runProgram({"cupsaccept", "Tessel_2"}, out), 0) << out;
  user_.clear();
  pressButton(results->sendAgainButton());
  EXPECT_TRUE(user_.messages().empty()) << user_.messages()[0].text;
  EXPECT_EQ(results->list()->GetItemCount(), 1);
  EXPECT_FALSE(results->stateOf("Tessel_2").empty());
  EXPECT_FALSE(results->sendAgainButton()->IsShown());
  waitIdle();
  EXPECT_FALSE(diskFiles(2).empty()) << "the missed printer has the files now";
}

}  // namespace
