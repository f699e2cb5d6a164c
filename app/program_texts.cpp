#include "app/program_texts.h"

#include "delivery/send_job.h"

wxString shortName() { return kShortName; }
wxString fullName() { return kFullName; }

wxString groupEntry(const wxString& groupName) { return wxString(kGroupMarker) + groupName; }
