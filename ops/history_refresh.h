// Bringing the send history up to date: the spooler is asked for the state
// of every job the history holds as not yet finished. Shared by the command
// line's "history refresh" and the desktop's History window.
#pragma once

#include "delivery/send_history.h"

// Asks the local spooler about each unfinished job of history and stores
// the answers; stops at the first one the history cannot store (its
// warning() says why). The number of jobs brought up to date.
int refreshHistoryStates(SendHistory& history);
