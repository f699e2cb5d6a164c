#include "app/dialogs/stub_editor.h"

#include <wx/utils.h>

#include "base/sdk_fs.h"

bool openInTextEditor(const std::string& path) {
  static const char* const kEditors[] = {
      "C:\\Windows\\Notepad.exe",
      "C:\\WINNT\\Notepad.exe",
      "C:\\Program Files\\Windows NT\\Accessories\\Wordpad.exe",
  };
  for (const char* editor : kEditors) {
    if (!sdkFileExists(editor)) continue;
    // Passed as its own argument, so a path with blanks stays one file.
    const char* argv[] = {editor, path.c_str(), nullptr};
    return wxExecute(argv, wxEXEC_ASYNC) != 0;
  }
  return false;
}
