// The contract between the operations panel and its seven pages.
//
// A page is a panel with its heading box, its controls inside it and the
// information button at its bottom right (which opens the page's help
// entry). It asks its host, the operations panel, for what every operation
// shares: the destination, the status-page box and the configuration (as an
// OpContext for ops/), and hands the host the outcome of each operation to
// show in the status line, with the bell, or in a message box.
#pragma once

#include <wx/panel.h>

#include "ops/operation.h"

class wxBitmapButton;
class wxSizer;
class wxStaticBox;

class PageHost {
 public:
  virtual ~PageHost() = default;
  // The destination text as shown (group marker kept), the status-page box
  // and the configuration.
  virtual OpContext operationContext() const = 0;
  // Status line, bell or message box for an operation's outcome.
  virtual void reportResult(const OpResult& result) = 0;
  virtual void setStatusText(const wxString& text) = 0;
};

class OperationPage : public wxPanel {
 public:
  // Builds the heading box and the information button of page pageIndex.
  OperationPage(wxWindow* parent, PageHost& host, int pageIndex);

  int pageIndex() const { return pageIndex_; }

  // No printer: disable every action button of the page for the run.
  virtual void disableActions() = 0;
  // Column-width rules of the page's lists, after a page change or resize.
  virtual void updateColumnWidths() {}

  wxBitmapButton* informationButton() const { return info_; }
  // Puts the information button after the page's own controls in the Tab
  // order (it is created before them).
  void placeInformationButtonLast();

 protected:
  PageHost& host() { return host_; }
  // The sizer inside the heading box, above the information button; the
  // page's controls are children of box().
  wxSizer* body() { return body_; }
  wxStaticBox* box() { return box_; }

 private:
  PageHost& host_;
  int pageIndex_;
  wxStaticBox* box_ = nullptr;
  wxSizer* body_ = nullptr;
  wxBitmapButton* info_ = nullptr;
};

// Shows the help entry of a page (the index when there is no help book).
void showPageHelp(int pageIndex);
