// The program's own names and the texts every window shares.
//
// The short name captions every message box, the full name titles the main
// window and the About box; the placeholder and the group prefix come from
// delivery (the destination list and SendJob must agree on them).
#pragma once

#include <wx/string.h>

inline constexpr char kShortName[] = "Quaymaster";
inline constexpr char kFullName[] = "Brightway Quaymaster";
inline constexpr char kProgramVersion[] = "11.0";
inline constexpr char kNoticeLine[] = "Copyright (C) Brightway Systems. All rights reserved.";

wxString shortName();
wxString fullName();

// The destination text as the list shows it for a group.
wxString groupEntry(const wxString& groupName);
