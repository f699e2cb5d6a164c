// Filter texts of the file choosers. "All Files" must also offer files
// without an extension: "*.*" does so on Windows only; elsewhere it asks
// for a dot, so there the pattern is "*".
#pragma once

#include <wx/string.h>

// "All Files (<pattern>)|<pattern>", to stand alone or end a longer filter.
wxString allFilesFilter();
// The filter given, with "All Files" as its last choice.
wxString withAllFiles(const wxString& filter);
