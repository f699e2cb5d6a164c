// OperationsPanel: the main window's content. The operation list on the
// left picks one of the seven pages; on the right the destination choice
// (printers, then printer groups behind the group marker) and the
// status-page box that every operation shares, and below them the page.
//
// The panel is the pages' host: it gives them the destination and the
// status-page box as an OpContext and shows their outcomes.
#pragma once

#include <wx/panel.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/pages/operation_page.h"
#include "app/pages/page_catalogue.h"

class wxCheckBox;
class DestinationChoice;
class JobResults;
class wxFrame;
class wxListCtrl;
class wxListEvent;
class wxSizer;

class OperationsPanel : public wxPanel, public PageHost {
 public:
  explicit OperationsPanel(wxFrame* frame);

  OpContext operationContext() const override;
  void reportResult(const OpResult& result) override;
  void setStatusText(const wxString& text) override;

  // Refills the destination choice (after the printer-groups dialog) and
  // selects the previous entry again when it is still there.
  void rebuildDestinations();
  // Shows page index (outside 1..6: page 0) and selects its list item.
  void selectPage(int index);

  int currentPage() const { return current_; }
  wxString destinationText() const;
  bool statusPageTicked() const;
  // True when the spooler offered no printer (all actions are disabled).
  bool noPrinters() const { return noPrinters_; }
  // The printers the destination list offers besides the local ones: the
  // servers' queues as last fetched (QUEUE@HOST), then the direct printers.
  // The groups dialog offers these without asking the servers again.
  std::vector<std::string> printersBeyondLocal() const;

  wxListCtrl* operationList() const { return list_; }
  DestinationChoice* destinationChoice() const { return destination_; }
  // What became of the last send's jobs, per printer.
  JobResults* jobResults() const { return results_; }
  wxCheckBox* statusPageBox() const { return statusPage_; }
  OperationPage* page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }

 private:
  // Fills the destination choice; the entries it holds.
  std::vector<std::string> fillDestinations();
  void showPage(int index);
  // Shows the send in the results area and follows its jobs.
  void followJobs(const OpResult& result);
  // Sends a send's kept job once more to the printers it missed.
  void sendAgain(std::int64_t sendId);
  void updateColumnWidths();
  // Grows the window where its content no longer fits (the results area
  // shown below a page that cannot give up the room).
  void fitWindowToContent();

  wxFrame* frame_;
  wxListCtrl* list_ = nullptr;
  DestinationChoice* destination_ = nullptr;
  JobResults* results_ = nullptr;
  wxCheckBox* statusPage_ = nullptr;
  wxSizer* right_ = nullptr;
  std::array<OperationPage*, kPageCount> pages_{};
  int current_ = 0;
  bool noPrinters_ = false;
  std::vector<std::string> serverPrinters_;  // from the last fillDestinations
};
