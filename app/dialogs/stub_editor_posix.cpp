#include "app/dialogs/stub_editor.h"

#include <wx/cmdline.h>
#include <wx/filefn.h>
#include <wx/utils.h>

#include <vector>

#include "delivery/app_config.h"

namespace {

// Starts the editor command (program and its own arguments) on the file.
bool startEditor(const wxString& command, const std::string& path) {
  wxArrayString words = wxCmdLineParser::ConvertStringToArgs(command, wxCMD_LINE_SPLIT_UNIX);
  if (words.empty()) return false;
  wxString program = words[0];
  if (!program.Contains("/")) {
    wxString found;
    wxString searchPath;
    if (!wxGetEnv("PATH", &searchPath) || !wxFindFileInPath(&found, searchPath, program)) return false;
    program = found;
  } else if (!wxFileExists(program)) {
    return false;
  }
  std::vector<std::string> args{fromWx(program)};
  for (std::size_t i = 1; i < words.size(); ++i) args.push_back(fromWx(words[i]));
  args.push_back(path);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  return wxExecute(argv.data(), wxEXEC_ASYNC) > 0;
}

}  // namespace

bool openInTextEditor(const std::string& path) {
  if (wxLaunchDefaultApplication(toWx(path))) return true;
  for (const char* variable : {"VISUAL", "EDITOR"}) {
    wxString command;
    if (wxGetEnv(variable, &command) && startEditor(command, path)) return true;
  }
  return false;
}
