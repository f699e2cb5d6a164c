// Every question the program puts to the user goes through these
// functions: message boxes, the one-line text prompt, and the file and
// folder choosers.
//
// Normally each shows the toolkit's modal dialog and returns the answer.
// While a ScriptedUser exists (tests, benchmarks), nothing is shown: each
// prompt is recorded with its caption, icon, buttons and text, and answered
// from the script, or with the cautious answer (OK when that is the only
// button, else Cancel or No; chooser and text prompt cancelled) when the
// script holds none.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <deque>
#include <optional>
#include <vector>

class wxWindow;

enum class MessageIcon { Error, Information, Question, Warning };
// YesNoDefaultNo: Yes and No with No as the default button, for questions
// whose Yes does something the user may regret.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoDefaultNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// A message box; the caption is the short name unless given.
MessageAnswer showMessage(wxWindow* parent, const wxString& text, MessageIcon icon = MessageIcon::Error,
                          MessageButtons buttons = MessageButtons::Ok, const wxString& caption = wxString());

// A text entry dialog with OK and Cancel; nothing when cancelled.
std::optional<wxString> askText(wxWindow* parent, const wxString& message, const wxString& caption,
                                const wxString& initial = wxString());

// A folder chooser starting in startFolder; nothing when cancelled.
std::optional<wxString> chooseFolder(wxWindow* parent, const wxString& title, const wxString& startFolder);

// An open-file chooser (the file must exist) starting in startFolder, with
// an empty default name; nothing when cancelled.
std::optional<wxString> chooseFile(wxWindow* parent, const wxString& title, const wxString& startFolder,
                                   const wxString& filter);

// A save-file chooser (asking before a file is replaced) starting in
// startFolder with defaultName; nothing when cancelled.
std::optional<wxString> chooseSaveFile(wxWindow* parent, const wxString& title, const wxString& startFolder,
                                       const wxString& defaultName, const wxString& filter);

// The same for several files at once. The chosen folder comes back too.
struct ChosenFiles {
  wxArrayString paths;
  wxString folder;
};
std::optional<ChosenFiles> chooseFiles(wxWindow* parent, const wxString& title, const wxString& startFolder,
                                       const wxString& filter);

// One prompt as it would have been shown.
struct ShownPrompt {
  enum class Kind { Message, Text, Folder, File, Files, SaveFile };
  Kind kind = Kind::Message;
  wxString caption;  // caption or chooser title
  wxString text;     // message text, or the chooser's start folder
  MessageIcon icon = MessageIcon::Error;
  MessageButtons buttons = MessageButtons::Ok;
  wxString filter;
};

class ScriptedUser {
 public:
  ScriptedUser();
  ~ScriptedUser();
  ScriptedUser(const ScriptedUser&) = delete;
  ScriptedUser& operator=(const ScriptedUser&) = delete;

  // Answers for the next prompts of each kind, in order.
  void answerMessage(MessageAnswer answer) { messageAnswers_.push_back(answer); }
  void answerText(std::optional<wxString> text) { textAnswers_.push_back(std::move(text)); }
  void answerChooser(std::optional<wxString> path) { chooserAnswers_.push_back(std::move(path)); }
  void answerFiles(std::optional<ChosenFiles> files) { filesAnswers_.push_back(std::move(files)); }

  const std::vector<ShownPrompt>& prompts() const { return prompts_; }
  // The message boxes only, in order.
  std::vector<ShownPrompt> messages() const;
  void clear() { prompts_.clear(); }

  // Used by the prompt functions.
  static ScriptedUser* active();
  MessageAnswer nextMessage(const ShownPrompt& prompt);
  std::optional<wxString> nextText(const ShownPrompt& prompt);
  std::optional<wxString> nextChooser(const ShownPrompt& prompt);
  std::optional<ChosenFiles> nextFiles(const ShownPrompt& prompt);

 private:
  ScriptedUser* previous_;
  std::vector<ShownPrompt> prompts_;
  std::deque<MessageAnswer> messageAnswers_;
  std::deque<std::optional<wxString>> textAnswers_;
  std::deque<std::optional<wxString>> chooserAnswers_;
  std::deque<std::optional<ChosenFiles>> filesAnswers_;
};
