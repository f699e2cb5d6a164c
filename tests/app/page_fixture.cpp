#include "page_fixture.h"

#include <wx/checkbox.h>
#include <wx/odcombo.h>
#include <wx/radiobox.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>

#include "app/destination_choice.h"
#include "app/job_results.h"
#include "app/main_frame.h"
#include "app/operations_panel.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "base/sdk_fs.h"
#include "kpsdk/kx_project.h"
#include "krmsdk/krmsdk.h"
#include "tests/common/project_stub.h"

namespace fs = std::filesystem;

void PageTest::SetUp() {
  AppTest::SetUp();
  // Job files of this test only, so that leftovers can be counted.
  const char* tmp = std::getenv("TMPDIR");
  savedTmp_ = tmp ? std::optional<std::string>(tmp) : std::nullopt;
  fs::create_directories(scratch_ + "/tmp");
  setenv("TMPDIR", (scratch_ + "/tmp").c_str(), 1);
  tree_ = scratch_ + "/projects";
  fs::copy(std::string(QM_SOURCE_DIR) + "/tests/data/sample-project", tree_, fs::copy_options::recursive);
  std::ofstream(stub_) << projectStubText(scratch_, tree_);
}

void PageTest::TearDown() {
  closeAllWindows();
  if (savedTmp_) setenv("TMPDIR", savedTmp_->c_str(), 1);
  else unsetenv("TMPDIR");
  AppTest::TearDown();
}

void PageTest::openWithPrinters(int pageIndex, const std::string& extraConfig) {
  std::string error;
  cups_ = PrivateCups::start(QM_PRIVATE_CUPS_SCRIPT, QM_PRINTER_SIM, error);
  ASSERT_TRUE(cups_) << error;
  ASSERT_TRUE(cups_->addSimulated("Tessel_1", disk_[1], pages_[1])) << cups_->lastError();
  ASSERT_TRUE(cups_->addSimulated("Tessel_2", disk_[2], pages_[2])) << cups_->lastError();
  cups_->useForClients();
  // useForClients moved HOME; the single-instance lock stays in ours.
  setenv("HOME", home_.c_str(), 1);
  writeConfig("statusPage=0\n" + extraConfig + "[printer-groups]\nFloor_2=Tessel_1,Tessel_2\n");
  open(pageIndex);
}

void PageTest::openWithoutPrinters(int pageIndex, const std::string& extraConfig) {
  writeConfig("statusPage=0\n" + extraConfig);
  open(pageIndex);
}

void PageTest::open(int pageIndex) {
  frame_ = new MainFrame("Brightway Quaymaster");
  frame_->Show();
  pumpUntil([this] { return frame_->IsShownOnScreen(); });
  krmInitialize();
  panel()->selectPage(pageIndex);
  pump(100);
}

void PageTest::chooseDestination(const wxString& destination) {
  wxOwnerDrawnComboBox* choice = panel()->destinationChoice();
  const int index = choice->FindString(destination, true);
  ASSERT_NE(index, wxNOT_FOUND) << destination;
  choice->SetSelection(index);
  ASSERT_EQ(panel()->destinationText(), destination);
}

void PageTest::setStatusPage(bool on) { panel()->statusPageBox()->SetValue(on); }

wxString PageTest::statusText() const {
  // What the operator reads once the printers have finished the jobs.
  JobResults* results = frame_->operations()->jobResults();
  if (!pumpUntil([results] { return !results->following(); }, 120000)) ADD_FAILURE() << "jobs still followed";
  return frame_->GetStatusBar()->GetStatusText(0);
}

void PageTest::waitIdle() {
  if (!waitForEmptyQueues(120000)) ADD_FAILURE() << "jobs still pending after two minutes";
}

PrinterSimulator PageTest::printer(int n) const {
  PrinterSimOptions options;
  options.diskDir = disk_[n];
  options.pagesDir = pages_[n];
  return PrinterSimulator(options);
}

std::vector<std::string> PageTest::printedPages(int n) const {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(pages_[n], ec)) found.push_back(entry.path().string());
  std::sort(found.begin(), found.end());
  return found;
}

bool PageTest::diskHas(int n, const std::string& printerName) const {
  return printer(n).readFile(printerName).has_value();
}

std::vector<std::string> PageTest::diskFiles(int n, const std::string& prefix) const {
  std::vector<std::string> names;
  for (const DiskFile& file : printer(n).listDisk())
    if (file.name.rfind(prefix, 0) == 0) names.push_back(file.name);
  return names;
}

std::string PageTest::scratchFile(const std::string& name, const std::string& content) const {
  const std::string path = scratch_ + "/" + name;
  sdkMakeDirs(path.c_str());
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

int PageTest::temporaryJobFiles() const {
  int count = 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(sdkTempDirectory(), ec))
    if (entry.path().filename().string().rfind("krm", 0) == 0) ++count;
  return count;
}

bool PageTest::nothingUnpacked() const {
  std::error_code ec;
  const std::string root = scratch_ + "/kpcpfd";
  return !fs::exists(root, ec) || fs::is_empty(root, ec);
}

void PageTest::shoot(const std::string& name) { EXPECT_FALSE(screenshot(frame_, name).empty()) << name; }

void typePath(PathField* field, const std::string& path) {
  field->setPath(path);
  wxCommandEvent enter(wxEVT_TEXT_ENTER, kIdPathText);
  enter.SetEventObject(field->textField());
  field->textField()->ProcessWindowEvent(enter);
  pump(50);
}

void clickCheckBox(wxWindow* box, bool value) {
  auto* check = dynamic_cast<wxCheckBox*>(box);
  ASSERT_NE(check, nullptr);
  check->SetValue(value);
  wxCommandEvent event(wxEVT_CHECKBOX, check->GetId());
  event.SetEventObject(check);
  event.SetInt(value ? 1 : 0);
  check->ProcessWindowEvent(event);
  pump();
}

void chooseRadio(wxWindow* radioBox, int item) {
  auto* radio = dynamic_cast<wxRadioBox*>(radioBox);
  ASSERT_NE(radio, nullptr);
  radio->SetSelection(item);
  wxCommandEvent event(wxEVT_RADIOBOX, radio->GetId());
  event.SetEventObject(radio);
  event.SetInt(item);
  radio->ProcessWindowEvent(event);
  pump();
}

std::string writeRichProject(const std::string& sampleTree) {
  const std::string folder = sampleTree + "/tqfc/Demo/Invoice/";
  for (const char* name : {"Beta.frm", "alpha.frm", "Zeta.frm", "readme.txt", "Notes.txt"})
    std::ofstream(folder + name) << "%!PS\n% " << name << "\n";
  std::string kpf = sdkReadWholeFile((folder + "Invoice.kpf").c_str()).value_or("");
  const std::string more =
      " <RESOURCE Name='Beta.frm' Type='frm' Scope='0'/>\n"
      " <RESOURCE Name='alpha.frm' Type='frm' Scope='0'/>\n"
      " <RESOURCE Name='Zeta.frm' Type='frm' Scope='0'/>\n"
      " <RESOURCE Name='readme.txt' Type='none' Scope='0'/>\n"
      " <RESOURCE Name='Notes.txt' Type='none' Scope='0'/>\n";
  const std::size_t at = kpf.find(" <RESOURCE Name='main.ps'");
  if (at == std::string::npos) return {};
  kpf.insert(at, more);
  const std::string path = folder + "Rich.kpf";
  std::ofstream(path, std::ios::binary) << kpf;
  return path;
}

bool writeContainer(const std::string& stub, const std::string& kpf, const std::string& kpc) {
  std::unique_ptr<KxProject> project = kxProjectNew(stub);
  if (!project || (project->OpenProject(kpf) & kKxError)) return false;
  return (project->CreateContainer(kpc) & kKxError) == 0;
}
