// Tests that run jobs on the simulated printer need Ghostscript. The
// Windows build is tested where there is none (under Wine): there such a
// test skips itself and says why. Elsewhere a missing Ghostscript is a
// broken test machine, and the test fails as it would.
#pragma once

#include <gtest/gtest.h>

#include "tools/printer_sim/printer_simulator.h"

#ifdef _WIN32
#define QM_REQUIRE_GHOSTSCRIPT()                                                                          \
  do {                                                                                                    \
    static const bool available = ghostscriptAvailable();                                                 \
    if (!available) GTEST_SKIP() << "needs Ghostscript (" << defaultGhostscript() << "), not found here"; \
  } while (0)
#else
#define QM_REQUIRE_GHOSTSCRIPT() (void)0
#endif
