// Every user-visible text passes through the toolkit's translation lookup.
// The program ships no catalogue, so the English texts are what users see
// unless a catalogue is installed for their language.
#pragma once

#include <string>

std::string tr(const char* text);
