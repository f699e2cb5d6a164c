#include "app/remembered_choosers.h"

#include <wx/filename.h>

#include "app/user_prompts.h"
#include "delivery/app_config.h"

namespace {

wxString rememberedFolder(const char* configKey) {
  std::string folder;
  AppConfig(kAppName).readText(configKey, folder);
  return toWx(folder);
}

void rememberFolder(const char* configKey, const wxString& folder) {
  AppConfig(kAppName).writeText(configKey, fromWx(folder));
}

}  // namespace

std::optional<wxString> chooseFileRemembering(wxWindow* parent, const char* configKey, const wxString& filter) {
  std::optional<wxString> file = chooseFile(parent, _("Browse"), rememberedFolder(configKey), filter);
  if (file) rememberFolder(configKey, wxFileName(*file).GetPath());
  return file;
}

std::optional<wxArrayString> chooseFilesRemembering(wxWindow* parent, const char* configKey,
                                                    const wxString& filter) {
  std::optional<ChosenFiles> files = chooseFiles(parent, _("Browse"), rememberedFolder(configKey), filter);
  if (!files) return std::nullopt;
  // The folder of the files themselves: a location typed into the chooser
  // leaves its current folder elsewhere.
  if (!files->paths.empty()) rememberFolder(configKey, wxFileName(files->paths[0]).GetPath());
  return files->paths;
}
