// The three printer path dialogs: their controls, the type choice that
// selects its own button, and the printer paths their buttons derive.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "app/dialogs/convert_path_dialog.h"
#include "app/dialogs/modify_printer_names_dialog.h"
#include "app/dialogs/printer_type_choice.h"
#include "app/dialogs/set_printer_path_dialog.h"
#include "app/file_filters.h"
#include "app/pages/legacy_files_page.h"
#include "app/pages/report_list.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "page_fixture.h"

namespace {

using PrinterPathDialogsTest = PageTest;

// The labels of the static boxes of a window, in creation order.
std::vector<wxString> frameTitles(wxWindow* window) {
  std::vector<wxString> titles;
  for (wxWindow* child : window->GetChildren())
    if (auto* box = dynamic_cast<wxStaticBox*>(child)) titles.push_back(box->GetLabel());
  return titles;
}

void pickType(const PrinterTypeChoice& types, int index) {
  types.typeList()->SetSelection(index);
  wxCommandEvent event(wxEVT_CHOICE, types.typeList()->GetId());
  event.SetEventObject(types.typeList());
  event.SetInt(index);
  types.typeList()->ProcessWindowEvent(event);
}

void expectFreshTypes(const PrinterTypeChoice& types, int choiceId, const wxString& ruleLabel) {
  EXPECT_EQ(types.typeList()->GetId(), choiceId);
  ASSERT_EQ(types.typeList()->GetCount(), 6u);
  EXPECT_EQ(types.typeList()->GetString(0), "Encoding");
  EXPECT_EQ(types.typeList()->GetString(5), "Misc.");
  EXPECT_EQ(types.typeList()->GetSelection(), 0);
  EXPECT_EQ(types.ruleButton()->GetLabelText(), ruleLabel);
  EXPECT_EQ(types.typeButton()->GetLabelText(), "according to the specified file type");
  EXPECT_TRUE(types.ruleButton()->GetValue());
  EXPECT_FALSE(types.typeButton()->GetValue());
  EXPECT_EQ(types.typeIndex(), -1);
}

TEST_F(PrinterPathDialogsTest, SetPrinterPathDerivesFromTheLocalFile) {
  openWithoutPrinters(5, "lastLegacyDir=/srv/legacy\n");
  SetPrinterPathDialog dialog(frame_, "Edit resource for loading", "/res/fontlib/sub/a.pfb", "old/name", false);
  EXPECT_EQ(dialog.GetTitle(), "Edit resource for loading");
  EXPECT_EQ(dialog.localPath(), "/res/fontlib/sub/a.pfb");
  EXPECT_EQ(dialog.printerPath(), "old/name");
  EXPECT_EQ(frameTitles(&dialog), std::vector<wxString>{"Obtain the corresponding printer path"});
  expectFreshTypes(dialog.types(), kIdSetPathType, "using the default Quaymaster conversion");
  ASSERT_NE(dialog.setButton(), nullptr);
  EXPECT_EQ(dialog.setButton()->GetId(), kIdSetPrinterPath);
  EXPECT_EQ(dialog.setButton()->GetLabelText(), "Set Printer Path");
  EXPECT_EQ(dynamic_cast<wxButton*>(dialog.FindWindow(wxID_OK))->GetLabel(), "OK");
  EXPECT_EQ(dynamic_cast<wxButton*>(dialog.FindWindow(wxID_CANCEL))->GetLabel(), "Cancel");

  // The default conversion keeps the sub-tree under the folder marker.
  pressButton(dialog.setButton());
  EXPECT_EQ(dialog.printerPath(), "tqfc/fontlib/sub/a.pfb");
  // A type picked from the list selects its button; the file name stays.
  pickType(dialog.types(), 3);
  EXPECT_TRUE(dialog.types().typeButton()->GetValue());
  EXPECT_FALSE(dialog.types().ruleButton()->GetValue());
  EXPECT_EQ(dialog.typeIndex(), 3);
  pressButton(dialog.setButton());
  EXPECT_EQ(dialog.printerPath(), "tqfc/imglib/a.pfb");

  // The local path's Browse starts in the last legacy folder.
  user_.answerChooser(wxString("/data/demo/start.ps"));
  pressButton(dialog.localField()->browseButton());
  ASSERT_EQ(user_.prompts().size(), 1u);
  EXPECT_EQ(user_.prompts()[0].text, "/srv/legacy");
  EXPECT_EQ(user_.prompts()[0].filter, allFilesFilter());
  EXPECT_EQ(configValue("lastLegacyDir"), "/data/demo");
  dialog.types().ruleButton()->SetValue(true);
  pressButton(dialog.setButton());
  EXPECT_EQ(dialog.printerPath(), "tqf/demo/start.ps") << "the demo folder belongs to Tessel";

  SetPrinterPathDialog several(frame_, "Edit resource for loading", "", "", true);
  EXPECT_EQ(several.setButton(), nullptr);
  EXPECT_EQ(several.FindWindow(kIdSetPrinterPath), nullptr);
}

TEST_F(PrinterPathDialogsTest, ConvertPathTakesALocalFile) {
  openWithoutPrinters(5, "lastLegacyDir=/srv/legacy\n");
  ConvertPathDialog dialog(frame_, "Add resource for removal", "");
  EXPECT_EQ(frameTitles(&dialog), std::vector<wxString>{"Convert local path to printer path"});
  expectFreshTypes(dialog.types(), kIdConvertPathType, "using the default Quaymaster conversion");
  EXPECT_EQ(dialog.localPathButton()->GetId(), kIdConvertLocalPath);
  EXPECT_EQ(dialog.localPathButton()->GetLabelText(), "Local Path...");

  user_.answerChooser(wxString("/x/forms/LOGO.JPG"));
  pressButton(dialog.localPathButton());
  ASSERT_EQ(user_.prompts().size(), 1u);
  EXPECT_EQ(user_.prompts()[0].caption, "Browse");
  EXPECT_EQ(user_.prompts()[0].text, "/srv/legacy");
  EXPECT_EQ(dialog.printerPath(), "tqfc/imglib/LOGO.JPG") << "the extension in any case";
  EXPECT_EQ(configValue("lastLegacyDir"), "/x/forms");
  pickType(dialog.types(), 2);
  user_.answerChooser(wxString("/x/fonts/a.pfb"));
  pressButton(dialog.localPathButton());
  EXPECT_EQ(dialog.printerPath(), "tqfc/formlib/a.pfb");
  // A cancelled chooser changes nothing.
  pressButton(dialog.localPathButton());
  EXPECT_EQ(dialog.printerPath(), "tqfc/formlib/a.pfb");
  EXPECT_EQ(configValue("lastLegacyDir"), "/x/fonts");

  // From the page: the typed name goes into the removal list.
  auto* page = this->page<LegacyFilesPage>(5);
  whenDialogShown([](wxTopLevelWindow* window) {
    auto* shown = dynamic_cast<ConvertPathDialog*>(window);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->GetTitle(), "Add resource for removal");
    shown->printerField()->ChangeValue("/tqfc/mislib/old.nm");
    screenshot(shown, "dialog-convert-path");
    shown->EndModal(wxID_OK);
  });
  pressButton(page->FindWindow(kIdRemovalAdd));
  EXPECT_EQ(page->removalRows().rows(), std::vector<std::string>{"tqfc/mislib/old.nm"});
  // Cancelled: nothing added.
  whenDialogShown([](wxTopLevelWindow* window) {
    dynamic_cast<wxDialog*>(window)->EndModal(wxID_CANCEL);
  });
  pressButton(page->FindWindow(kIdRemovalAdd));
  EXPECT_EQ(page->removalRows().rows().size(), 1u);
}

TEST_F(PrinterPathDialogsTest, ModifyNamesOffersExtensionsOrAType) {
  openWithoutPrinters(5);
  ModifyPrinterNamesDialog dialog(frame_, "Edit resource for removal");
  EXPECT_EQ(frameTitles(&dialog), std::vector<wxString>{"Modify the highlighted printer names"});
  expectFreshTypes(dialog.types(), kIdModifyNamesType, "according to the file extensions");
  pickType(dialog.types(), 5);
  EXPECT_TRUE(dialog.types().typeButton()->GetValue());
  EXPECT_EQ(dialog.typeIndex(), 5);
  dialog.types().ruleButton()->SetValue(true);
  EXPECT_FALSE(dialog.types().typeButton()->GetValue()) << "the two buttons exclude each other";
  EXPECT_EQ(dialog.typeIndex(), -1);
}

// Each dialog that takes a printer name says at once why the printer would
// refuse it and keeps OK disabled; a fine name takes OK, by Enter too. A
// name came through as "completed successfully" before.
TEST_F(PrinterPathDialogsTest, NamesThePrinterRefusesKeepOkDisabled) {
  openWithoutPrinters(5);
  struct Case {
    const char* dialog;
    std::function<wxDialog*()> make;
    std::function<wxTextCtrl*(wxDialog*)> field;
    std::function<wxStaticText*(wxDialog*)> line;
  };
  const Case cases[] = {
      {"set printer path", [this] { return new SetPrinterPathDialog(frame_, "Edit", "", "", false); },
       [](wxDialog* d) { return static_cast<SetPrinterPathDialog*>(d)->printerField(); },
       [](wxDialog* d) { return static_cast<SetPrinterPathDialog*>(d)->faultLine(); }},
      {"convert path", [this] { return new ConvertPathDialog(frame_, "Add", ""); },
       [](wxDialog* d) { return static_cast<ConvertPathDialog*>(d)->printerField(); },
       [](wxDialog* d) { return static_cast<ConvertPathDialog*>(d)->faultLine(); }},
  };
  const std::pair<const char*, const char*> refused[] = {
      {"../../../../var/x.frm", "The printer refuses this name: it holds a '..' level."},
      {"//etc/x", "The printer refuses this name: it starts with '/'."},
      {"tqfc/a\tb", "The printer refuses this name: it holds a control character."},
      {"%os%x", "The printer refuses this name: it starts with '%', which names a device."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    std::unique_ptr<wxDialog> dialog(c.make());
    wxWindow* ok = dialog->FindWindow(wxID_OK);
    for (const auto& [name, why] : refused) {
      c.field(dialog.get())->SetValue(name);
      EXPECT_EQ(c.line(dialog.get())->GetLabelText(), why) << name;
      EXPECT_FALSE(ok->IsEnabled()) << name;
    }
    // Shown for its picture: a window never shown has nothing to copy.
    dialog->Show();
    pumpUntil([&] { return dialog->IsShownOnScreen(); });
    std::string picture = std::string("dialog-refused-") + c.dialog;
    std::replace(picture.begin(), picture.end(), ' ', '-');
    screenshot(dialog.get(), picture);
    dialog->Hide();
    // Enter ends the dialog with OK only for a fine name.
    for (const char* name : {"../x", "/tqfc/mislib/a.frm"}) {
      wxDialog* shown = nullptr;
      whenDialogShown([&](wxTopLevelWindow*) {
        c.field(shown)->SetValue(name);
        wxCommandEvent enter(wxEVT_TEXT_ENTER, c.field(shown)->GetId());
        enter.SetEventObject(c.field(shown));
        c.field(shown)->ProcessWindowEvent(enter);
        if (shown->IsModal()) shown->EndModal(wxID_CANCEL);
      });
      std::unique_ptr<wxDialog> fresh(c.make());
      shown = fresh.get();
      ModalWatchdog watchdog;
      EXPECT_EQ(fresh->ShowModal(), name[0] == '.' ? wxID_CANCEL : wxID_OK) << name;
    }
  }

  // Derived names: from the local path when the printer path is empty, and
  // from the type the modify dialog is given.
  SetPrinterPathDialog set(frame_, "Edit", "/x/forms/a\nb.frm", "", false);
  EXPECT_EQ(set.faultLine()->GetLabelText(), "The printer refuses 'tqfc/formlib/a?b.frm': it holds a control character.");
  EXPECT_FALSE(set.FindWindow(wxID_OK)->IsEnabled());
  ModifyPrinterNamesDialog modify(frame_, "Edit", [](int type) {
    return type == 2 ? std::string("The printer refuses 'x': it holds a '..' level.") : std::string();
  });
  EXPECT_TRUE(modify.FindWindow(wxID_OK)->IsEnabled());
  pickType(modify.types(), 2);
  EXPECT_EQ(modify.faultLine()->GetLabelText(), "The printer refuses 'x': it holds a '..' level.");
  EXPECT_FALSE(modify.FindWindow(wxID_OK)->IsEnabled());
  pickType(modify.types(), 1);
  EXPECT_TRUE(modify.FindWindow(wxID_OK)->IsEnabled());
}

}  // namespace
