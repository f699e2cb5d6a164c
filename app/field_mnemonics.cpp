#include "app/field_mnemonics.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/event.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/window.h>

namespace {

// The mnemonic of a label, upper case (0 when it has none).
int mnemonicOf(const wxString& label) {
  for (std::size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != '&') continue;
    if (label[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<int>(wxToupper(label[i + 1]));
  }
  return 0;
}

wxWindow* fieldAfter(wxWindow* label) {
  for (wxWindow* next = label->GetNextSibling(); next != nullptr; next = next->GetNextSibling()) {
    if (dynamic_cast<wxStaticText*>(next) != nullptr) return nullptr;  // the next label's field
    // Buttons and boxes carry labels of their own.
    const bool labelled = dynamic_cast<wxButton*>(next) != nullptr || dynamic_cast<wxCheckBox*>(next) != nullptr ||
                          dynamic_cast<wxRadioButton*>(next) != nullptr;
    if (!labelled && next->IsShown() && next->AcceptsFocusFromKeyboard()) return next;
  }
  return nullptr;
}

wxWindow* fieldOf(wxWindow* root, int key) {
  for (wxWindow* child : root->GetChildren()) {
    if (!child->IsShown() || child->IsTopLevel()) continue;
    if (dynamic_cast<wxStaticText*>(child) != nullptr && mnemonicOf(child->GetLabel()) == key) {
      if (wxWindow* field = fieldAfter(child)) return field;
    }
    if (wxWindow* found = fieldOf(child, key)) return found;
  }
  return nullptr;
}

}  // namespace

bool focusFieldByMnemonic(wxWindow* root, const wxKeyEvent& event) {
  if (event.GetModifiers() != wxMOD_ALT) return false;
  const int key = event.GetKeyCode();
  if (key > 0xFFFF || !wxIsalnum(static_cast<wxChar>(key))) return false;
  wxWindow* field = fieldOf(root, static_cast<int>(wxToupper(static_cast<wxChar>(key))));
  if (field == nullptr || !field->IsEnabled()) return false;
  field->SetFocus();
  return true;
}

void answerFieldMnemonics(wxWindow* window) {
  window->Bind(wxEVT_CHAR_HOOK, [window](wxKeyEvent& event) {
    if (!focusFieldByMnemonic(window, event)) event.Skip();
  });
}
