// The printer groups dialog against a private scheduler: the name rules and
// their messages in order, storing on Add, Apply, OK and the question when
// switching groups, deleting, and large groups kept whole.
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/choice.h>

#include "app/dialogs/printer_groups_dialog.h"
#include "app/window_ids.h"
#include "delivery/printer_groups.h"
#include "delivery/spooler.h"
#include "gui_harness.h"

namespace {

class PrinterGroupsTest : public AppTest {
 protected:
  int runModal(const std::function<void(PrinterGroupsDialog&)>& drive) {
    return ::runModal<PrinterGroupsDialog>(drive);
  }
  void addGroup(PrinterGroupsDialog& dialog, const wxString& name) {
    user_.answerText(name);
    pressButton(dialog.addButton());
  }
  void toggle(PrinterGroupsDialog& dialog, const wxString& printer) {
    wxCheckListBox* list = dialog.printerList();
    const int at = list->FindString(printer);
    ASSERT_NE(at, wxNOT_FOUND) << printer;
    list->Check(static_cast<unsigned>(at), !list->IsChecked(static_cast<unsigned>(at)));
    wxCommandEvent event(wxEVT_CHECKLISTBOX, list->GetId());
    event.SetInt(at);
    event.SetEventObject(list);
    list->ProcessWindowEvent(event);
  }
  void choose(PrinterGroupsDialog& dialog, const wxString& group) {
    wxChoice* choice = dialog.groupChoice();
    choice->SetStringSelection(group);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetString(group);
    event.SetInt(choice->GetSelection());
    event.SetEventObject(choice);
    choice->ProcessWindowEvent(event);
  }
  std::vector<wxString> messageTexts() const {
    std::vector<wxString> texts;
    for (const ShownPrompt& p : user_.messages()) texts.push_back(p.text);
    return texts;
  }
};

TEST_F(PrinterGroupsTest, GroupNameRulesAndTheirMessagesInOrder) {
  startPrinters();
  writeConfig("[printer-groups]\nFloor_2=Tessel_1\n");
  const wxString name32(32, 'a');
  runModal([&](PrinterGroupsDialog& dialog) {
    EXPECT_EQ(dialog.GetTitle(), "Printer Groups");
    addGroup(dialog, name32 + "b");            // 33: too long
    addGroup(dialog, name32 + " b");           // too long and a blank: only the length
    addGroup(dialog, "TESSEL_1");              // a printer in another case
    addGroup(dialog, "floor_2");               // a group in another case
    addGroup(dialog, "two words");             // a blank inside
    addGroup(dialog, " lead");                 // a leading blank
    addGroup(dialog, "dash-name");             // not alphanumeric
    addGroup(dialog, "   ");                   // empty after trimming: no message
    user_.answerText(std::nullopt);            // cancelled prompt: nothing
    pressButton(dialog.addButton());
    EXPECT_EQ(dialog.groupChoice()->GetCount(), 1u);
    addGroup(dialog, name32);                  // exactly 32: accepted
    addGroup(dialog, "Trail_1  \t");           // trailing blanks are dropped
    screenshot(&dialog, "printer-groups-dialog");
    EXPECT_EQ(dialog.groupChoice()->GetCount(), 3u);
    EXPECT_NE(dialog.groupChoice()->FindString("Trail_1", true), wxNOT_FOUND);
  });
  const std::vector<wxString> expected = {
      "Please limit the printer group name to at most 32 characters.",
      "Please limit the printer group name to at most 32 characters.",
      "Group name cannot be the same as a printer name.\n\nTESSEL_1",
      "The group already exists.\n\nfloor_2",
      "Printer group name may only contain underscore, and alphanumeric characters.",
      "Printer group name may only contain underscore, and alphanumeric characters.",
      "Printer group name may only contain underscore, and alphanumeric characters.",
  };
  EXPECT_EQ(messageTexts(), expected);
  for (const ShownPrompt& p : user_.messages()) {
    EXPECT_EQ(p.caption, "Quaymaster");
    EXPECT_EQ(p.icon, MessageIcon::Error);
  }
  const auto prompts = user_.prompts();
  ASSERT_FALSE(prompts.empty());
  EXPECT_EQ(prompts[0].kind, ShownPrompt::Kind::Text);
  EXPECT_EQ(prompts[0].caption, "Add Group");
  EXPECT_EQ(prompts[0].text, "Enter the name of the new printer group.");
  // Added groups are stored at once, empty, although the dialog was cancelled.
  const std::string text = configText();
  EXPECT_NE(text.find(std::string(32, 'a') + "=\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Trail_1=\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Floor_2=Tessel_1"), std::string::npos) << text;
}

TEST_F(PrinterGroupsTest, SwitchingAsksOnlyAboutRealChangesAndNoKeepsTheStoredValue) {
  startPrinters();
  writeConfig("[printer-groups]\nAlpha=Tessel_1\nBeta=\n");
  runModal([&](PrinterGroupsDialog& dialog) {
    // Sorted choice; the first group is shown with its members ticked.
    EXPECT_EQ(dialog.groupChoice()->GetString(0), "Alpha");
    EXPECT_EQ(dialog.currentGroup(), "Alpha");
    EXPECT_TRUE(dialog.printerList()->IsChecked(dialog.printerList()->FindString("Tessel_1")));
    EXPECT_FALSE(dialog.applyButton()->IsEnabled());

    // Tick and untick: Apply is enabled, but switching asks nothing.
    toggle(dialog, "Tessel_2");
    EXPECT_TRUE(dialog.applyButton()->IsEnabled());
    toggle(dialog, "Tessel_2");
    choose(dialog, "Beta");
    EXPECT_TRUE(user_.messages().empty());
    EXPECT_FALSE(dialog.applyButton()->IsEnabled()) << "a switch disables Apply";

    // A real change asks once; No drops it.
    toggle(dialog, "Tessel_2");
    user_.answerMessage(MessageAnswer::No);
    choose(dialog, "Alpha");
    ASSERT_EQ(user_.messages().size(), 1u);
    EXPECT_EQ(user_.messages()[0].text, "Do you want to keep the changes made to the printer group.\n\nBeta");
    EXPECT_EQ(user_.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(user_.messages()[0].icon, MessageIcon::Question);
    EXPECT_EQ(configValue("Beta"), "");

    // Yes keeps it.
    toggle(dialog, "Tessel_2");
    user_.answerMessage(MessageAnswer::Yes);
    choose(dialog, "Beta");
    EXPECT_EQ(configValue("Alpha"), "Tessel_1,Tessel_2");

    // Check All / Uncheck All and Apply.
    pressButton(dialog.checkAllButton());
    EXPECT_TRUE(dialog.applyButton()->IsEnabled());
    pressButton(dialog.applyButton());
    EXPECT_FALSE(dialog.applyButton()->IsEnabled());
    EXPECT_EQ(configValue("Beta"), "Tessel_1,Tessel_2");
    pressButton(dialog.uncheckAllButton());
  });
  EXPECT_EQ(configValue("Beta"), "Tessel_1,Tessel_2") << "Cancel drops unapplied ticks";
}

TEST_F(PrinterGroupsTest, DeletingTheLastGroupDisablesThePrinterList) {
  startPrinters();
  writeConfig("[printer-groups]\nOnly=Tessel_1\n");
  runModal([&](PrinterGroupsDialog& dialog) {
    EXPECT_TRUE(dialog.printerList()->IsEnabled());
    // Cancel in the question keeps the group.
    pressButton(dialog.deleteButton());
    EXPECT_EQ(dialog.groupChoice()->GetCount(), 1u);
    user_.answerMessage(MessageAnswer::Ok);
    pressButton(dialog.deleteButton());
    EXPECT_EQ(dialog.groupChoice()->GetCount(), 0u);
    EXPECT_FALSE(dialog.printerList()->IsEnabled());
    EXPECT_FALSE(dialog.checkAllButton()->IsEnabled());
    EXPECT_FALSE(dialog.uncheckAllButton()->IsEnabled());
    EXPECT_FALSE(dialog.applyButton()->IsEnabled());
    EXPECT_FALSE(dialog.printerList()->IsChecked(0));
    // Adding a group brings them back.
    addGroup(dialog, "Again");
    EXPECT_TRUE(dialog.printerList()->IsEnabled());
    EXPECT_TRUE(dialog.checkAllButton()->IsEnabled());
    EXPECT_TRUE(dialog.uncheckAllButton()->IsEnabled());
  });
  const auto messages = user_.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, "Are you sure you want to delete the selected printer group?\n\nOnly");
  EXPECT_EQ(messages[0].buttons, MessageButtons::OkCancel);
  EXPECT_EQ(configText().find("Only="), std::string::npos);
  EXPECT_NE(configText().find("Again="), std::string::npos);
}

TEST_F(PrinterGroupsTest, OkKeepsNamesSizeAndTicks) {
  startPrinters();
  writeConfig("[printer-groups]\nB_group=\nA_group=\n");
  int result = runModal([&](PrinterGroupsDialog& dialog) {
    dialog.SetSize(560, 520);
    toggle(dialog, "Tessel_2");
    pressButton(dialog.FindWindow(wxID_OK));
  });
  EXPECT_EQ(result, wxID_OK);
  EXPECT_EQ(configValue("pg"), "A_group,B_group");
  EXPECT_EQ(configValue("pg_width"), "560");
  EXPECT_EQ(configValue("pg_height"), "520");
  EXPECT_EQ(configValue("A_group"), "Tessel_2");
  // The next dialog opens at the stored size.
  runModal([&](PrinterGroupsDialog& dialog) {
    EXPECT_EQ(dialog.GetSize(), wxSize(560, 520));
  });
}

TEST_F(PrinterGroupsTest, WithoutPrintersThePlaceholderIsTheOnlyCheckableEntry) {
  writeConfig("[printer-groups]\nG=\n");
  runModal([&](PrinterGroupsDialog& dialog) {
    ASSERT_EQ(dialog.printerList()->GetCount(), 1u);
    EXPECT_EQ(dialog.printerList()->GetString(0), kNoPrintersAvailable);
    toggle(dialog, kNoPrintersAvailable);
    pressButton(dialog.applyButton());
  });
  EXPECT_EQ(configValue("G"), kNoPrintersAvailable);
}

TEST_F(PrinterGroupsTest, EveryMemberOfALargeGroupIsKept) {
  // 500 printers with 40-character names: 20,000 characters of members, all
  // stored (a list cut short sent a group job to a tenth of the group).
  std::vector<std::string> names;
  for (int i = 0; i < 500; ++i) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "P%03d_", i);
    names.push_back(prefix + std::string(35, 'x'));
  }
  startPrinters(names);
  writeConfig("[printer-groups]\nBig=\n");
  runModal([&](PrinterGroupsDialog& dialog) {
    pressButton(dialog.checkAllButton());
    pressButton(dialog.applyButton());
  });
  const std::vector<std::string> members = ReadPrinterGroup("Big");
  ASSERT_EQ(members.size(), 502u) << "the 500, Tessel_1 and Tessel_2";
  EXPECT_EQ(members[499], names[499]);
}

}  // namespace

namespace {

TEST_F(PrinterGroupsTest, NumberOrderAndMembersNoLongerInstalledShownAndRemovable) {
  startPrinters({"Q10", "Q2"});
  writeConfig("[printer-groups]\nFloor_2=Tessel_1,Gone_1,Tessel_2\nEast=Gone_1\n");
  runModal([&](PrinterGroupsDialog& dialog) {
    choose(dialog, "Floor_2");
    wxCheckListBox* list = dialog.printerList();
    EXPECT_EQ(list->GetString(0), "Q2");
    EXPECT_EQ(list->GetString(1), "Q10");
    const int gone = list->FindString("Gone_1 (missing)");
    ASSERT_NE(gone, wxNOT_FOUND) << "a member that is not installed is shown, marked";
    EXPECT_TRUE(list->IsChecked(static_cast<unsigned>(gone)));
    EXPECT_TRUE(list->IsChecked(static_cast<unsigned>(list->FindString("Tessel_1"))));
    toggle(dialog, "Gone_1 (missing)");
    user_.answerMessage(MessageAnswer::Yes);  // keep the change
    choose(dialog, "East");
    EXPECT_NE(list->FindString("Gone_1 (missing)"), wxNOT_FOUND) << "East still holds it";
    pressButton(dialog.FindWindow(wxID_CANCEL));
  });
  EXPECT_EQ(configValue("Floor_2"), "Tessel_1,Tessel_2");
  EXPECT_EQ(configValue("East"), "Gone_1") << "kept while it is checked";
}

}  // namespace

TEST_F(PrinterGroupsTest, GroupsHoldTheQueuesOfServersAndDirectPrinters) {
  startPrinters();
  // The other server: a scheduler of its own, reached over TCP.
  std::string error, jobs;
  std::unique_ptr<PrivateCups> remote = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, "", error, true);
  ASSERT_TRUE(remote) << error;
  ASSERT_TRUE(remote->addCapture("Far_1", jobs)) << remote->lastError();
  const std::string server = "127.0.0.1:" + std::to_string(remote->tcpPort());
  const std::string far = "Far_1@" + server;
  writeConfig("[print-servers]\nservers=" + server + "\n[direct-printers]\nPress_9=socket://127.0.0.1:9\n" +
              "[printer-groups]\nMixed=Press_9," + far + ",Gone,Tessel_1\n");
  const auto entries = [](PrinterGroupsDialog& dialog) {
    std::vector<std::string> shown;
    for (unsigned i = 0; i < dialog.printerList()->GetCount(); ++i)
      shown.push_back((dialog.printerList()->IsChecked(i) ? "[x] " : "[ ] ") + dialog.printerList()->GetString(i).ToStdString());
    return shown;
  };

  // Asked by the dialog itself: local printers, the server's queue, the
  // direct printer, then the member that is none of them.
  runModal([&](PrinterGroupsDialog& dialog) {
    EXPECT_EQ(entries(dialog), (std::vector<std::string>{"[x] Tessel_1", "[ ] Tessel_2", "[x] " + far, "[x] Press_9",
                                                         "[x] Gone (missing)"}));
    screenshot(&dialog, "printer-groups-remote-members");
    toggle(dialog, "Tessel_2");
    pressButton(dialog.applyButton());
  });
  EXPECT_EQ(configValue("Mixed"), "Tessel_1,Tessel_2," + far + ",Press_9,Gone");

  // Given the main window's list, the dialog asks no server: what the
  // list leaves out is a missing member.
  whenDialogShown([&](wxTopLevelWindow* shown) {
    auto& dialog = *static_cast<PrinterGroupsDialog*>(shown);
    EXPECT_EQ(entries(dialog), (std::vector<std::string>{"[x] Tessel_1", "[x] Tessel_2", "[ ] Q@print-9", "[x] Press_9",
                                                         "[x] " + far + " (missing)", "[x] Gone (missing)"}));
    dialog.EndModal(wxID_CANCEL);
  });
  PrinterGroupsDialog given(nullptr, std::vector<std::string>{"Q@print-9", "Press_9", "tessel_1"});
  ModalWatchdog watchdog;
  given.ShowModal();
}
