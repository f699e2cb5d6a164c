// Field mnemonics: Alt with the underlined letter of a text that names a
// field moves the keyboard focus into that field.
//
// Buttons, check boxes and radio buttons answer their own mnemonics. A text
// label does not on GTK: it names no widget of its own, so the window that
// holds it answers for it. The field a label names is the next control
// after it in the same parent that takes the focus.
#pragma once

class wxKeyEvent;
class wxWindow;

// True, with the focus moved, when the key is Alt with the mnemonic of a
// shown label below root whose field is enabled.
bool focusFieldByMnemonic(wxWindow* root, const wxKeyEvent& event);

// The window (a dialog, say) answers the mnemonics of its labels from now.
void answerFieldMnemonics(wxWindow* window);
