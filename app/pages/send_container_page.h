// The Send Container page: a project, its submission file (or an external
// one), an optional page range, whether Tessel is embedded, how the
// project's resources travel, and the button that builds the printable
// container and sends it. Which boxes are enabled follows the resource
// choice and the embed box; an invalid page range is put to the user
// (print the whole document, or stop).
#pragma once

#include <array>

#include "app/pages/operation_page.h"
#include "ops/operations.h"

class PathField;
class SubmissionField;
class wxButton;
class wxCheckBox;
class wxRadioBox;
class wxSpinCtrl;

class SendContainerPage : public OperationPage {
 public:
  SendContainerPage(wxWindow* parent, PageHost& host);
  void disableActions() override;

  SendContainerChoice choice() const;

  PathField* projectField() const { return project_; }
  SubmissionField* submissionField() const { return submission_; }
  wxCheckBox* pageRangeBox() const { return pageRange_; }
  wxSpinCtrl* firstPageSpin() const { return firstPage_; }
  wxSpinCtrl* lastPageSpin() const { return lastPage_; }
  wxCheckBox* embedBox() const { return embed_; }
  wxRadioBox* resourceChoice() const { return resources_; }
  wxCheckBox* noFolderSharedBox() const { return noFolderShared_; }
  wxCheckBox* noGlobalSharedBox() const { return noGlobalShared_; }
  wxCheckBox* noOverwriteBox() const { return noOverwrite_; }
  wxCheckBox* keepBox() const { return keep_; }

  // What a new project path and the send button do.
  void fillSubmissions();
  void send();

 private:
  void onResourceChoice();
  void updateKeepBox();
  void fitLongLabels();

  PathField* project_ = nullptr;
  SubmissionField* submission_ = nullptr;
  wxCheckBox* pageRange_ = nullptr;
  wxSpinCtrl* firstPage_ = nullptr;
  wxSpinCtrl* lastPage_ = nullptr;
  wxCheckBox* embed_ = nullptr;
  wxRadioBox* resources_ = nullptr;
  wxCheckBox* noFolderShared_ = nullptr;
  wxCheckBox* noGlobalShared_ = nullptr;
  wxCheckBox* noOverwrite_ = nullptr;
  wxCheckBox* keep_ = nullptr;
  wxButton* send_ = nullptr;
  std::array<wxString, 3> resourceLabels_;
};

// The question asked when the page range is refused: true to print the
// whole document.
bool askPrintWholeDocument(wxWindow* parent);
