// The "OK" and "Cancel" row at the bottom of the small dialogs, right
// aligned; OK is the default button and both end the dialog.
#pragma once

class wxDialog;
class wxSizer;

wxSizer* okCancelRow(wxDialog* dialog);
