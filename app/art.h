// The program's drawings: the operation icons (IDI_*) and the small button
// bitmaps (IDB_*), compiled in as SVG and handed out as bitmap bundles, so
// they stay sharp at every display scale and need no masks.
#pragma once

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

enum class Art {
  App,      // IDI_APP: the program
  Install,  // IDI_INSTALL
  Load,     // IDI_LOAD
  Print,    // IDI_PRINT
  Remove,   // IDI_REMOVE
  List,     // IDI_LIST
  Legacy,   // IDI_LEGACY
  Font,     // IDI_FONT
  Help,     // IDB_HELP: the information buttons
  Add,      // IDB_ADD
  Delete,   // IDB_DELETE
  Edit,     // IDB_EDIT
  AddLocal, // IDB_ADD_LOCAL
  Copy,     // IDB_COPY
};

// The resource name of a drawing ("IDI_INSTALL").
const char* artName(Art art);

// The drawing at its natural size: 32 by 32 for IDI_*, 16 by 16 for IDB_*.
wxBitmapBundle artBundle(Art art);
wxBitmapBundle artBundle(Art art, const wxSize& size);

// The program icon at the sizes window managers and task bars ask for.
wxIconBundle programIcons();
