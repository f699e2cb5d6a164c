// The main window's layout under a window manager: no complaint from the
// toolkit while it opens, shows every page and squeezes its lists, centred
// on the screen, fields and lists that grow with it, and a mnemonic of its
// own for every labelled control.
#include <fcntl.h>
#include <unistd.h>
#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "app/dialogs/convert_path_dialog.h"
#include "app/dialogs/interpreter_dialog.h"
#include "app/dialogs/modify_printer_names_dialog.h"
#include "app/dialogs/printer_groups_dialog.h"
#include "app/dialogs/set_printer_path_dialog.h"
#include "app/job_results.h"
#include "app/pages/delete_page.h"
#include "app/pages/legacy_files_page.h"
#include "app/pages/list_page.h"
#include "app/pages/project_name_fields.h"
#include "app/pages/report_list.h"
#include "app/user_prompts.h"
#include "app/window_ids.h"
#include "page_fixture.h"

namespace {

// What the program writes to standard error while it exists (the
// toolkit's complaints go there); given back to standard error at the end.
class StandardErrorCapture {
 public:
  explicit StandardErrorCapture(const std::string& file) : file_(file) {
    std::fflush(stderr);
    saved_ = dup(2);
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      dup2(fd, 2);
      close(fd);
    }
  }
  ~StandardErrorCapture() { text(); }
  // Ends the capture and returns what was written.
  const std::string& text() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      dup2(saved_, 2);
      close(saved_);
      saved_ = -1;
      std::ifstream in(file_);
      std::stringstream all;
      all << in.rdbuf();
      text_ = all.str();
      std::fputs(text_.c_str(), stderr);
    }
    return text_;
  }

 private:
  std::string file_;
  int saved_ = -1;
  std::string text_;
};

class WindowLayoutTest : public PageTest {
 protected:
  // Both legacy lists with more rows than they show.
  void fillLegacyLists() {
    auto* page = dynamic_cast<LegacyFilesPage*>(panel()->page(5));
    wxArrayString files;
    for (int i = 0; i < 30; ++i)
      files.Add(wxString::FromUTF8(scratchFile("res/formlib/form" + std::to_string(i) + ".frm", "%!\n")));
    page->loadList()->dropFiles(files);
    pressButton(panel()->FindWindow(kIdRemovalCopy));
  }
};

TEST_F(WindowLayoutTest, OpensCentredAndShowsEveryPageWithoutToolkitComplaints) {
  WindowManager manager;
  StandardErrorCapture errors(scratch_ + "/stderr.txt");
  openWithPrinters(0);
  pump(300);
  if (manager.running()) {
    // No position is saved: the middle of the screen.
    const wxRect screen = wxDisplay(0u).GetClientArea();
    const wxPoint middle = frame_->GetScreenRect().GetPosition() + frame_->GetSize() / 2;
    const wxPoint centre = screen.GetPosition() + screen.GetSize() / 2;
    EXPECT_LE(std::abs(middle.x - centre.x), 40) << middle.x;
    EXPECT_LE(std::abs(middle.y - centre.y), 40) << middle.y;
  }
  for (int i = 0; i < kPageCount; ++i) {
    panel()->selectPage(i);
    pump(50);
  }
  // The lists at their smallest: the results area takes room below them.
  panel()->selectPage(5);
  fillLegacyLists();
  wxListCtrl* results = panel()->jobResults()->list();
  for (long i = 0; i < 20; ++i) results->InsertItem(i, wxString::Format("Q%ld", i + 1));
  panel()->jobResults()->Show();
  panel()->Layout();
  frame_->SetSize(frame_->GetMinSize());
  pump(300);
  shoot("main-window-short-lists");
  const std::string written = errors.text();
  EXPECT_EQ(written.find("Gtk-CRITICAL"), std::string::npos) << written;
  EXPECT_EQ(written.find("Gtk-WARNING"), std::string::npos) << written;
}

TEST_F(WindowLayoutTest, FieldsAndListsGrowWithTheWindow) {
  openWithoutPrinters(3);
  struct Grown {
    int page;
    std::function<wxWindow*()> control;
    bool taller;  // lists grow both ways, fields only wider
  };
  const std::vector<Grown> controls = {
      {3, [this] { return dynamic_cast<DeletePage*>(panel()->page(3))->names().folderField(); }, false},
      {3, [this] { return dynamic_cast<DeletePage*>(panel()->page(3))->names().projectField(); }, false},
      {4, [this] { return dynamic_cast<ListPage*>(panel()->page(4))->names().folderField(); }, false},
      {5, [this] { return dynamic_cast<LegacyFilesPage*>(panel()->page(5))->loadList(); }, true},
      {5, [this] { return dynamic_cast<LegacyFilesPage*>(panel()->page(5))->removalList(); }, true},
  };
  std::map<std::size_t, wxSize> before;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    panel()->selectPage(controls[i].page);
    pump(50);
    before[i] = controls[i].control()->GetSize();
  }
  frame_->SetSize(frame_->GetSize() + wxSize(300, 200));
  pump(200);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    panel()->selectPage(controls[i].page);
    pump(50);
    const wxSize after = controls[i].control()->GetSize();
    EXPECT_GE(after.x, before[i].x + 250) << "control " << i;
    if (controls[i].taller) {
      EXPECT_GE(after.y, before[i].y + 60) << "control " << i;
    }
  }
}

// The mnemonic of a label ('\0' when it has none).
wxChar mnemonicOf(const wxString& label) {
  for (std::size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != '&') continue;
    if (label[i + 1] == '&') {
      ++i;
      continue;
    }
    return wxToupper(label[i + 1]);
  }
  return 0;
}

// A text that names a field: followed by a control that takes the focus and
// has no label of its own. Texts without a letter ("-") name nothing.
bool namesAField(wxWindow* text) {
  if (dynamic_cast<wxStaticText*>(text) == nullptr) return false;
  const wxString label = text->GetLabel();  // one string: begin and end of the same
  if (std::none_of(label.begin(), label.end(), [](wxUniChar c) { return wxIsalpha(c); })) return false;
  for (wxWindow* next = text->GetNextSibling(); next != nullptr; next = next->GetNextSibling()) {
    if (dynamic_cast<wxStaticText*>(next) || dynamic_cast<wxCheckBox*>(next) || dynamic_cast<wxRadioButton*>(next))
      return false;
    if (dynamic_cast<wxButton*>(next) == nullptr && next->AcceptsFocusFromKeyboard()) return true;
  }
  return false;
}

// Every labelled control below window that the keyboard can reach, with its
// label: buttons with text (but OK and Cancel, which Enter and Escape
// press), check boxes, radio buttons, and the texts that name a field. (A
// radio box hands its items' texts back without their marks.)
void labelledControls(wxWindow* window, std::vector<std::pair<wxWindow*, wxString>>& found) {
  for (wxWindow* child : window->GetChildren()) {
    if (child->IsTopLevel()) continue;
    const wxString text = child->GetLabel();
    const bool button = dynamic_cast<wxButton*>(child) && !text.empty() && text != "OK" && text != "Cancel";
    if (button || dynamic_cast<wxCheckBox*>(child) || dynamic_cast<wxRadioButton*>(child) || namesAField(child))
      found.emplace_back(child, text);
    labelledControls(child, found);
  }
}

// Each label carries a mnemonic no other control (nor menu) of the window
// uses.
void expectUniqueMnemonics(const std::vector<std::pair<wxWindow*, wxString>>& controls, const std::string& where,
                           std::map<wxChar, wxString> taken = {}) {
  for (const auto& [control, label] : controls) {
    const wxChar key = mnemonicOf(label);
    EXPECT_NE(key, 0) << where << ": " << label;
    if (key == 0) continue;
    const auto [it, fresh] = taken.emplace(key, label);
    EXPECT_TRUE(fresh) << where << ": " << label << " and " << it->second << " share Alt+" << wxString(key, 1);
  }
}

TEST_F(WindowLayoutTest, EveryLabelledControlHasAMnemonicOfItsOwn) {
  openWithoutPrinters(0);
  std::map<wxChar, wxString> menus;
  wxMenuBar* bar = frame_->GetMenuBar();
  for (std::size_t i = 0; i < bar->GetMenuCount(); ++i) menus[mnemonicOf(bar->GetMenuLabel(i))] = bar->GetMenuLabel(i);
  for (int i = 0; i < kPageCount; ++i) {
    std::vector<std::pair<wxWindow*, wxString>> controls;
    // The controls every page shares, then the page's own.
    for (wxWindow* child : panel()->GetChildren())
      if (dynamic_cast<wxCheckBox*>(child) || dynamic_cast<wxStaticText*>(child))
        controls.emplace_back(child, child->GetLabel());
    labelledControls(panel()->page(i), controls);
    labelledControls(panel()->jobResults(), controls);
    expectUniqueMnemonics(controls, "page " + std::to_string(i), menus);
  }

  // Each dialog on its own.
  const std::vector<std::pair<std::string, std::function<wxDialog*()>>> dialogs = {
      {"Select Tessel", [this] { return new InterpreterDialog(frame_); }},
      {"Printer Groups", [this] { return new PrinterGroupsDialog(frame_); }},
      {"Set Printer Path", [this] { return new SetPrinterPathDialog(frame_, "t", wxString(), wxString(), false); }},
      {"Convert Path", [this] { return new ConvertPathDialog(frame_, "t", wxString()); }},
      {"Modify Printer Names", [this] { return new ModifyPrinterNamesDialog(frame_, "t"); }},
  };
  for (const auto& [name, make] : dialogs) {
    std::unique_ptr<wxDialog> dialog(make());
    std::vector<std::pair<wxWindow*, wxString>> controls;
    labelledControls(dialog.get(), controls);
    EXPECT_FALSE(controls.empty()) << name;
    expectUniqueMnemonics(controls, name);
  }
}

// A message box carries the picture of its kind (the icon theme's).
TEST(MessageBoxTest, ErrorsAndWarningsCarryTheirIcons) {
  const std::vector<std::pair<MessageIcon, wxArtID>> kinds = {
      {MessageIcon::Error, wxART_ERROR},
      {MessageIcon::Warning, wxART_WARNING},
      {MessageIcon::Information, wxART_INFORMATION},
  };
  for (const auto& [icon, art] : kinds) {
    wxImage shown;
    whenDialogShown([&](wxTopLevelWindow* box) {
      for (wxWindow* child : box->GetChildren())
        if (auto* picture = dynamic_cast<wxStaticBitmap*>(child)) shown = picture->GetBitmap().ConvertToImage();
      screenshot(box, "message-box-" + art.utf8_string());
      dynamic_cast<wxDialog*>(box)->EndModal(wxID_OK);
    });
    ModalWatchdog watchdog;
    showMessage(nullptr, "The submission file does not exist.", icon);
    const wxImage expected = wxArtProvider::GetBitmap(art, wxART_MESSAGE_BOX).ConvertToImage();
    ASSERT_TRUE(expected.IsOk()) << art << ": the icon theme has no such picture";
    ASSERT_TRUE(shown.IsOk()) << art;
    ASSERT_EQ(shown.GetSize(), expected.GetSize()) << art;
    EXPECT_EQ(std::memcmp(shown.GetData(), expected.GetData(), expected.GetWidth() * expected.GetHeight() * 3), 0)
        << art;
  }
}

}  // namespace
