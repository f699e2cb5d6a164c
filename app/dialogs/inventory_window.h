// InventoryWindow: what the destination's printers hold, asked of all of
// them at once (ops/op_inventory.h). One row per member: its name, Tessel
// (the version, or "no Tessel"), the number of files per scope, the free
// disk space, and in the last column why a printer did not answer, or
// "not two-way" for a spooler queue.
//
// The printers are asked on a thread of their own, since one that is not
// there keeps its connection waiting; the window stays usable meanwhile
// and says how many it is asking. Closing it before the answers come
// drops them. Ask Again asks once more.
//
// What the printers answer is untrusted: every cell is shown escaped.
#pragma once

#include <wx/frame.h>

#include <memory>

#include "ops/op_inventory.h"

class wxButton;
class wxListCtrl;
class wxStaticText;

class InventoryWindow : public wxFrame {
 public:
  // Starts asking the printers of context.destination.
  InventoryWindow(wxWindow* parent, OpContext context);
  ~InventoryWindow() override;

  void askAgain();
  bool asking() const { return asking_; }
  // The last inventory taken; empty while the first is under way.
  const InventoryResult& inventory() const { return inventory_; }

  wxListCtrl* table() const { return table_; }
  wxStaticText* statusLine() const { return status_; }
  wxButton* askButton() const { return ask_; }

  // The table's columns.
  enum Column { kPrinter, kTessel, kFirstScope, kFreeSpace = kFirstScope + int(kFileScopeCount), kNote };

 private:
  struct Pending;
  void show(InventoryResult result);

  OpContext context_;
  InventoryResult inventory_;
  bool asking_ = false;
  // Shared with the thread that asks; cleared when the window goes, so an
  // answer that comes later finds nobody to give it to.
  std::shared_ptr<Pending> pending_;
  wxListCtrl* table_ = nullptr;
  wxStaticText* status_ = nullptr;
  wxButton* ask_ = nullptr;
};
