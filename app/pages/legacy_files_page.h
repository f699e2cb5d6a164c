// The Manage Legacy Files page, in three parts: a list of local files with
// the printer names they are loaded under (added with a chooser or dropped
// from the file manager, edited in the printer path dialogs), a submission
// file sent as it is, and a list of printer names to remove (typed in,
// converted from local files, or copied from the load list). The lists'
// rules are those of ops/legacy_lists.h; this page shows them.
#pragma once

#include "app/art.h"
#include "app/pages/operation_page.h"
#include "ops/legacy_lists.h"

class PathField;
class ReportList;
class wxBitmapButton;
class wxButton;

class LegacyFilesPage : public OperationPage {
 public:
  LegacyFilesPage(wxWindow* parent, PageHost& host);
  void disableActions() override;
  void updateColumnWidths() override;

  const LegacyLoadList& loadRows() const { return load_; }
  const LegacyRemovalList& removalRows() const { return removal_; }
  ReportList* loadList() const { return loadList_; }
  ReportList* removalList() const { return removalList_; }
  PathField* submissionField() const { return submission_; }

  // The buttons' actions.
  void addLoadFiles();
  void addLoadPaths(const wxArrayString& paths);  // also what a drop does
  void editLoadRows();
  void deleteLoadRows();
  void addRemovalName();
  void convertLocalFiles();
  void editRemovalRows();
  void deleteRemovalRows();
  void copyLoadNames();
  void loadFiles();
  void sendSubmission();
  void removeFiles();

 private:
  void showLoadRows();
  void showRemovalRows();
  // The notice about derived names that are only guesses, once.
  void noteGuesses(bool anyGuess);
  // The Edit buttons work on a selection only.
  void enableEditButtons();

  LegacyLoadList load_;
  LegacyRemovalList removal_;
  ReportList* loadList_ = nullptr;
  ReportList* removalList_ = nullptr;
  PathField* submission_ = nullptr;
  wxButton* loadButton_ = nullptr;
  wxButton* sendButton_ = nullptr;
  wxButton* removeButton_ = nullptr;
  wxWindow* editLoad_ = nullptr;
  wxWindow* editRemoval_ = nullptr;
};

// A bitmap button of the legacy and font pages with its tool tip.
wxBitmapButton* newListButton(wxWindow* parent, int id, Art art, const wxString& toolTip);
