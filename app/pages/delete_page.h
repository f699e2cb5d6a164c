// The Delete Files page: deletes Tessel, all KX resources, both, or one
// project's resources from the destination. The folder and project fields
// and the two shared-resource boxes are enabled only for the last choice.
// Nothing is asked before the job is sent.
#pragma once

#include <memory>

#include "app/pages/operation_page.h"
#include "ops/operations.h"

class ProjectNameFields;
class wxButton;
class wxCheckBox;
class wxRadioBox;

class DeletePage : public OperationPage {
 public:
  DeletePage(wxWindow* parent, PageHost& host);
  ~DeletePage() override;
  void disableActions() override;

  DeleteChoice choice() const;

  wxRadioBox* choiceBox() const { return choice_; }
  const ProjectNameFields& names() const { return *names_; }
  wxCheckBox* noFolderSharedBox() const { return noFolderShared_; }
  wxCheckBox* noGlobalSharedBox() const { return noGlobalShared_; }

  void deleteFiles();

 private:
  void onChoice();

  wxRadioBox* choice_ = nullptr;
  std::unique_ptr<ProjectNameFields> names_;
  wxCheckBox* noFolderShared_ = nullptr;
  wxCheckBox* noGlobalShared_ = nullptr;
  wxButton* delete_ = nullptr;
};
