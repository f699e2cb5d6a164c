// The Send Container page: a container printed with a page range and its
// resources included, the page-range question, and the enabling rules of
// the page range, the resource choice, the keep box and the submission
// field.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobox.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "app/file_filters.h"
#include "app/pages/send_container_page.h"
#include "app/pages/submission_field.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "page_fixture.h"

namespace {

class SendContainerPageTest : public PageTest {
 protected:
  SendContainerPage* sendPage() { return page<SendContainerPage>(2); }
  void enterProject(const std::string& path) { typePath(sendPage()->projectField(), path); }
  void setRange(int first, int last) {
    clickCheckBox(sendPage()->pageRangeBox(), true);
    sendPage()->firstPageSpin()->SetValue(first);
    sendPage()->lastPageSpin()->SetValue(last);
  }
};

TEST_F(SendContainerPageTest, PageRangeOfAContainerWithItsResourcesIsPrinted) {
  const std::string kpc = scratch_ + "/Invoice.kpc";
  ASSERT_TRUE(writeContainer(stub_, sampleKpf(), kpc));
  openWithPrinters(2, "includeLUS=1\n");  // the sample calls the imaging module
  chooseDestination("Tessel_1");
  SendContainerPage* page = sendPage();
  ASSERT_NE(page, nullptr);
  enterProject(kpc);
  wxChoice* submissions = page->submissionField()->choiceList();
  ASSERT_EQ(submissions->GetCount(), 2u) << "forms and submission files, in listing order";
  EXPECT_EQ(submissions->GetString(0), "invoice.frm");
  EXPECT_EQ(submissions->GetString(1), "main.ps");
  EXPECT_EQ(submissions->GetSelection(), 0) << "the first of them, chosen for the operator";
  submissions->SetSelection(1);
  setRange(2, 3);
  clickCheckBox(page->embedBox(), true);
  chooseRadio(page->resourceChoice(), 1);
  shoot("page-send-container");

  pressButton(page->FindWindow(kIdSendContainer));
  EXPECT_TRUE(user_.messages().empty()) << user_.messages()[0].text;
  EXPECT_EQ(statusText(), "[Send Container] Invoice.kpc completed successfully");
  waitIdle();
  EXPECT_EQ(printedPages(1).size(), 2u) << "pages 2 and 3 of 3";
  EXPECT_TRUE(diskFiles(1, "tqfc/").empty()) << "included resources are not stored";
  EXPECT_EQ(temporaryJobFiles(), 0);
  EXPECT_TRUE(nothingUnpacked()) << "the unpacked container is removed";
}

TEST_F(SendContainerPageTest, InvalidRangeAsksWhetherToPrintEverything) {
  openWithPrinters(2, "includeLUS=1\n");  // the sample calls the imaging module
  chooseDestination("Tessel_2");
  SendContainerPage* page = sendPage();
  enterProject(sampleKpf());
  page->submissionField()->choiceList()->SetSelection(1);
  clickCheckBox(page->embedBox(), true);
  chooseRadio(page->resourceChoice(), 1);
  setRange(5, 4);

  // Cancel: nothing is sent, and the status line says so.
  frame_->SetStatusText("before");
  user_.answerMessage(MessageAnswer::Cancel);
  pressButton(page->FindWindow(kIdSendContainer));
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages()[0].text,
            "Invalid page range.\nClick OK to print the entire document.\nClick Cancel to stop printing.");
  EXPECT_EQ(user_.messages()[0].icon, MessageIcon::Question);
  EXPECT_EQ(user_.messages()[0].buttons, MessageButtons::OkCancel);
  EXPECT_EQ(user_.messages()[0].caption, "Quaymaster");
  EXPECT_EQ(statusText(), "Cancelled: nothing was sent.");
  EXPECT_EQ(temporaryJobFiles(), 0);

  // OK: the whole document.
  user_.answerMessage(MessageAnswer::Ok);
  pressButton(page->FindWindow(kIdSendContainer));
  EXPECT_EQ(user_.messages().size(), 2u);
  EXPECT_EQ(statusText(), "[Send Container] Invoice.kpf completed successfully");
  waitIdle();
  EXPECT_EQ(printedPages(2).size(), 3u);
}

TEST_F(SendContainerPageTest, ControlsFollowTheirRules) {
  openWithoutPrinters(2);
  SendContainerPage* page = sendPage();
  wxCheckBox* folderShared = page->noFolderSharedBox();
  wxCheckBox* globalShared = page->noGlobalSharedBox();
  wxCheckBox* overwrite = page->noOverwriteBox();
  wxCheckBox* keep = page->keepBox();
  // At first: no range, the resources on the printer, every box disabled.
  EXPECT_EQ(page->pageRangeBox()->GetId(), kIdPageRange);
  EXPECT_EQ(page->embedBox()->GetId(), kIdEmbedTessel);
  EXPECT_EQ(page->resourceChoice()->GetId(), kIdContainerResources);
  EXPECT_EQ(page->resourceChoice()->GetSelection(), 0);
  EXPECT_EQ(page->firstPageSpin()->GetMin(), 1);
  EXPECT_EQ(page->lastPageSpin()->GetMax(), 99999);
  for (wxWindow* w : std::initializer_list<wxWindow*>{page->firstPageSpin(), page->lastPageSpin(), folderShared,
                                                      globalShared, overwrite, keep})
    EXPECT_FALSE(w->IsEnabled());
  EXPECT_FALSE(page->FindWindow(kIdSendContainer)->IsEnabled()) << "no printer";

  clickCheckBox(page->pageRangeBox(), true);
  EXPECT_TRUE(page->firstPageSpin()->IsEnabled());
  EXPECT_TRUE(page->lastPageSpin()->IsEnabled());
  clickCheckBox(page->pageRangeBox(), false);
  EXPECT_FALSE(page->lastPageSpin()->IsEnabled());

  // Included: the shared boxes and the keep box, not the overwrite box.
  chooseRadio(page->resourceChoice(), 1);
  EXPECT_TRUE(folderShared->IsEnabled());
  EXPECT_TRUE(globalShared->IsEnabled());
  EXPECT_FALSE(overwrite->IsEnabled());
  EXPECT_TRUE(keep->IsEnabled());
  // Included and stored: all three; the keep box follows the embed box.
  chooseRadio(page->resourceChoice(), 2);
  EXPECT_TRUE(overwrite->IsEnabled());
  EXPECT_FALSE(keep->IsEnabled());
  clickCheckBox(page->embedBox(), true);
  EXPECT_TRUE(keep->IsEnabled());
  // Already stored: the shared boxes go, the overwrite box keeps its state.
  chooseRadio(page->resourceChoice(), 0);
  EXPECT_FALSE(folderShared->IsEnabled());
  EXPECT_FALSE(globalShared->IsEnabled());
  EXPECT_TRUE(overwrite->IsEnabled());
  EXPECT_TRUE(keep->IsEnabled());
  clickCheckBox(page->embedBox(), false);
  EXPECT_FALSE(keep->IsEnabled());
  chooseRadio(page->resourceChoice(), 1);
  chooseRadio(page->resourceChoice(), 0);
  EXPECT_FALSE(overwrite->IsEnabled());
  // A ticked keep box counts only while it is enabled.
  clickCheckBox(page->embedBox(), true);
  clickCheckBox(keep, true);
  clickCheckBox(page->embedBox(), false);
  EXPECT_FALSE(keepBoxEnabled(page->choice()));

  // The submission field: the list, or the external path with its button.
  SubmissionField* submission = page->submissionField();
  EXPECT_EQ(submission->externalBox()->GetId(), kIdExternalSubmission);
  EXPECT_EQ(submission->pathField()->GetId(), kIdPathText);
  EXPECT_EQ(submission->browseButton()->GetId(), kIdSubmissionBrowse);
  EXPECT_TRUE(submission->choiceList()->IsEnabled());
  EXPECT_FALSE(submission->pathField()->IsEnabled());
  EXPECT_FALSE(submission->browseButton()->IsEnabled());
  clickCheckBox(submission->externalBox(), true);
  EXPECT_FALSE(submission->choiceList()->IsEnabled());
  EXPECT_TRUE(submission->pathField()->IsEnabled());
  EXPECT_TRUE(submission->browseButton()->IsEnabled());

  // Browse starts in the last submission folder and keeps the new one.
  writeConfig("lastSubDir=/srv/subs\n");
  user_.answerChooser(wxString("/data/runs/june.lm"));
  pressButton(submission->browseButton());
  ASSERT_EQ(user_.prompts().size(), 1u);
  EXPECT_EQ(user_.prompts()[0].text, "/srv/subs");
  EXPECT_EQ(user_.prompts()[0].filter,
            allFilesFilter() + "|Line Mode (*.lm)|*.lm|Database Mode (*.dbf)|*.dbf|Native Mode (*.nm)|*.nm|"
            "PostScript (*.ps)|*.ps|Submission File (*.sub)|*.sub");
  EXPECT_EQ(submission->pathField()->GetValue(), "/data/runs/june.lm");
  EXPECT_EQ(configValue("lastSubDir"), "/data/runs");
  EXPECT_EQ(page->choice().submission, "/data/runs/june.lm");
  EXPECT_TRUE(page->choice().externalSubmission);
}

}  // namespace
