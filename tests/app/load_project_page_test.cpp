// The Load Project Resources page: the resource tree filled from the
// project, ticked rows loaded end to end, the tree's check rules and keys,
// and the container rule for the path's last letter.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dnd.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "app/pages/load_project_page.h"
#include "app/pages/resource_tree.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "page_fixture.h"

namespace {

class LoadProjectPageTest : public PageTest {
 protected:
  LoadProjectPage* loadPage() { return page<LoadProjectPage>(1); }
  void enterProject(const std::string& path) { typePath(loadPage()->projectField(), path); }
  std::vector<wxString> texts(const std::vector<wxDataViewItem>& items) {
    std::vector<wxString> out;
    for (const wxDataViewItem& item : items) out.push_back(loadPage()->tree()->itemText(item));
    return out;
  }
};

TEST_F(LoadProjectPageTest, TickedResourcesAloneReachThePrinter) {
  const std::string kpf = writeRichProject(tree_);
  openWithPrinters(1);
  chooseDestination("Tessel_2");
  LoadProjectPage* page = loadPage();
  ASSERT_NE(page, nullptr);
  // Dropped from the file manager onto the path field.
  auto* target = dynamic_cast<wxFileDropTarget*>(page->projectField()->textField()->GetDropTarget());
  ASSERT_NE(target, nullptr);
  wxArrayString dropped;
  dropped.Add(kpf);
  target->OnDropFiles(5, 5, dropped);
  ResourceTree* tree = page->tree();
  ASSERT_TRUE(pumpUntil([tree] { return !tree->topItems().empty(); }));
  EXPECT_TRUE(user_.messages().empty());

  // One folder per type, sorted; files of type "none" at the top level.
  EXPECT_EQ(tree->GetColumn(0)->GetTitle(), "<Project Resources>");
  EXPECT_EQ(texts(tree->topItems()),
            (std::vector<wxString>{"fnt", "frm", "img", "seg", "Notes.txt", "readme.txt"}));
  EXPECT_EQ(texts(tree->filesOf(tree->folderItem("frm"))),
            (std::vector<wxString>{"alpha.frm", "Beta.frm", "invoice.frm", "Zeta.frm"}));
  EXPECT_FALSE(tree->folderItem("sub").IsOk()) << "submission files are not listed";

  tree->Expand(tree->folderItem("frm"));
  tree->toggle(tree->fileItem("frm", "alpha.frm"));
  tree->toggle(tree->fileItem("none", "Notes.txt"));
  // A closed folder ticked as a whole.
  tree->toggle(tree->folderItem("img"));
  EXPECT_FALSE(tree->IsExpanded(tree->folderItem("img")));
  EXPECT_EQ(tree->checkedNames(), (std::vector<std::string>{"alpha.frm", "photo.jpg", "Notes.txt"}));
  page->updateColumnWidths();
  // The view draws a row's text only as wide as its renderer says.
  auto* renderer = dynamic_cast<wxDataViewCustomRenderer*>(tree->GetColumn(0)->GetRenderer());
  ASSERT_NE(renderer, nullptr);
  EXPECT_GE(renderer->GetSize().x, tree->GetColumn(0)->GetWidth()) << "names clipped";
  shoot("page-load-project");

  pressButton(page->FindWindow(kIdLoadProject));
  EXPECT_TRUE(user_.messages().empty());
  EXPECT_EQ(statusText(), "[Load Project Resources] Rich.kpf completed successfully");
  waitIdle();
  std::vector<std::string> stored = diskFiles(2);
  stored.erase(std::remove_if(stored.begin(), stored.end(),
                              [](const std::string& n) { return n.find("/.krm") != std::string::npos; }),
               stored.end());
  EXPECT_EQ(stored, (std::vector<std::string>{"tqfc/Demo/Invoice/Notes.txt", "tqfc/Demo/Invoice/alpha.frm",
                                              "tqfc/gshared/photo.jpg"}));
  EXPECT_TRUE(diskFiles(1).empty());
  EXPECT_EQ(temporaryJobFiles(), 0);
}

TEST_F(LoadProjectPageTest, ATypedPathLoadsWhenTheFieldIsLeft) {
  const std::string kpf = writeRichProject(tree_);
  openWithPrinters(1);
  LoadProjectPage* page = loadPage();
  ASSERT_NE(page, nullptr);
  clickWithMouse(page->projectField()->textField());
  page->projectField()->textField()->SetFocus();
  pump(50);
  page->projectField()->textField()->ChangeValue(kpf);  // as typed
  page->tree()->SetFocus();                               // Tab or a click away, no Enter
  ResourceTree* tree = page->tree();
  EXPECT_TRUE(pumpUntil([tree] { return !tree->topItems().empty(); }));
}

TEST_F(LoadProjectPageTest, FolderBoxesFollowTheirFilesAndKeysToggle) {
  const std::string kpf = writeRichProject(tree_);
  openWithoutPrinters(1);
  enterProject(kpf);
  ResourceTree* tree = loadPage()->tree();
  const wxDataViewItem forms = tree->folderItem("frm");
  ASSERT_TRUE(forms.IsOk());

  tree->toggle(tree->fileItem("frm", "Zeta.frm"));
  EXPECT_EQ(tree->itemState(forms), wxCHK_UNDETERMINED) << "some files ticked: half-ticked";
  tree->toggle(forms);
  EXPECT_EQ(tree->itemState(forms), wxCHK_CHECKED) << "a half-ticked folder becomes ticked";
  for (const wxDataViewItem& file : tree->filesOf(forms)) EXPECT_EQ(tree->itemState(file), wxCHK_CHECKED);
  tree->toggle(tree->fileItem("frm", "Beta.frm"));
  EXPECT_EQ(tree->itemState(forms), wxCHK_UNDETERMINED);
  tree->toggle(tree->fileItem("frm", "Beta.frm"));
  EXPECT_EQ(tree->itemState(forms), wxCHK_CHECKED) << "all files ticked again: the folder too";
  tree->toggle(forms);
  EXPECT_EQ(tree->itemState(forms), wxCHK_UNCHECKED);
  EXPECT_TRUE(tree->checkedNames().empty());

  // The keyboard: Space ticks the focused row.
  tree->SetFocus();
  tree->SetCurrentItem(tree->fileItem("none", "readme.txt"));
  tree->Select(tree->fileItem("none", "readme.txt"));
  wxUIActionSimulator keys;
  const wxRect area = tree->GetScreenRect();
  keys.MouseMove(area.GetLeft() + area.width / 2, area.GetBottom() - 5);
  pump(50);
  keys.Char(' ');
  EXPECT_TRUE(pumpUntil([tree] { return !tree->checkedNames().empty(); }, 3000));
  EXPECT_EQ(tree->checkedNames(), std::vector<std::string>{"readme.txt"});

  // A double click opens and closes a folder.
  wxDataViewEvent activated(wxEVT_DATAVIEW_ITEM_ACTIVATED, tree, forms);
  tree->ProcessWindowEvent(activated);
  EXPECT_TRUE(tree->IsExpanded(forms));
  tree->ProcessWindowEvent(activated);
  EXPECT_FALSE(tree->IsExpanded(forms));

  // A new path lists afresh, nothing ticked.
  enterProject(kpf);
  EXPECT_TRUE(tree->checkedNames().empty());
  EXPECT_EQ(tree->topItems().size(), 6u);
}

TEST_F(LoadProjectPageTest, OnlyALowerCaseLastLetterMakesAContainer) {
  const std::string kpc = scratch_ + "/Invoice.kpc";
  ASSERT_TRUE(writeContainer(stub_, sampleKpf(), kpc));
  const std::string upper = scratch_ + "/Invoice.KPC";
  std::filesystem::copy_file(kpc, upper);
  openWithoutPrinters(1);
  enterProject(kpc);
  ResourceTree* tree = loadPage()->tree();
  EXPECT_EQ(tree->topItems().size(), 4u) << "the container's resources";
  EXPECT_TRUE(user_.messages().empty());

  // The same container named in upper case is read as a project file.
  frame_->SetStatusText("unchanged");
  enterProject(upper);
  EXPECT_TRUE(tree->topItems().empty()) << "a failed listing leaves the tree empty";
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages()[0].icon, MessageIcon::Error);
  EXPECT_EQ(user_.messages()[0].text.rfind("Quaymaster cannot ", 0), 0u) << user_.messages()[0].text;
  EXPECT_EQ(statusText(), "unchanged") << "listing failures leave the status line alone";
}

}  // namespace
