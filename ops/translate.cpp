#include "ops/translate.h"

#include <wx/intl.h>
#include <wx/string.h>

std::string tr(const char* text) {
  return std::string(wxGetTranslation(wxString::FromUTF8(text)).utf8_str());
}
