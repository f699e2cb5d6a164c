// File choosers that start in the folder stored under a configuration key
// and store the chosen folder there again on OK ("Browse" is their title).
// A cancelled chooser stores nothing.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <optional>

class wxWindow;

std::optional<wxString> chooseFileRemembering(wxWindow* parent, const char* configKey, const wxString& filter);
std::optional<wxArrayString> chooseFilesRemembering(wxWindow* parent, const char* configKey,
                                                    const wxString& filter);
