// Direct printers in the desktop, against a simulated printer listening on
// the loopback address: the dialog's refusals where the text is typed, a
// kept printer in the destination list, List Printer Files shown in the
// listing window (exactly the disk, sorted, filtered, saved as CSV), a
// group's inventory and its listings, one window per printer, and a job
// the printer rejects failing with the printer's words.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/dialogs/direct_printer_entry_dialog.h"
#include "app/dialogs/direct_printers_dialog.h"
#include "app/dialogs/inventory_window.h"
#include "app/dialogs/printer_answer_window.h"
#include "app/dialogs/printer_listing_window.h"
#include "app/destination_choice.h"
#include "app/job_results.h"
#include "app/pages/legacy_files_page.h"
#include "app/pages/list_page.h"
#include "app/path_field.h"
#include "app/window_ids.h"
#include "delivery/direct_printer.h"
#include "delivery/printer_groups.h"
#include "page_fixture.h"

namespace {

class DirectPrintersTest : public PageTest {
 protected:
  // The window on a page, with the listening printer Net_1 (also a
  // spooler queue) kept as the direct printer Desk_1.
  void openWithDirectPrinter(int pageIndex) {
    openWithPrinters(pageIndex);
    int port = 0;
    ASSERT_TRUE(cups_->addDirect("Net_1", port, netDisk_, netPages_)) << cups_->lastError();
    address_ = "socket://127.0.0.1:" + std::to_string(port);
    ASSERT_TRUE(WriteDirectPrinter("Desk_1", *ParseSocketUri(address_).address));
    panel()->rebuildDestinations();
    chooseDestination("Desk_1");
  }
  // The listing windows open now.
  static std::vector<PrinterListingWindow*> listingWindows() {
    std::vector<PrinterListingWindow*> found;
    for (wxWindow* window : wxTopLevelWindows)
      if (auto* listing = dynamic_cast<PrinterListingWindow*>(window)) found.push_back(listing);
    return found;
  }
  static std::vector<std::string> shownNames(const PrinterListingWindow& window) {
    std::vector<std::string> names;
    for (std::size_t file : window.shownRows()) names.push_back(window.listing().files[file].name);
    return names;
  }

  std::string netDisk_, netPages_, address_;
};

TEST_F(DirectPrintersTest, DialogRefusesWhereTypedAndKeepsWhatIsAccepted) {
  openWithPrinters(4);
  const std::string longHost = "socket://" + std::string(300, 'h');
  struct Refused {
    std::string name, address, reason;
  };
  const Refused refused[] = {
      {"Desk_1", "socket://;rm", "host name of the printer may only hold"},
      {"Desk_1", longHost, "longer than 253 characters"},
      {"Desk_1", "socket://10.0.0.5:70000", "port of the printer must be a number from 1 to 65535"},
      {"Desk_1", "http://10.0.0.5", "must begin with socket://"},
      {std::string(300, 'n'), "socket://10.0.0.5", "at most 64 characters"},
      {"tessel_1", "socket://10.0.0.5", ""},  // a spooler printer's name: refused, in its own words
      {"Floor_2", "socket://10.0.0.5", ""},   // a group's
  };
  DirectPrintersDialog dialog(frame_);
  dialog.Show();
  bool shot = false;
  for (const Refused& r : refused) {
    DirectPrintersDialog::EntryDriver driver;
    driver.answer = [&](DirectPrinterEntryDialog& entry) {
      entry.Show();
      entry.nameField()->SetValue(r.name);
      entry.addressField()->SetValue(r.address);
      pump(50);
      wxString why = entry.faultLine()->GetLabelText().Strip(wxString::both);
      why.Replace("\n", " ");  // wrapped to the dialog's width
      EXPECT_NE(why, "") << r.name << " " << r.address;
      if (!r.reason.empty()) {
        EXPECT_NE(why.Find(r.reason), wxNOT_FOUND) << why;
      }
      EXPECT_FALSE(entry.FindWindow(wxID_OK)->IsEnabled()) << r.address;
      if (!shot && r.address == "socket://;rm") shot = !screenshot(&entry, "direct-printer-refused").empty();
      return wxID_OK;  // as if OK could be pressed: still nothing is kept
    };
    dialog.addPrinter(driver);
  }
  EXPECT_TRUE(shot);
  EXPECT_EQ(dialog.printerList()->GetItemCount(), 0);

  DirectPrintersDialog::EntryDriver good;
  good.answer = [](DirectPrinterEntryDialog& entry) {
    entry.nameField()->SetValue(" Desk_1 ");
    entry.addressField()->SetValue("SOCKET://printer-3.example.net");
    EXPECT_TRUE(entry.FindWindow(wxID_OK)->IsEnabled());
    return wxID_OK;
  };
  dialog.addPrinter(good);
  ASSERT_EQ(dialog.printerList()->GetItemCount(), 1);
  EXPECT_EQ(dialog.printerList()->GetItemText(0, 1), "socket://printer-3.example.net:9100");
  // A second printer of the same name, other letter case: refused.
  DirectPrintersDialog::EntryDriver twin;
  twin.answer = [](DirectPrinterEntryDialog& entry) {
    entry.nameField()->SetValue("desk_1");
    entry.addressField()->SetValue("socket://10.0.0.6");
    EXPECT_NE(entry.faultLine()->GetLabelText().Find("already exists"), wxNOT_FOUND);
    return wxID_OK;
  };
  dialog.addPrinter(twin);
  EXPECT_EQ(dialog.printerList()->GetItemCount(), 1);
  screenshot(&dialog, "direct-printers-dialog");

  // Nothing is written before OK; after it, the printer follows the groups.
  EXPECT_EQ(configText().find("direct-printers"), std::string::npos);
  ASSERT_TRUE(dialog.confirm());
  dialog.Destroy();
  EXPECT_EQ(configValue("Desk_1"), "socket://printer-3.example.net:9100");
  panel()->rebuildDestinations();
  DestinationChoice* choice = panel()->destinationChoice();
  const int direct = choice->FindString("Desk_1", true);
  const int group = choice->FindString(wxString(kGroupMarker) + "Floor_2", true);
  ASSERT_NE(direct, wxNOT_FOUND);
  ASSERT_NE(group, wxNOT_FOUND);
  EXPECT_GT(direct, group);
}

TEST_F(DirectPrintersTest, ListingWindowHoldsExactlyTheDisk) {
  openWithDirectPrinter(4);
  PrinterSimOptions options;
  options.diskDir = netDisk_;
  options.pagesDir = netPages_;
  PrinterSimulator net(options);
  const std::vector<std::string> names = {"a b.txt", "x(1).frm", "tqfc/Demo/y).frm", "100%", "fonts/Été"};
  for (std::size_t i = 0; i < names.size(); ++i)
    ASSERT_TRUE(net.writeFile(names[i], std::string((names.size() - i) * 100, 'x')));

  ListPage* list = page<ListPage>(4);
  EXPECT_TRUE(list->printedPageBox()->GetValue());
  clickCheckBox(list->printedPageBox(), false);
  pressButton(list->FindWindow(kIdListFiles));
  ASSERT_TRUE(pumpUntil([] { return !listingWindows().empty(); }, 60000));
  PrinterListingWindow* window = listingWindows().front();
  EXPECT_TRUE(window->listing().complete);
  EXPECT_FALSE(window->incompleteLine()->IsShown());
  EXPECT_NE(window->spaceLine()->GetLabel().Find("free"), wxNOT_FOUND);

  std::vector<std::string> onDisk;
  for (const DiskFile& file : net.listDisk()) onDisk.push_back(file.name);
  std::vector<std::string> listed = shownNames(*window);
  std::sort(listed.begin(), listed.end());
  std::sort(onDisk.begin(), onDisk.end());
  EXPECT_EQ(listed, onDisk);
  EXPECT_EQ(static_cast<std::size_t>(window->table()->GetItemCount()), names.size());
  // The page was left out.
  std::error_code ec;
  EXPECT_TRUE(std::filesystem::is_empty(netPages_, ec));

  // Sizes fall down the list as it was written: by size, ascending, is its reverse.
  window->sortBy(PrinterListingWindow::SortColumn::Size, true);
  EXPECT_EQ(shownNames(*window), std::vector<std::string>(names.rbegin(), names.rend()));
  EXPECT_EQ(window->table()->GetItemText(0, 1), "100");
  window->filterBox()->SetValue("X(");
  EXPECT_EQ(shownNames(*window), (std::vector<std::string>{"x(1).frm"}));
  EXPECT_EQ(window->copyText(), "x(1).frm\t400\n");
  window->filterBox()->SetValue(".FRM");
  screenshot(window, "printer-listing-window");

  const std::string csv = scratch_ + "/listing.csv";
  user_.answerChooser(wxString(csv));
  pressButton(window->saveButton());
  std::ifstream in(csv, std::ios::binary);
  std::stringstream saved;
  saved << in.rdbuf();
  EXPECT_EQ(saved.str(), "name,size\r\n\"tqfc/Demo/y).frm\",300\r\n\"x(1).frm\",400\r\n");
}

// Ten thousand files come up at once, a cut-off listing says so, and a
// name's control bytes are shown escaped.
TEST_F(AppTest, LargeOrCutOffListingShowsAtOnce) {
  PrinterListing listing;
  for (int i = 0; i < 10000; ++i) listing.files.push_back({"tqfc/P/f" + std::to_string(i), std::uint64_t(i)});
  listing.files.push_back({"evil\x1b[31m\r", 1});
  const auto start = std::chrono::steady_clock::now();
  auto* window = new PrinterListingWindow(nullptr, "Desk_1", listing);
  window->Show();
  pump();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(1));
  EXPECT_EQ(window->table()->GetItemCount(), 10001);
  EXPECT_TRUE(window->incompleteLine()->IsShown());
  EXPECT_EQ(window->shownName(10000), "evil\\x1b[31m\\x0d");
  window->filterBox()->SetValue("f999");
  EXPECT_EQ(window->shownRows().size(), 11u);  // f999 and f9990 to f9999
  window->Destroy();
}

// A group of two listening printers (one with Tessel), one address where
// nobody listens and a spooler queue: the inventory names each for what it
// is, and List Printer Files opens a listing window per answering printer.
TEST_F(DirectPrintersTest, GroupInventoryAndListingsPerPrinter) {
  openWithDirectPrinter(4);
  int port = 0;
  std::string disk2, pages2;
  ASSERT_TRUE(cups_->addDirect("Net_2", port, disk2, pages2)) << cups_->lastError();
  ASSERT_TRUE(WriteDirectPrinter("Desk_2", *ParseSocketUri("socket://127.0.0.1:" + std::to_string(port)).address));
  // Port 1 on the loopback address: refused at once.
  ASSERT_TRUE(WriteDirectPrinter("Desk_gone", *ParseSocketUri("socket://127.0.0.1:1").address));
  ASSERT_TRUE(WriteGroup("Desks", "Desk_1,Desk_2,Desk_gone,Tessel_1"));
  PrinterSimOptions options;
  options.diskDir = netDisk_;
  options.pagesDir = netPages_;
  ASSERT_TRUE(PrinterSimulator(options).writeFile("tqf/VER", "Tessel 11.0\nBuilt\n"));
  ASSERT_TRUE(PrinterSimulator(options).writeFile("fonts/Courier", "x"));
  panel()->rebuildDestinations();
  chooseDestination(wxString(kGroupMarker) + "Desks");

  wxCommandEvent menu(wxEVT_MENU, kIdInventory);
  frame_->ProcessWindowEvent(menu);
  InventoryWindow* window = nullptr;
  for (wxWindow* top : wxTopLevelWindows)
    if ((window = dynamic_cast<InventoryWindow*>(top)) != nullptr) break;
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->asking());
  EXPECT_EQ(window->statusLine()->GetLabel(), "Asking 3 printers...");
  ASSERT_TRUE(pumpUntil([&] { return !window->asking(); }, 60000));
  wxListCtrl* table = window->table();
  ASSERT_EQ(table->GetItemCount(), 4);
  const auto cell = [&](long row, int column) { return table->GetItemText(row, column); };
  EXPECT_EQ(cell(0, InventoryWindow::kPrinter), "Desk_1");
  EXPECT_EQ(cell(0, InventoryWindow::kTessel), "Tessel 11.0");
  EXPECT_EQ(cell(0, InventoryWindow::kFirstScope), "1");      // tqf
  EXPECT_EQ(cell(0, InventoryWindow::kFirstScope + 2), "1");  // fonts
  EXPECT_NE(cell(0, InventoryWindow::kFreeSpace), "-");
  EXPECT_EQ(cell(0, InventoryWindow::kNote), "");
  EXPECT_EQ(cell(1, InventoryWindow::kTessel), "no Tessel");
  EXPECT_EQ(cell(1, InventoryWindow::kFirstScope), "0");
  EXPECT_TRUE(cell(2, InventoryWindow::kNote).StartsWith("did not answer: ")) << cell(2, InventoryWindow::kNote);
  EXPECT_GT(cell(2, InventoryWindow::kNote).length(), 20u);
  EXPECT_EQ(cell(3, InventoryWindow::kNote), "not two-way");
  EXPECT_EQ(window->statusLine()->GetLabel(), "2 of 3 printers answered.");
  pump(100);
  screenshot(window, "inventory-window");
  window->Destroy();

  pressButton(page<ListPage>(4)->FindWindow(kIdListFiles));
  ASSERT_TRUE(pumpUntil([] { return listingWindows().size() == 2; }, 60000));
  std::vector<wxString> titles;
  for (PrinterListingWindow* listing : listingWindows()) titles.push_back(listing->GetTitle());
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<wxString>{"Files on Desk_1", "Files on Desk_2"}));
}

TEST_F(DirectPrintersTest, PrinterErrorFailsWithThePrintersWords) {
  openWithDirectPrinter(5);
  auto* legacy = page<LegacyFilesPage>(5);
  legacy->submissionField()->setPath(scratchFile("run/bad.ps", "%!PS\n(\\033[2J) print qm_no_such_operator_x\n"));
  pressButton(panel()->FindWindow(kIdSendSubmissionFile));
  ASSERT_FALSE(user_.messages().empty());
  const wxString message = user_.messages().back().text;
  EXPECT_NE(message.Find("Desk_1: the printer answered: Error: undefined; OffendingCommand: qm_no_such_operator_x"),
            wxNOT_FOUND)
      << message;
  JobResults* results = panel()->jobResults();
  EXPECT_TRUE(results->stateOf("Desk_1").StartsWith("not sent: the printer answered"));
  ASSERT_TRUE(results->detailsButton()->IsShown());
  screenshot(frame_, "direct-printer-error");

  pressButton(results->detailsButton());
  PrinterAnswerWindow* details = nullptr;
  ASSERT_TRUE(pumpUntil([&] {
    for (wxWindow* window : wxTopLevelWindows)
      if ((details = dynamic_cast<PrinterAnswerWindow*>(window)) != nullptr) return true;
    return false;
  }));
  // The escape the job printed reaches the window escaped.
  const wxString shown = details->text()->GetValue();
  EXPECT_NE(shown.Find("\\x1b[2J"), wxNOT_FOUND) << shown;
  EXPECT_EQ(shown.Find(wxString(wxUniChar(0x1b))), wxNOT_FOUND);
  EXPECT_NE(shown.Find("%%[ Error: undefined"), wxNOT_FOUND);
  screenshot(details, "printer-answer-details");
}

}  // namespace
