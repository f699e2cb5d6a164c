// The Load Project Resources page: a project file or container, its
// resources in a tree to tick the ones to load (none ticked: all), three
// boxes that leave shared resources out or keep what the printer has, and
// the button that sends the load job. A new path (Browse, Enter, a drop)
// lists the project's resources afresh.
#pragma once

#include "app/pages/operation_page.h"
#include "ops/operations.h"

class PathField;
class ResourceTree;
class wxButton;
class wxCheckBox;

class LoadProjectPage : public OperationPage {
 public:
  LoadProjectPage(wxWindow* parent, PageHost& host);
  void disableActions() override;
  void updateColumnWidths() override;

  LoadProjectChoice choice() const;

  PathField* projectField() const { return project_; }
  ResourceTree* tree() const { return tree_; }
  wxCheckBox* noFolderSharedBox() const { return noFolderShared_; }
  wxCheckBox* noGlobalSharedBox() const { return noGlobalShared_; }
  wxCheckBox* noOverwriteBox() const { return noOverwrite_; }

  // What a new path and the load button do.
  void reloadTree();
  void load();

 private:
  PathField* project_ = nullptr;
  ResourceTree* tree_ = nullptr;
  wxCheckBox* noFolderShared_ = nullptr;
  wxCheckBox* noGlobalShared_ = nullptr;
  wxCheckBox* noOverwrite_ = nullptr;
  wxButton* load_ = nullptr;
};

// The project path field of both project pages.
PathField* newProjectField(wxWindow* parent, int id);
