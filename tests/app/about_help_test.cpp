// The About box and the help book: the versions it names, Escape, and the
// help entry each information button and the Help command open.
#include <wx/bmpbuttn.h>
#include <wx/html/helpctrl.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "app/about_box.h"
#include "app/help_viewer.h"
#include "app/main_frame.h"
#include "app/operations_panel.h"
#include "app/pages/page_catalogue.h"
#include "app/window_ids.h"
#include "gui_harness.h"

namespace fs = std::filesystem;

namespace {

class AboutHelpTest : public AppTest {};

TEST_F(AboutHelpTest, AboutBoxNamesProgramTesselAndTheRealToolkit) {
  writeConfig();
  auto* frame = new MainFrame("Brightway Quaymaster");
  frame->Show();
  int result = 0;
  wxString text;
  whenDialogShown([&](wxTopLevelWindow* window) {
    auto* box = dynamic_cast<AboutBox*>(window);
    ASSERT_NE(box, nullptr);
    text = box->text();
    EXPECT_EQ(box->GetTitle(), "About Brightway Quaymaster");
    screenshot(box, "about-box");
    // Keys go to the window under the pointer when no window manager runs.
    wxUIActionSimulator keys;
    const wxRect rect = box->GetScreenRect();
    keys.MouseMove(rect.x + 5, rect.y + 5);
    pump(50);
    box->FindWindow(wxID_OK)->SetFocus();
    pump(50);
    keys.Char(WXK_ESCAPE);
  });
  {
    AboutBox box(frame);
    result = box.ShowModal();
  }
  EXPECT_EQ(result, wxID_OK);
  EXPECT_TRUE(text.StartsWith("Brightway Quaymaster 11.0\nKX Project resources management utility for remote "
                              "printers.\n"))
      << text;
  EXPECT_TRUE(text.Contains("\n\nBuilt-in Tessel 11.0\n\n")) << text;
  EXPECT_TRUE(text.EndsWith("KRMSDK 1.8.7\nKPSDK 2.1.2\n" + toolkitVersionLine())) << text;
  EXPECT_TRUE(toolkitVersionLine().StartsWith("wxWidgets 3.")) << toolkitVersionLine();
}

class HelpTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    book_ = scratch_ + "/docs/qmhelp.htb";
    fs::create_directories(scratch_ + "/docs");
    fs::copy_file(std::string(QM_BINARY_DIR) + "/docs/qmhelp.htb", book_);
  }
  std::string book_;
};

TEST_F(HelpTest, InformationButtonsOpenTheirEntryAndHelpOpensTheIndex) {
  startPrinters();
  writeConfig();
  HelpViewer viewer(wxString::FromUTF8(book_));
  auto* frame = new MainFrame("Brightway Quaymaster");
  frame->Show();
  pump(100);
  OperationsPanel* panel = frame->operations();
  const char* pages[] = {"install_tessel.html", "load_project.html", "send_container.html", "delete_files.html",
                         "list_files.html",     "legacy_files.html", "ps_fonts.html"};
  for (int i = 0; i < kPageCount; ++i) {
    panel->selectPage(i);
    pump(30);
    pressButton(panel->page(i)->informationButton());
    ASSERT_TRUE(pumpUntil([&] { return viewer.openedPage().EndsWith(pages[i]); }, 5000))
        << pageDescription(i).helpKeyword << " opened " << viewer.openedPage();
  }
  wxFrame* window = viewer.frame();
  ASSERT_NE(window, nullptr);
  // Readable beside its index, and on the display.
  EXPECT_GE(window->GetSize().x, 900);
  EXPECT_GE(window->GetSize().y, 650);
  EXPECT_TRUE(wxRect(wxGetDisplaySize()).Contains(window->GetScreenRect())) << "the 1280x1024 test display";
  screenshot(window, "help-window");

  // The Help command and an unknown keyword open the index (the book's
  // first page stays behind it).
  wxCommandEvent help(wxEVT_MENU, kIdHelp);
  frame->ProcessWindowEvent(help);
  pump(100);
  EXPECT_EQ(viewer.frame(), window);
  viewer.showKeyword("No Such Entry");
  pump(100);
  EXPECT_EQ(viewer.frame(), window);
  EXPECT_TRUE(window->IsShown());

  // Escape closes it; the next request opens a new one.
  clickWithMouse(window);
  wxUIActionSimulator().Char(WXK_ESCAPE);
  EXPECT_TRUE(pumpUntil([&] { return viewer.frame() == nullptr; }, 5000));
  viewer.showKeyword("No Such Entry");
  pump(100);
  ASSERT_NE(viewer.frame(), nullptr);
  EXPECT_TRUE(viewer.frame()->IsShown());
  EXPECT_FALSE(viewer.frame()->ShouldPreventAppExit()) << "closing the main window ends the program";
}

// The help pages show their pictures at the pictures' own size: scaled,
// they are blurred.
TEST(HelpPicturesTest, AreShownAtTheirOwnSize) {
  const std::regex image(R"re(<img src="([^"]+)" width="(\d+)" height="(\d+)")re");
  const std::regex anyImage("<img ");
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(std::string(QM_SOURCE_DIR) + "/docs/help")) {
    if (entry.path().extension() != ".html") continue;
    std::ifstream in(entry.path());
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto all = std::distance(std::sregex_iterator(html.begin(), html.end(), anyImage), std::sregex_iterator());
    int sized = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), image); it != std::sregex_iterator(); ++it, ++sized) {
      const std::string picture = (entry.path().parent_path() / (*it)[1].str()).string();
      const wxSize size = wxImage(wxString::FromUTF8(picture), wxBITMAP_TYPE_PNG).GetSize();
      EXPECT_EQ(size, wxSize(std::stoi((*it)[2]), std::stoi((*it)[3]))) << picture;
      ++checked;
    }
    EXPECT_EQ(sized, all) << entry.path() << ": every picture has its width and height";
  }
  EXPECT_GE(checked, 10);
}

TEST_F(HelpTest, WithoutABookNothingHappens) {
  writeConfig();
  auto* frame = new MainFrame("Brightway Quaymaster");
  frame->Show();
  pump(50);
  const std::size_t windows = wxTopLevelWindows.size();
  pressButton(frame->operations()->page(0)->informationButton());
  wxCommandEvent help(wxEVT_MENU, kIdHelp);
  frame->ProcessWindowEvent(help);
  pump(100);
  EXPECT_EQ(wxTopLevelWindows.size(), windows);
  EXPECT_TRUE(user_.prompts().empty());
}

}  // namespace
