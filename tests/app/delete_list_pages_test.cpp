// The Delete Files and List Printer Files pages: every choice end to end
// on the simulated printers (what the disk keeps, what is printed), and
// the fields that only the project choices enable.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/pages/delete_page.h"
#include "app/pages/list_page.h"
#include "app/pages/project_name_fields.h"
#include "app/window_ids.h"
#include "page_fixture.h"

namespace {

class DeleteListPagesTest : public PageTest {
 protected:
  DeletePage* deletePage() { return page<DeletePage>(3); }
  ListPage* listPage() { return page<ListPage>(4); }

  // Tessel, the sample project, a loose form and a font on a printer.
  void fillDisk(int n) {
    PrinterSimulator p = printer(n);
    ASSERT_TRUE(p.writeFile("tqf/VER", "11.0\n"));
    ASSERT_TRUE(p.writeFile("tqf/src/tqf.eeh", "%%Version: 11.0\n"));
    ASSERT_TRUE(p.writeFile("tqfc/formlib/loose.frm", "%!\n"));
    ASSERT_TRUE(p.writeFile("fonts/QmMarks", "%!FontType1\n"));
    chooseDestination(n == 1 ? "Tessel_1" : "Tessel_2");
    LoadProjectChoice project;
    project.projectPath = sampleKpf();
    ASSERT_EQ(loadProjectResources(panel()->operationContext(), project).kind, OpResult::Kind::Sent);
    waitIdle();
    ASSERT_TRUE(diskHas(n, "tqfc/Demo/Invoice/invoice.frm"));
  }
  void list(int item, const std::string& folder = "", const std::string& project = "") {
    chooseRadio(listPage()->choiceBox(), item);
    listPage()->names().folderField()->ChangeValue(folder);
    listPage()->names().projectField()->ChangeValue(project);
    pressButton(listPage()->FindWindow(kIdListFiles));
    EXPECT_EQ(statusText(), "[List Files] completed successfully");
    waitIdle();
  }
  void remove(int item) {
    chooseRadio(deletePage()->choiceBox(), item);
    pressButton(deletePage()->FindWindow(kIdDeleteFiles));
    EXPECT_EQ(statusText(), "[Delete Files] completed successfully");
    waitIdle();
  }
};

TEST_F(DeleteListPagesTest, EveryChoiceOnThePrinter) {
  openWithPrinters(4);
  fillDisk(1);
  fillDisk(2);
  chooseDestination("Tessel_1");
  setStatusPage(true);
  std::size_t printed = printedPages(1).size();

  // Each listing prints a page.
  list(0);
  EXPECT_EQ(printedPages(1).size(), ++printed);
  list(1);
  EXPECT_EQ(printedPages(1).size(), ++printed);
  list(2, "Demo", "Invoice");
  EXPECT_EQ(printedPages(1).size(), ++printed);
  shoot("page-list-files");
  EXPECT_TRUE(user_.messages().empty());

  // One project, keeping the global-shared resources; with a status page.
  panel()->selectPage(3);
  chooseRadio(deletePage()->choiceBox(), 3);
  deletePage()->names().folderField()->ChangeValue("Demo");
  deletePage()->names().projectField()->ChangeValue("Invoice");
  clickCheckBox(deletePage()->noGlobalSharedBox(), true);
  shoot("page-delete-files");
  remove(3);
  EXPECT_EQ(printedPages(1).size(), ++printed) << "the status page";
  EXPECT_FALSE(diskHas(1, "tqfc/Demo/Invoice/invoice.frm"));
  EXPECT_FALSE(diskHas(1, "tqfc/Demo/fshared/logo.seg"));
  EXPECT_TRUE(diskHas(1, "tqfc/gshared/photo.jpg"));
  EXPECT_TRUE(diskHas(1, "tqfc/formlib/loose.frm"));

  // All KX resources, then Tessel; the fonts stay.
  setStatusPage(false);
  remove(2);
  EXPECT_TRUE(diskFiles(1, "tqfc/").empty());
  EXPECT_FALSE(diskFiles(1, "tqf/").empty());
  remove(1);
  EXPECT_TRUE(diskFiles(1, "tqf/").empty());
  EXPECT_TRUE(diskHas(1, "fonts/QmMarks"));
  EXPECT_EQ(printedPages(1).size(), printed) << "no status page asked for";

  // Both at once on the other printer.
  chooseDestination("Tessel_2");
  remove(0);
  EXPECT_TRUE(diskFiles(2, "tqf/").empty());
  EXPECT_TRUE(diskFiles(2, "tqfc/").empty());
  EXPECT_TRUE(diskHas(2, "fonts/QmMarks"));
  EXPECT_EQ(temporaryJobFiles(), 0);
}

TEST_F(DeleteListPagesTest, TheOptionalQuestionNamesThePrintersAndWhatGoes) {
  openWithPrinters(3, "confirmDelete=1\n");  // Floor_2 holds both printers
  ASSERT_TRUE(printer(1).writeFile("tqf/VER", "11.0\n"));
  chooseDestination("\\\\\\Floor_2");
  chooseRadio(deletePage()->choiceBox(), 1);
  pressButton(deletePage()->FindWindow(kIdDeleteFiles));  // No: the cautious answer
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages()[0].text, "Delete every Tessel file from these printers?\n\nTessel_1, Tessel_2");
  EXPECT_EQ(user_.messages()[0].icon, MessageIcon::Warning);
  waitIdle();
  EXPECT_TRUE(diskHas(1, "tqf/VER")) << "nothing was sent";
  user_.answerMessage(MessageAnswer::Yes);
  pressButton(deletePage()->FindWindow(kIdDeleteFiles));
  EXPECT_EQ(statusText(), "[Delete Files] completed successfully");
  waitIdle();
  EXPECT_FALSE(diskHas(1, "tqf/VER"));
}

TEST_F(DeleteListPagesTest, ProjectFieldsOnlyForTheProjectChoices) {
  openWithoutPrinters(3);
  DeletePage* del = deletePage();
  EXPECT_EQ(del->choiceBox()->GetId(), kIdDeleteChoice);
  EXPECT_EQ(del->choiceBox()->GetSelection(), 0);
  EXPECT_EQ(del->choiceBox()->GetCount(), 4u);
  const std::vector<wxWindow*> projectControls{del->names().folderField(), del->names().projectField(),
                                               del->noFolderSharedBox(), del->noGlobalSharedBox()};
  for (wxWindow* w : projectControls) EXPECT_FALSE(w->IsEnabled());
  chooseRadio(del->choiceBox(), 3);
  for (wxWindow* w : projectControls) EXPECT_TRUE(w->IsEnabled());
  chooseRadio(del->choiceBox(), 1);
  for (wxWindow* w : projectControls) EXPECT_FALSE(w->IsEnabled());

  // No folder name: the library's answer, and nothing is sent.
  chooseRadio(del->choiceBox(), 3);
  del->names().projectField()->ChangeValue("Invoice");
  frame_->SetStatusText("before");
  del->deleteFiles();
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages()[0].text, "Quaymaster needs more information.\n\nkrmPPS.folderName");
  EXPECT_EQ(statusText(), "");

  ListPage* list = listPage();
  EXPECT_EQ(list->choiceBox()->GetId(), kIdListChoice);
  EXPECT_EQ(list->choiceBox()->GetCount(), 3u);
  EXPECT_FALSE(list->names().folderField()->IsEnabled());
  chooseRadio(list->choiceBox(), 2);
  EXPECT_TRUE(list->names().folderField()->IsEnabled());
  EXPECT_TRUE(list->names().projectField()->IsEnabled());
  chooseRadio(list->choiceBox(), 1);
  EXPECT_FALSE(list->names().projectField()->IsEnabled());
  EXPECT_EQ(list->choice().item, ListItem::Fonts);
}

}  // namespace
