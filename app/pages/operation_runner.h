// Runs one operation of a page the way every page does: the busy cursor
// while the job is built and spooled, the progress window when that takes
// long, then the outcome shown by the host (status line, bell or message
// box).
#pragma once

#include <functional>

#include "app/pages/operation_page.h"

OpResult runOperation(wxWindow* page, PageHost& host, const std::function<OpResult(const OpContext&)>& operation);
