#include "app/pages/fit_text.h"

#include <wx/tokenzr.h>
#include <wx/window.h>

wxString breakToFit(const wxString& text, const wxWindow& font, int width) {
  if (width <= 0 || font.GetTextExtent(text).x <= width) return text;
  wxString out, line;
  wxStringTokenizer words(text, " ", wxTOKEN_STRTOK);
  while (words.HasMoreTokens()) {
    const wxString word = words.GetNextToken();
    const wxString longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && font.GetTextExtent(longer).x > width) {
      out += line + "\n";
      line = word;
    } else {
      line = longer;
    }
  }
  return out + line;
}
