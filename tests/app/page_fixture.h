// The world of the page tests: the main window on a private display, the
// private scheduler with the simulated Tessel printers Tessel_1 and
// Tessel_2 (and the group Floor_2 of both), a copy of the sample project
// Demo/Invoice with a stub file that points at it, and ways to wait for
// the printers and read their disks and printed pages.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/operations_panel.h"
#include "gui_harness.h"
#include "tools/printer_sim/printer_simulator.h"

class wxWindow;

class PageTest : public AppTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the printers, writes the configuration (built-in Tessel, the
  // stub file, the group, and the lines given) and opens the window on
  // the page, with the job library started.
  void openWithPrinters(int pageIndex, const std::string& extraConfig = "");
  // The window without any printer.
  void openWithoutPrinters(int pageIndex, const std::string& extraConfig = "");

  OperationsPanel* panel() const { return frame_->operations(); }
  template <typename Page>
  Page* page(int index) const {
    return dynamic_cast<Page*>(panel()->page(index));
  }
  void chooseDestination(const wxString& destination);
  void setStatusPage(bool on);
  wxString statusText() const;

  // Waits until the scheduler has no unfinished job.
  void waitIdle();
  PrinterSimulator printer(int n) const;
  std::vector<std::string> printedPages(int n) const;
  bool diskHas(int n, const std::string& printerName) const;
  // Files of the printer disk whose names start with prefix.
  std::vector<std::string> diskFiles(int n, const std::string& prefix = "") const;

  std::string sampleKpf() const { return tree_ + "/tqfc/Demo/Invoice/Invoice.kpf"; }
  // A file in the scratch folder with the content.
  std::string scratchFile(const std::string& name, const std::string& content) const;
  // Number of job library files ("krm*") in the temporary folder.
  int temporaryJobFiles() const;
  // True when no unpacked container is left below the stub's
  // print-and-forget folder.
  bool nothingUnpacked() const;

  // A screenshot of the window into the build folder.
  void shoot(const std::string& name);

  MainFrame* frame_ = nullptr;
  std::string tree_;
  std::string disk_[3], pages_[3];

 private:
  void open(int pageIndex);
  std::optional<std::string> savedTmp_;
};

class PathField;
// The path typed into the field and Enter pressed.
void typePath(PathField* field, const std::string& path);
// A check box or radio box click as the toolkit reports it.
void clickCheckBox(wxWindow* box, bool value);
void chooseRadio(wxWindow* radioBox, int item);

// The sample project with five more resources beside it: three forms whose
// names differ in case ("Beta.frm", "alpha.frm", "Zeta.frm") and two files
// of type "none" ("readme.txt", "Notes.txt"). Returns its project file.
std::string writeRichProject(const std::string& sampleTree);
// A container of the project, written with the project library.
bool writeContainer(const std::string& stub, const std::string& kpf, const std::string& kpc);
