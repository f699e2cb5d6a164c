// Opens the stub file in a text editor without waiting for it.
//
// Windows: the first of the system's Notepad and WordPad programs that
// exists. Elsewhere: the desktop's default application for the file, else
// the editor named by $VISUAL, else by $EDITOR. False when none started.
#pragma once

#include <string>

bool openInTextEditor(const std::string& path);
