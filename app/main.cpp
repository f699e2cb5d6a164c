// quaymaster: the desktop program.
#include "app/quaymaster_app.h"

wxIMPLEMENT_APP(QuaymasterApp);
