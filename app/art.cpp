#include "app/art.h"

#include <cstddef>

#define QM_DECLARE_ART(name)                   \
  extern const unsigned char kSvg_##name[];    \
  extern const std::size_t kSvg_##name##_size;
QM_DECLARE_ART(IDI_APP)
QM_DECLARE_ART(IDI_INSTALL)
QM_DECLARE_ART(IDI_LOAD)
QM_DECLARE_ART(IDI_PRINT)
QM_DECLARE_ART(IDI_REMOVE)
QM_DECLARE_ART(IDI_LIST)
QM_DECLARE_ART(IDI_LEGACY)
QM_DECLARE_ART(IDI_FONT)
QM_DECLARE_ART(IDB_HELP)
QM_DECLARE_ART(IDB_ADD)
QM_DECLARE_ART(IDB_DELETE)
QM_DECLARE_ART(IDB_EDIT)
QM_DECLARE_ART(IDB_ADD_LOCAL)
QM_DECLARE_ART(IDB_COPY)
#undef QM_DECLARE_ART

namespace {

struct ArtEntry {
  const char* name;
  const unsigned char* svg;
  const std::size_t* size;
  int side;
};

#define QM_ART(name, side) {#name, kSvg_##name, &kSvg_##name##_size, side}
// In the order of the Art enumeration.
const ArtEntry kArt[] = {
    QM_ART(IDI_APP, 32),    QM_ART(IDI_INSTALL, 32), QM_ART(IDI_LOAD, 32),   QM_ART(IDI_PRINT, 32),
    QM_ART(IDI_REMOVE, 32), QM_ART(IDI_LIST, 32),    QM_ART(IDI_LEGACY, 32), QM_ART(IDI_FONT, 32),
    QM_ART(IDB_HELP, 16),   QM_ART(IDB_ADD, 16),     QM_ART(IDB_DELETE, 16), QM_ART(IDB_EDIT, 16),
    QM_ART(IDB_ADD_LOCAL, 16), QM_ART(IDB_COPY, 16),
};
#undef QM_ART

const ArtEntry& entry(Art art) { return kArt[static_cast<int>(art)]; }

}  // namespace

const char* artName(Art art) { return entry(art).name; }

wxBitmapBundle artBundle(Art art) {
  const int side = entry(art).side;
  return artBundle(art, wxSize(side, side));
}

wxBitmapBundle artBundle(Art art, const wxSize& size) {
  const ArtEntry& e = entry(art);
  // The SVG parser works on its own copy of the text.
  return wxBitmapBundle::FromSVG(e.svg, *e.size, size);
}

wxIconBundle programIcons() {
  const wxBitmapBundle bundle = artBundle(Art::App);
  wxIconBundle icons;
  for (int side : {16, 24, 32, 48, 64}) {
    wxIcon icon;
    icon.CopyFromBitmap(bundle.GetBitmap(wxSize(side, side)));
    icons.AddIcon(icon);
  }
  return icons;
}
