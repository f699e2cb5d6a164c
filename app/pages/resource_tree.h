// ResourceTree: the resources of a project as a two-level tree with check
// boxes, for picking the ones to load. One folder per resource type holds
// that type's files; files of type "none" stand at the top level, after
// the folders. Rows of one level are sorted by name without regard to
// case; a name appears once per folder. A folder's box is ticked when all
// its files are, clear when none is, and half-ticked otherwise; ticking or
// clearing it does the same to all its files, whether the folder is open
// or not. A click on a box, or Space on the focused row, toggles it; a
// double click opens or closes a folder.
//
// The tree is filled from the job library's own listing of the project
// (ops listProjectResources); a listing that fails is reported in a message
// box and leaves the tree empty.
//
// The view is a wxDataViewCtrl over a model of its own, with the check box
// renderer that wxTreeListCtrl uses too: wxTreeListCtrl adds its rows one
// at a time and took about five seconds for 20,000 resources, where this
// model hands the view all rows at once.
#pragma once

#include <wx/dataview.h>

#include <string>
#include <vector>

#include "ops/operations.h"

class ResourceTreeModel;

class ResourceTree : public wxDataViewCtrl {
 public:
  ResourceTree(wxWindow* parent, wxWindowID id);

  // Lists the project's resources and shows them, all unticked; false
  // (after the message) when the listing failed, and false without a
  // message when the user cancelled it in the progress window.
  bool load(const OpContext& context, const std::string& projectPath);
  void showResources(const std::vector<ProjectResource>& resources);
  void clear();

  // The names of all ticked files, in the tree's order, open folders or not.
  std::vector<std::string> checkedNames() const;

  // Rows for tests and keyboard handling.
  wxDataViewItem folderItem(const std::string& type) const;
  wxDataViewItem fileItem(const std::string& type, const std::string& name) const;  // type "none": top level
  std::vector<wxDataViewItem> topItems() const;
  std::vector<wxDataViewItem> filesOf(const wxDataViewItem& folder) const;
  wxString itemText(const wxDataViewItem& item) const;
  wxCheckBoxState itemState(const wxDataViewItem& item) const;
  // What a click on the row's box does.
  void toggle(const wxDataViewItem& item);

  // The one column's width as a fraction of the client width.
  void fitColumn(double fraction);

 private:
  ResourceTreeModel* model_;
};
