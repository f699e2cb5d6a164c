#include "app/startup.h"

#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/snglinst.h>
#include <wx/toplevel.h>

#include "app/dialogs/interpreter_dialog.h"
#include "app/help_viewer.h"
#include "app/main_frame.h"
#include "app/program_texts.h"
#include "app/user_prompts.h"
#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "delivery/spooler.h"
#include "krmsdk/krmsdk.h"
#include "ops/desktop_settings.h"

Startup::Startup() = default;

Startup::~Startup() = default;

MainFrame* Startup::frame() const {
  // The frame destroys itself when it closes; only a live one is returned.
  for (wxWindow* window : wxTopLevelWindows)
    if (window == frame_) return frame_;
  return nullptr;
}

Startup::Outcome Startup::run() {
  // 1. The program's names.
  if (wxTheApp != nullptr) {
    wxTheApp->SetAppName(kAppName);
    wxTheApp->SetAppDisplayName(fullName());
  }

  // 2, 4. Only one instance runs; a second one ends silently.
  instance_ = std::make_unique<wxSingleInstanceChecker>();
  const bool second = instance_->Create(kInstanceName) && instance_->IsAnotherRunning();
  // 3. The no-printer placeholder is translated once, now.
  noPrintersSentinel();
  if (second) {
    instance_.reset();
    return Outcome::SecondInstance;
  }

  // 5. No configuration file, no program.
  {
    AppConfig config;
    if (!config.exists()) {
      // Where it was looked for, and how to point the program elsewhere.
      showMessage(nullptr,
                  wxString::Format(_("The configuration file '%s' was not found in the folder '%s'.\n\nPlease "
                                     "re-install the %s application, or name the folder that holds the file in "
                                     "the environment variable %s."),
                                   toWx(config.fileName()), toWx(configFolder(kConfigFileName)), fullName(),
                                   kConfigDirVariable),
                  MessageIcon::Error, MessageButtons::Ok, _("Initialization Failure"));
      return Outcome::NoConfiguration;
    }
    // A file the program cannot read is not one to run on, nor to save
    // the window's settings over when it closes.
    if (!config.problem().empty()) {
      showMessage(nullptr, toWx(config.problem()), MessageIcon::Error, MessageButtons::Ok,
                  _("Initialization Failure"));
      return Outcome::NoConfiguration;
    }
  }

  // 6. The root folder is the working folder.
  wxSetWorkingDirectory(toWx(workingFolder(fromWx(wxGetCwd()))));

  // 7. The main window, not shown yet.
  frame_ = new MainFrame(fullName());

  // 8, 9. Without a Tessel the user chooses one first.
  if (!tesselConfigured()) {
    InterpreterDialog dialog(frame_);
    if (dialog.ShowModal() != wxID_OK) {
      frame_->Close(true);
      frame_ = nullptr;
      return Outcome::Cancelled;
    }
  }

  // 10. The job library starts once per run.
  krmInitialize();
  frame_->Show();

  // 11. The help book, when it is there.
  const std::string book = helpBookPath();
  if (!book.empty() && sdkFileExists(book.c_str()) && !sdkIsDirectory(book.c_str()))
    help_ = std::make_unique<HelpViewer>(toWx(book));
  return Outcome::Running;
}
