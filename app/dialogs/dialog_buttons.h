// The "OK" and "Cancel" row at the bottom of the small dialogs, right
// aligned; OK is the default button and both end the dialog.
//
// The printer path dialogs also show, under the name they take, why the
// printer would refuse that name; their OK is disabled while it would,
// so that such a name never reaches a list.
#pragma once

#include <functional>
#include <string>

class wxDialog;
class wxSizer;
class wxStaticText;
class wxTextCtrl;
class wxWindow;

wxSizer* okCancelRow(wxDialog* dialog);

// Why the printer would refuse one of the names a choice of type (-1: the
// program's rule) derives; empty when it takes them all.
using DerivedNamesRefusal = std::function<std::string(int typeIndex)>;

// The line that names a printer name's fault, empty at first.
wxStaticText* newNameFaultLine(wxWindow* parent);
// Shows refusal on the line (empty: the name is fine) and enables the
// dialog's OK only when there is none.
void showNameFault(wxDialog* dialog, wxStaticText* line, const std::string& refusal);
// Enter in a field of the dialog: OK as if clicked, unless it is disabled.
void pressDefaultButton(wxDialog* dialog);
// check runs whenever the field's text changes; Enter in it is OK.
void checkWhileTyped(wxDialog* dialog, wxTextCtrl* field, const std::function<void()>& check);
// check runs whenever a radio button or a choice of the dialog changes.
void checkOnChoice(wxDialog* dialog, const std::function<void()>& check);
