#include "app/file_filters.h"

#include <wx/intl.h>

wxString allFilesFilter() {
#ifdef __WINDOWS__
  const wxString pattern = "*.*";
#else
  const wxString pattern = "*";
#endif
  return wxString::Format(_("All Files (%s)|%s"), pattern, pattern);
}

wxString withAllFiles(const wxString& filter) { return filter + "|" + allFilesFilter(); }
