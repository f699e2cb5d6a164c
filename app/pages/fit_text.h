// Long labels on narrow pages: a text broken into lines at blanks so that
// each line fits a width in a window's font. Labels that fit stay as they
// are, so wider windows and smaller fonts show them on one line.
#pragma once

#include <wx/string.h>

class wxWindow;

wxString breakToFit(const wxString& text, const wxWindow& font, int width);
