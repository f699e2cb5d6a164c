// The interpreter dialog: what it shows, what OK stores and refuses,
// Cancel after Browse, the stub editor, and Escape.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <fstream>

#include "app/dialogs/interpreter_dialog.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "gui_harness.h"

namespace fs = std::filesystem;

namespace {

class InterpreterDialogTest : public AppTest {
 protected:
  int runModal(const std::function<void(InterpreterDialog&)>& drive) {
    return ::runModal<InterpreterDialog>(drive);
  }
};

TEST_F(InterpreterDialogTest, ShowsTheStoredChoice) {
  writeConfig("useBuiltin=1\nkoroCore=/opt/tessel\nkoroStub=/s/stub.ps\nincludeLUS=1\n", false);
  runModal([&](InterpreterDialog& dialog) {
    EXPECT_EQ(dialog.GetTitle(), "Select Tessel");
    EXPECT_TRUE(dialog.builtinButton()->GetValue());
    EXPECT_FALSE(dialog.installedButton()->GetValue());
    EXPECT_EQ(dialog.installedButton()->GetId(), kIdUseInstalled);
    EXPECT_EQ(dialog.builtinButton()->GetId(), kIdUseBuiltin);
    EXPECT_EQ(dialog.folderField()->GetId(), kIdTesselFolder);
    EXPECT_EQ(dialog.stubField()->GetId(), kIdStubFile);
    EXPECT_EQ(dialog.folderField()->path(), "/opt/tessel");
    EXPECT_EQ(dialog.stubField()->path(), "/s/stub.ps");
    EXPECT_TRUE(dialog.lustrineBox()->GetValue());
    EXPECT_TRUE(dialog.folderField()->IsEnabled());
    EXPECT_TRUE(dialog.stubField()->IsEnabled());
    EXPECT_EQ(dialog.FindWindow(kIdEditStub)->GetLabel(), "&Edit Stub File...");
    screenshot(&dialog, "interpreter-dialog");
  });
}

TEST_F(InterpreterDialogTest, EmptyPathOfTheChosenKindKeepsTheDialogOpen) {
  writeConfig("useBuiltin=1\nkoroCore=\nkoroStub=\n", false);
  const std::string before = configText();
  int result = runModal([&](InterpreterDialog& dialog) {
    pressButton(dialog.FindWindow(kIdInterpreterOk));
    EXPECT_TRUE(dialog.IsModal()) << "still open";
    // Installed chosen with a stub but no folder: the folder message.
    dialog.installedButton()->SetValue(true);
    dialog.stubField()->setPath("/s/stub.ps");
    pressButton(dialog.FindWindow(kIdInterpreterOk));
    EXPECT_TRUE(dialog.IsModal()) << "still open";
    // A folder that is not there, or holds no Tessel: said now, not at Install.
    dialog.folderField()->setPath(wxString::FromUTF8(scratch_ + "/nowhere"));
    pressButton(dialog.FindWindow(kIdInterpreterOk));
    dialog.folderField()->setPath(wxString::FromUTF8(scratch_));
    pressButton(dialog.FindWindow(kIdInterpreterOk));
    EXPECT_TRUE(dialog.IsModal()) << "still open";
  });
  EXPECT_EQ(result, wxID_CANCEL);
  const auto messages = user_.messages();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[2].text, "The Tessel folder does not exist.\n\n" + scratch_ + "/nowhere");
  EXPECT_EQ(messages[3].text,
            "The folder holds no Tessel: its start-up file src/tqfdos.run is missing.\n\n" + scratch_);
  EXPECT_EQ(messages[0].caption, "KORO Stub Path");
  EXPECT_EQ(messages[0].text, "Please provide a path to the stub file.");
  EXPECT_EQ(messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(messages[1].caption, "Tessel Path");
  EXPECT_EQ(messages[1].text, "Please provide a path to the Tessel.");
  EXPECT_EQ(configText(), before) << "nothing stored";
}

TEST_F(InterpreterDialogTest, OkStoresAllFourSettings) {
  writeConfig("useBuiltin=1\nkoroStub=/old/stub.ps\n", false);
  const std::string tessel = scratch_ + "/tessel";
  fs::create_directories(tessel + "/src");
  std::ofstream(tessel + "/src/tqfunix.run") << "%!PS\n";
  int result = runModal([&](InterpreterDialog& dialog) {
    dialog.installedButton()->SetValue(true);
    dialog.folderField()->setPath(wxString::FromUTF8(tessel));
    dialog.stubField()->setPath("");
    dialog.lustrineBox()->SetValue(true);
    clickWithMouse(dialog.FindWindow(kIdInterpreterOk));
  });
  EXPECT_EQ(result, wxID_OK);
  EXPECT_EQ(configValue("useBuiltin"), "0");
  EXPECT_EQ(configValue("koroCore"), tessel);
  EXPECT_NE(configText().find("koroStub=\n"), std::string::npos) << "written even when empty";
  EXPECT_EQ(configValue("includeLUS"), "1");
}

TEST_F(InterpreterDialogTest, CancelAfterBrowseKeepsTheBrowsedFolder) {
  writeConfig("koroCore=/old\n", false);
  user_.answerChooser(wxString("/opt/browsed"));
  int result = runModal([&](InterpreterDialog& dialog) {
    pressButton(dialog.folderField()->browseButton());
    EXPECT_EQ(dialog.folderField()->path(), "/opt/browsed");
    clickWithMouse(dialog.FindWindow(wxID_CANCEL));
  });
  EXPECT_EQ(result, wxID_CANCEL);
  EXPECT_EQ(configValue("koroCore"), "/opt/browsed");
}

TEST_F(InterpreterDialogTest, EscapeClosesTheDialog) {
  writeConfig();
  int result = runModal([&](InterpreterDialog& dialog) {
    dialog.FindWindow(kIdInterpreterOk)->SetFocus();
    pump(50);
    wxUIActionSimulator keys;
    keys.Char(WXK_ESCAPE);
    pumpUntil([&] { return !dialog.IsModal(); }, 3000);
  });
  EXPECT_EQ(result, wxID_CANCEL);
}

class StubEditorTest : public InterpreterDialogTest {
 protected:
  // A program that records its arguments in <scratch>/<name>.args.
  std::string recorder(const std::string& folder, const std::string& name) {
    fs::create_directories(folder);
    const std::string path = folder + "/" + name;
    std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" << scratch_ << "/" << name
                        << ".args'\n";
    fs::permissions(path, fs::perms::owner_all);
    return path;
  }
  std::string recorded(const std::string& name) {
    const std::string path = scratch_ + "/" + name + ".args";
    pumpUntil([&] { return fs::exists(path) && fs::file_size(path) > 0; }, 5000);
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void editWith(const std::string& stubText) {
    runModal([&](InterpreterDialog& dialog) {
      dialog.stubField()->setPath(wxString::FromUTF8(stubText));
      pressButton(dialog.FindWindow(kIdEditStub));
    });
  }
};

TEST_F(StubEditorTest, DefaultApplicationFirstThenVisualThenMessage) {
  writeConfig();
  const std::string stubWithBlank = scratch_ + "/tessel/my stub.ps";
  std::ofstream(stubWithBlank) << "%!PS\n";
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";

  // The desktop's opener takes the file as one argument.
  recorder(scratch_ + "/bin1", "xdg-open");
  setenv("PATH", (scratch_ + "/bin1:/usr/bin:/bin").c_str(), 1);
  editWith(stubWithBlank);
  EXPECT_EQ(recorded("xdg-open"), stubWithBlank + "\n");

  // No opener: $VISUAL.
  const std::string visual = recorder(scratch_ + "/bin2", "visual-editor");
  setenv("PATH", (scratch_ + "/bin2").c_str(), 1);
  setenv("VISUAL", "visual-editor --wait", 1);
  editWith(stubWithBlank);
  EXPECT_EQ(recorded("visual-editor"), "--wait\n" + stubWithBlank + "\n");

  // Nothing to start: the message.
  setenv("VISUAL", "no-such-editor", 1);
  setenv("EDITOR", "/no/such/editor", 1);
  user_.clear();
  editWith(stubWithBlank);
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages()[0].text, "Quaymaster cannot find the appropriate text editor.");
  setenv("PATH", savedPath.c_str(), 1);
  unsetenv("VISUAL");
  unsetenv("EDITOR");
}

TEST_F(StubEditorTest, MissingOrEmptyStubPath) {
  writeConfig();
  editWith("");
  EXPECT_TRUE(user_.messages().empty()) << "an empty field does nothing";
  editWith(scratch_ + "/missing.ps");
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages()[0].text, "The file does not exist.\n\n" + scratch_ + "/missing.ps");
  EXPECT_EQ(user_.messages()[0].caption, "Quaymaster");
}

}  // namespace
