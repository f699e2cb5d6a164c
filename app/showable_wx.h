// Text from outside the program (printer and server names, what printers
// and spoolers say) as a window shows it: escaped as base/showable_text.h
// describes, so control bytes never reach a label or list.
#pragma once

#include <wx/string.h>

#include <string_view>

#include "base/showable_text.h"
#include "delivery/app_config.h"

inline wxString showableWx(std::string_view text) { return toWx(showableText(text)); }
