// The Install Tessel page end to end: installing on a printer with the
// confirmation page, starting Tessel, and the keep box's enabling rule.
#include <wx/button.h>
#include <wx/checkbox.h>

#include "app/job_results.h"
#include "app/operations_panel.h"
#include "app/pages/install_page.h"
#include "app/window_ids.h"
#include "page_fixture.h"

namespace {

using InstallPageTest = PageTest;

TEST_F(InstallPageTest, InstallPrintsTheConfirmationAndStoresTessel) {
  openWithPrinters(0);
  auto* page = this->page<InstallPage>(0);
  ASSERT_NE(page, nullptr);
  chooseDestination("Tessel_1");
  setStatusPage(true);
  clickCheckBox(page->autoStartBox(), true);
  clickCheckBox(page->installKeepBox(), true);
  shoot("page-install");
  pressButton(page->FindWindow(kIdInstallTessel));
  EXPECT_TRUE(user_.messages().empty()) << user_.messages()[0].text;
  EXPECT_EQ(statusText(), "[Install Tessel] completed successfully");
  waitIdle();
  EXPECT_FALSE(diskFiles(1, "tqf/src/").empty()) << "the interpreter's files on the disk";
  EXPECT_TRUE(diskHas(1, "Sys/Start")) << "automatic start-up at power-on";
  EXPECT_EQ(printedPages(1).size(), 1u) << "the confirmation page";
  EXPECT_TRUE(diskFiles(2).empty()) << "the other printer got nothing";
  EXPECT_EQ(temporaryJobFiles(), 0) << "the job file is deleted after sending";

  // Starting the installed Tessel on the group.
  chooseDestination("\\\\\\Floor_2");
  setStatusPage(false);
  pressButton(page->FindWindow(kIdStartupTessel));
  // Tessel_2 has no Tessel to start: its printer says so, and so does the
  // window, while Tessel_1 completed.
  const wxString status = statusText();
  EXPECT_TRUE(status.StartsWith("[Startup Tessel] failed on the printer: Tessel_2 aborted: PostScript error: "))
      << status;
  EXPECT_EQ(panel()->jobResults()->stateOf("Tessel_1"), "completed");
  waitIdle();
  EXPECT_EQ(printedPages(1).size(), 1u) << "no status page asked for";
}

TEST_F(InstallPageTest, KeepBoxFollowsAutomaticStartUp) {
  openWithoutPrinters(0);
  auto* page = this->page<InstallPage>(0);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->autoStartBox()->GetId(), kIdAutoStart);
  EXPECT_FALSE(page->autoStartBox()->GetValue());
  EXPECT_FALSE(page->installKeepBox()->IsEnabled());
  EXPECT_TRUE(page->startupKeepBox()->IsEnabled());
  EXPECT_FALSE(page->FindWindow(kIdInstallTessel)->IsEnabled()) << "no printer: no action";

  clickCheckBox(page->autoStartBox(), true);
  EXPECT_TRUE(page->installKeepBox()->IsEnabled());
  clickCheckBox(page->installKeepBox(), true);
  clickCheckBox(page->autoStartBox(), false);
  EXPECT_FALSE(page->installKeepBox()->IsEnabled());
  EXPECT_TRUE(page->installKeepBox()->GetValue()) << "the tick survives while disabled";
  const InstallChoice choice = page->installChoice();
  EXPECT_FALSE(choice.autoStart);
  EXPECT_TRUE(choice.keepInMemory) << "ops leaves it out without automatic start-up";
  clickCheckBox(page->startupKeepBox(), true);
  EXPECT_TRUE(page->startupChoice().keepInMemory);
}

}  // namespace
