// Operations that fail once their job is written (the scheduler has gone)
// leave nothing behind in the temporary folder.
#include <wx/statusbr.h>

#include <filesystem>

#include "app/pages/legacy_files_page.h"
#include "app/pages/load_project_page.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "base/sdk_fs.h"
#include "page_fixture.h"

namespace fs = std::filesystem;

namespace {

class FailedOperationsTest : public PageTest {};

TEST_F(FailedOperationsTest, LeaveNoJobFilesInTheTemporaryFolder) {
  openWithPrinters(0);
  const std::string submission = scratchFile("run/job.ps", "%!PS\nshowpage\n");
  chooseDestination("Tessel_1");
  // The printers were there at the start; now no job can be spooled.
  cups_.reset();
  struct Failing {
    int page;
    int button;
    std::function<void()> prepare;
  };
  const std::vector<Failing> operations = {
      {0, kIdInstallTessel, [] {}},
      {0, kIdStartupTessel, [] {}},
      {1, kIdLoadProject,
       [this] { typePath(page<LoadProjectPage>(1)->projectField(), sampleKpf()); }},
      {3, kIdDeleteFiles, [] {}},
      {4, kIdListFiles, [] {}},
      {5, kIdSendSubmissionFile, [&] { page<LegacyFilesPage>(5)->submissionField()->setPath(submission); }},
  };
  for (const Failing& operation : operations) {
    panel()->selectPage(operation.page);
    pump(30);
    operation.prepare();
    pressButton(panel()->page(operation.page)->FindWindow(operation.button));
    const wxString outcome = statusText();
    EXPECT_FALSE(outcome.Contains("completed successfully")) << operation.button << ": " << outcome;
    EXPECT_EQ(temporaryJobFiles(), 0) << operation.button << ": " << outcome;
  }
  std::error_code ec;
  EXPECT_TRUE(fs::is_empty(sdkTempDirectory(), ec)) << sdkTempDirectory();
}

}  // namespace
