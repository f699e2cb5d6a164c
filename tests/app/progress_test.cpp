// The progress window of long work: it appears while a job is written or a
// container is opened, and its Cancel stops the work with nothing sent,
// no message and no file left behind.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/progdlg.h>

#include <filesystem>

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
    return std::make_unique<ProgressWatch>([this, n](wxProgressDialog& dialog) {
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
  for (wxWindow* window : wxTopLevelWindows) EXPECT_EQ(dynamic_cast<wxProgressDialog*>(window), nullptr);
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
  ProgressWatch watch([&](wxProgressDialog& dialog) {
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

}  // namespace
