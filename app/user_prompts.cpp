#include "app/user_prompts.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#ifdef __WXGTK__
#include <wx/generic/msgdlgg.h>
#endif
#include <wx/textdlg.h>

#include "app/program_texts.h"

namespace {

// GTK's own message box shows no icon (since GTK 3.22); the toolkit's
// generic one draws the icon theme's error, warning, question and
// information pictures. Elsewhere the system's box shows them.
#ifdef __WXGTK__
using PromptBox = wxGenericMessageDialog;
#else
using PromptBox = wxMessageDialog;
#endif

ScriptedUser* g_script = nullptr;

long iconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error:
      return wxICON_ERROR;
    case MessageIcon::Information:
      return wxICON_INFORMATION;
    case MessageIcon::Question:
      return wxICON_QUESTION;
    case MessageIcon::Warning:
      return wxICON_WARNING;
  }
  return wxICON_ERROR;
}

long buttonStyle(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return wxOK;
    case MessageButtons::OkCancel:
      return wxOK | wxCANCEL;
    case MessageButtons::YesNo:
      return wxYES_NO;
    case MessageButtons::YesNoDefaultNo:
      return wxYES_NO | wxNO_DEFAULT;
  }
  return wxOK;
}

MessageAnswer cautiousAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
      return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo:
      return MessageAnswer::No;
  }
  return MessageAnswer::Ok;
}

ShownPrompt prompt(ShownPrompt::Kind kind, const wxString& caption, const wxString& text,
                   const wxString& filter = wxString()) {
  ShownPrompt p;
  p.kind = kind;
  p.caption = caption;
  p.text = text;
  p.filter = filter;
  return p;
}

template <typename T>
T takeFront(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

}  // namespace

ScriptedUser::ScriptedUser() : previous_(g_script) { g_script = this; }
ScriptedUser::~ScriptedUser() { g_script = previous_; }
ScriptedUser* ScriptedUser::active() { return g_script; }

std::vector<ShownPrompt> ScriptedUser::messages() const {
  std::vector<ShownPrompt> shown;
  for (const ShownPrompt& p : prompts_)
    if (p.kind == ShownPrompt::Kind::Message) shown.push_back(p);
  return shown;
}

MessageAnswer ScriptedUser::nextMessage(const ShownPrompt& prompt) {
  prompts_.push_back(prompt);
  return takeFront(messageAnswers_, cautiousAnswer(prompt.buttons));
}

std::optional<wxString> ScriptedUser::nextText(const ShownPrompt& prompt) {
  prompts_.push_back(prompt);
  return takeFront<std::optional<wxString>>(textAnswers_, std::nullopt);
}

std::optional<wxString> ScriptedUser::nextChooser(const ShownPrompt& prompt) {
  prompts_.push_back(prompt);
  return takeFront<std::optional<wxString>>(chooserAnswers_, std::nullopt);
}

std::optional<ChosenFiles> ScriptedUser::nextFiles(const ShownPrompt& prompt) {
  prompts_.push_back(prompt);
  return takeFront<std::optional<ChosenFiles>>(filesAnswers_, std::nullopt);
}

MessageAnswer showMessage(wxWindow* parent, const wxString& text, MessageIcon icon, MessageButtons buttons,
                          const wxString& caption) {
  const wxString title = caption.empty() ? shortName() : caption;
  if (ScriptedUser* script = ScriptedUser::active()) {
    ShownPrompt shown = prompt(ShownPrompt::Kind::Message, title, text);
    shown.icon = icon;
    shown.buttons = buttons;
    return script->nextMessage(shown);
  }
  PromptBox dialog(parent, text, title, buttonStyle(buttons) | iconStyle(icon) | wxCENTRE);
  switch (dialog.ShowModal()) {
    case wxID_YES:
      return MessageAnswer::Yes;
    case wxID_NO:
      return MessageAnswer::No;
    case wxID_OK:
      return MessageAnswer::Ok;
    default:
      // Closed without a button: as cautious as the buttons allow.
      return cautiousAnswer(buttons);
  }
}

std::optional<wxString> askText(wxWindow* parent, const wxString& message, const wxString& caption,
                                const wxString& initial) {
  if (ScriptedUser* script = ScriptedUser::active())
    return script->nextText(prompt(ShownPrompt::Kind::Text, caption, message));
  wxTextEntryDialog dialog(parent, message, caption, initial, wxOK | wxCANCEL | wxCENTRE);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.GetValue();
}

std::optional<wxString> chooseFolder(wxWindow* parent, const wxString& title, const wxString& startFolder) {
  if (ScriptedUser* script = ScriptedUser::active())
    return script->nextChooser(prompt(ShownPrompt::Kind::Folder, title, startFolder));
  wxDirDialog dialog(parent, title, startFolder, wxDD_DEFAULT_STYLE);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.GetPath();
}

std::optional<wxString> chooseFile(wxWindow* parent, const wxString& title, const wxString& startFolder,
                                   const wxString& filter) {
  if (ScriptedUser* script = ScriptedUser::active())
    return script->nextChooser(prompt(ShownPrompt::Kind::File, title, startFolder, filter));
  wxFileDialog dialog(parent, title, startFolder, wxString(), filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.GetPath();
}

std::optional<wxString> chooseSaveFile(wxWindow* parent, const wxString& title, const wxString& startFolder,
                                       const wxString& defaultName, const wxString& filter) {
  if (ScriptedUser* script = ScriptedUser::active())
    return script->nextChooser(prompt(ShownPrompt::Kind::SaveFile, title, startFolder, filter));
  wxFileDialog dialog(parent, title, startFolder, defaultName, filter, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.GetPath();
}

std::optional<ChosenFiles> chooseFiles(wxWindow* parent, const wxString& title, const wxString& startFolder,
                                       const wxString& filter) {
  if (ScriptedUser* script = ScriptedUser::active())
    return script->nextFiles(prompt(ShownPrompt::Kind::Files, title, startFolder, filter));
  wxFileDialog dialog(parent, title, startFolder, wxString(), filter,
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_MULTIPLE);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  ChosenFiles chosen;
  dialog.GetPaths(chosen.paths);
  // GetDirectory() is the chooser's current folder, which a typed location
  // does not change.
  chosen.folder = chosen.paths.empty() ? dialog.GetDirectory() : wxFileName(chosen.paths[0]).GetPath();
  return chosen;
}
