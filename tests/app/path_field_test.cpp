// PathField: the change event on Enter, on a drop and after Browse, and
// what Browse remembers under its configuration key.
#include <wx/button.h>
#include <wx/dnd.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include "app/path_field.h"
#include "app/window_ids.h"
#include "gui_harness.h"

namespace {

class PathFieldTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    writeConfig("lastProjDir=/srv/projects/old.kpf\n");
    frame_ = new wxFrame(nullptr, wxID_ANY, "path field");
    frame_->Bind(PathChanged, [this](wxCommandEvent& event) {
      changes_.push_back(event.GetId());
      texts_.push_back(event.GetString());
    });
  }

  PathField* makeField(PathKind kind, bool remembersFile) {
    auto* field = new PathField(frame_, 207, "Enter the full path", "", "lastProjDir", "Browse", "All Files (*.*)|*.*",
                                kind, remembersFile);
    frame_->Show();
    pump(50);
    return field;
  }

  wxFrame* frame_ = nullptr;
  std::vector<int> changes_;
  std::vector<wxString> texts_;
};

TEST_F(PathFieldTest, EnterPostsChangeOnlyWithText) {
  PathField* field = makeField(PathKind::File, false);
  EXPECT_EQ(field->textField()->GetId(), kIdPathText);
  EXPECT_EQ(field->browseButton()->GetId(), kIdPathBrowse);
  EXPECT_EQ(field->browseButton()->GetLabel(), "&Browse...");

  wxCommandEvent enter(wxEVT_TEXT_ENTER, kIdPathText);
  enter.SetEventObject(field->textField());
  field->textField()->ProcessWindowEvent(enter);
  pump(20);
  EXPECT_TRUE(changes_.empty()) << "an empty field posts nothing";

  field->textField()->SetFocus();
  field->setPath("/tmp/a.kpf");
  field->textField()->ProcessWindowEvent(enter);
  pump(20);
  ASSERT_EQ(changes_.size(), 1u);
  EXPECT_EQ(changes_[0], 207) << "the event carries the field's id";
  EXPECT_EQ(texts_[0], "/tmp/a.kpf");
}

TEST_F(PathFieldTest, DropPutsFirstFileAndPostsChange) {
  PathField* field = makeField(PathKind::File, false);
  wxArrayString files;
  files.Add("/data/one.kpc");
  files.Add("/data/two.kpc");
  // The drop target the toolkit calls when files are dropped on the field.
  auto* target = dynamic_cast<wxFileDropTarget*>(field->textField()->GetDropTarget());
  ASSERT_NE(target, nullptr);
  EXPECT_TRUE(target->OnDropFiles(5, 5, files));
  pump(20);
  EXPECT_EQ(field->path(), "/data/one.kpc");
  ASSERT_EQ(changes_.size(), 1u);
  EXPECT_EQ(changes_[0], 207);
  ASSERT_NE(dynamic_cast<wxFileDropTarget*>(field->GetDropTarget()), nullptr) << "the whole field takes drops";
}

TEST_F(PathFieldTest, BrowseRemembersFileOrFolderUnderItsKey) {
  // Remembering the file: starts in the remembered file's folder, stores
  // the full path.
  PathField* remembering = makeField(PathKind::File, true);
  user_.answerChooser(wxString("/srv/new/invoice.kpf"));
  pressButton(remembering->browseButton());
  pump(20);
  ASSERT_EQ(user_.prompts().size(), 1u);
  EXPECT_EQ(user_.prompts()[0].kind, ShownPrompt::Kind::File);
  EXPECT_EQ(user_.prompts()[0].caption, "Browse");
  EXPECT_EQ(user_.prompts()[0].text, "/srv/projects") << "the folder of the remembered file";
  EXPECT_EQ(user_.prompts()[0].filter, "All Files (*.*)|*.*");
  EXPECT_EQ(remembering->path(), "/srv/new/invoice.kpf");
  EXPECT_EQ(configValue("lastProjDir"), "/srv/new/invoice.kpf");
  EXPECT_EQ(changes_.size(), 1u);

  // Not remembering the file: starts in the stored value, stores the folder.
  PathField* plain = makeField(PathKind::File, false);
  user_.answerChooser(wxString("/srv/other/b.kpf"));
  pressButton(plain->browseButton());
  EXPECT_EQ(user_.prompts()[1].text, "/srv/new/invoice.kpf");
  EXPECT_EQ(configValue("lastProjDir"), "/srv/other");
  EXPECT_EQ(plain->path(), "/srv/other/b.kpf");

  // A cancelled chooser changes nothing.
  pressButton(plain->browseButton());
  EXPECT_EQ(plain->path(), "/srv/other/b.kpf");
  EXPECT_EQ(configValue("lastProjDir"), "/srv/other");
  EXPECT_EQ(changes_.size(), 2u);
}

TEST_F(PathFieldTest, FolderModeStoresTheChosenFolder) {
  PathField* field = makeField(PathKind::Folder, false);
  user_.answerChooser(wxString("/opt/tessel"));
  pressButton(field->browseButton());
  ASSERT_EQ(user_.prompts().size(), 1u);
  EXPECT_EQ(user_.prompts()[0].kind, ShownPrompt::Kind::Folder);
  EXPECT_EQ(user_.prompts()[0].text, "/srv/projects/old.kpf");
  EXPECT_EQ(field->path(), "/opt/tessel");
  EXPECT_EQ(configValue("lastProjDir"), "/opt/tessel");
  EXPECT_EQ(changes_.size(), 1u);
}

}  // namespace
