#include "app/pages/resource_tree.h"

#include <wx/artprov.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>

#include "app/pages/operation_progress.h"
#include "app/user_prompts.h"
#include "delivery/app_config.h"

// The rows: folders own their files; top-level files have no folder.
struct ResourceRow {
  std::string name;  // resource name, or the type for a folder
  std::string key;   // the name in lower case, for sorting
  ResourceRow* folder = nullptr;
  std::vector<ResourceRow*> files;  // a folder's files, sorted
  bool isFolder = false;
  bool checked = false;          // files only
  std::size_t checkedFiles = 0;  // folders only
  // As shown; made when the view first asks for it.
  mutable wxString text;

  wxCheckBoxState state() const {
    if (!isFolder) return checked ? wxCHK_CHECKED : wxCHK_UNCHECKED;
    if (checkedFiles == 0) return wxCHK_UNCHECKED;
    return checkedFiles == files.size() ? wxCHK_CHECKED : wxCHK_UNDETERMINED;
  }
  const wxString& shown() const {
    if (text.empty()) text = toWx(name);
    return text;
  }
};

namespace {

// Case-blind order of names; names equal but for case keep a fixed order.
bool nameBefore(const ResourceRow* a, const ResourceRow* b) {
  const int byKey = a->key.compare(b->key);
  return byKey != 0 ? byKey < 0 : a->name < b->name;
}

// Sorts rows by name; a name listed twice keeps one row.
void sortUnique(std::vector<ResourceRow*>& rows) {
  std::sort(rows.begin(), rows.end(), nameBefore);
  rows.erase(std::unique(rows.begin(), rows.end(),
                         [](const ResourceRow* a, const ResourceRow* b) { return a->name == b->name; }),
             rows.end());
}

// The check box renderer measures every row's text to learn its size,
// which costs more than everything else on a big tree. All rows are one
// line high, so the first measurement gives the height of them all; the
// width is the column's, as the view draws a row's text only within the
// width given here (a measured width would clip longer names).
class CheckRenderer : public wxDataViewCheckIconTextRenderer {
 public:
  wxSize GetSize() const override {
    if (size_ == wxDefaultSize) size_ = wxDataViewCheckIconTextRenderer::GetSize();
    const wxDataViewColumn* column = GetOwner();
    return wxSize(column != nullptr ? std::max(size_.x, column->GetWidth()) : size_.x, size_.y);
  }

 private:
  mutable wxSize size_ = wxDefaultSize;
};

}  // namespace

class ResourceTreeModel : public wxDataViewModel {
 public:
  ResourceTreeModel()
      : folderIcon_(wxArtProvider::GetBitmapBundle(wxART_FOLDER, wxART_LIST)),
        fileIcon_(wxArtProvider::GetBitmapBundle(wxART_NORMAL_FILE, wxART_LIST)) {}

  void fill(const std::vector<ProjectResource>& resources) {
    // The view may still ask about the old rows until it has been told
    // that everything changed; they go only after that.
    std::deque<ResourceRow> oldRows = std::move(rows_);
    rows_.clear();
    top_.clear();
    if (view_ != nullptr) view_->UnselectAll();
    std::map<std::string, ResourceRow*> folders;  // by exact type
    std::vector<ResourceRow*> loose;
    for (const ProjectResource& r : resources) {
      ResourceRow* file = newRow(r.name, false);
      if (r.type == "none") {
        loose.push_back(file);
        continue;
      }
      ResourceRow*& folder = folders[r.type];
      if (folder == nullptr) folder = newRow(r.type, true);
      file->folder = folder;
      folder->files.push_back(file);
    }
    for (auto& [type, folder] : folders) {
      sortUnique(folder->files);
      top_.push_back(folder);
    }
    std::sort(top_.begin(), top_.end(), nameBefore);
    sortUnique(loose);
    top_.insert(top_.end(), loose.begin(), loose.end());
    Cleared();
  }

  const std::vector<ResourceRow*>& top() const { return top_; }
  static ResourceRow* row(const wxDataViewItem& item) { return static_cast<ResourceRow*>(item.GetID()); }

  // Ticks or clears a row; a folder passes it on to all its files.
  void setChecked(ResourceRow* row, bool checked) {
    wxDataViewItemArray changed;
    if (row->isFolder) {
      for (ResourceRow* file : row->files) file->checked = checked;
      row->checkedFiles = checked ? row->files.size() : 0;
      // Closed folders show their files afresh when opened.
      if (view_ != nullptr && view_->IsExpanded(wxDataViewItem(row)))
        for (ResourceRow* file : row->files) changed.Add(wxDataViewItem(file));
    } else if (row->checked != checked) {
      row->checked = checked;
      if (row->folder != nullptr) {
        row->folder->checkedFiles += checked ? 1 : -1;
        changed.Add(wxDataViewItem(row->folder));
      }
    }
    changed.Add(wxDataViewItem(row));
    ItemsChanged(changed);
  }
  void setView(wxDataViewCtrl* view) { view_ = view; }

  unsigned GetColumnCount() const override { return 1; }
  wxString GetColumnType(unsigned) const override { return wxDataViewCheckIconTextRenderer::GetDefaultType(); }
  void GetValue(wxVariant& value, const wxDataViewItem& item, unsigned) const override {
    const ResourceRow* r = row(item);
    value << wxDataViewCheckIconText(r->shown(), r->isFolder ? folderIcon_ : fileIcon_, r->state());
  }
  bool SetValue(const wxVariant& value, const wxDataViewItem& item, unsigned) override {
    wxDataViewCheckIconText checked;
    checked << value;
    ResourceRow* r = row(item);
    // A half-ticked folder that the user clicks becomes ticked.
    const bool tick = checked.GetCheckedState() == wxCHK_CHECKED ||
                      (checked.GetCheckedState() == wxCHK_UNDETERMINED && r->state() != wxCHK_CHECKED);
    setChecked(r, tick);
    return true;
  }
  wxDataViewItem GetParent(const wxDataViewItem& item) const override {
    const ResourceRow* r = row(item);
    return wxDataViewItem(r == nullptr ? nullptr : r->folder);
  }
  bool IsContainer(const wxDataViewItem& item) const override { return !item.IsOk() || row(item)->isFolder; }
  unsigned GetChildren(const wxDataViewItem& item, wxDataViewItemArray& children) const override {
    const std::vector<ResourceRow*>& rows = item.IsOk() ? row(item)->files : top_;
    children.Alloc(rows.size());
    for (ResourceRow* r : rows) children.Add(wxDataViewItem(r));
    return static_cast<unsigned>(rows.size());
  }

 private:
  ResourceRow* newRow(const std::string& name, bool isFolder) {
    ResourceRow& r = rows_.emplace_back();
    r.name = name;
    r.key = name;
    for (char& c : r.key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    r.isFolder = isFolder;
    return &r;
  }

  std::deque<ResourceRow> rows_;  // stable addresses
  std::vector<ResourceRow*> top_;
  wxBitmapBundle folderIcon_, fileIcon_;
  wxDataViewCtrl* view_ = nullptr;
};

ResourceTree::ResourceTree(wxWindow* parent, wxWindowID id)
    : wxDataViewCtrl(parent, id, wxDefaultPosition, wxDefaultSize, wxDV_SINGLE), model_(new ResourceTreeModel) {
  AssociateModel(model_);
  model_->DecRef();
  model_->setView(this);
  auto* renderer = new CheckRenderer();
  renderer->Allow3rdStateForUser(false);
  AppendColumn(new wxDataViewColumn("<" + wxString(_("Project Resources")) + ">", renderer, 0, FromDIP(300),
                                    wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE));

  Bind(wxEVT_DATAVIEW_ITEM_ACTIVATED, [this](wxDataViewEvent& event) {
    const wxDataViewItem item = event.GetItem();
    if (!item.IsOk() || !ResourceTreeModel::row(item)->isFolder) return;
    if (IsExpanded(item)) Collapse(item);
    else Expand(item);
  });
  // Space ticks the focused row; the view would only select it.
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    const wxDataViewItem current = GetCurrentItem();
    if (event.GetKeyCode() == WXK_SPACE && !event.HasAnyModifiers() && current.IsOk()) toggle(current);
    else event.Skip();
  });
}

bool ResourceTree::load(const OpContext& context, const std::string& projectPath) {
  clear();
  ProjectListing listing;
  {
    wxBusyCursor busy;
    OperationProgress progress(this);
    OpContext withProgress = context;
    withProgress.progress = progress.callback();
    listing = listProjectResources(withProgress, projectPath, false);
  }
  if (listing.result.kind == OpResult::Kind::Cancelled) return false;
  if (!listing.result.message.empty()) {
    showMessage(this, toWx(listing.result.message));
    return false;
  }
  showResources(listing.resources);
  return true;
}

void ResourceTree::showResources(const std::vector<ProjectResource>& resources) { model_->fill(resources); }

void ResourceTree::clear() { model_->fill({}); }

std::vector<std::string> ResourceTree::checkedNames() const {
  std::vector<std::string> names;
  for (const ResourceRow* top : model_->top()) {
    if (!top->isFolder) {
      if (top->checked) names.push_back(top->name);
      continue;
    }
    for (const ResourceRow* file : top->files)
      if (file->checked) names.push_back(file->name);
  }
  return names;
}

wxDataViewItem ResourceTree::folderItem(const std::string& type) const {
  for (ResourceRow* top : model_->top())
    if (top->isFolder && top->name == type) return wxDataViewItem(top);
  return {};
}

wxDataViewItem ResourceTree::fileItem(const std::string& type, const std::string& name) const {
  if (type == "none") {
    for (ResourceRow* top : model_->top())
      if (!top->isFolder && top->name == name) return wxDataViewItem(top);
    return {};
  }
  const wxDataViewItem folder = folderItem(type);
  if (!folder.IsOk()) return {};
  for (ResourceRow* file : ResourceTreeModel::row(folder)->files)
    if (file->name == name) return wxDataViewItem(file);
  return {};
}

std::vector<wxDataViewItem> ResourceTree::topItems() const {
  std::vector<wxDataViewItem> items;
  for (ResourceRow* top : model_->top()) items.emplace_back(top);
  return items;
}

std::vector<wxDataViewItem> ResourceTree::filesOf(const wxDataViewItem& folder) const {
  std::vector<wxDataViewItem> items;
  if (folder.IsOk())
    for (ResourceRow* file : ResourceTreeModel::row(folder)->files) items.emplace_back(file);
  return items;
}

wxString ResourceTree::itemText(const wxDataViewItem& item) const {
  return item.IsOk() ? ResourceTreeModel::row(item)->shown() : wxString();
}

wxCheckBoxState ResourceTree::itemState(const wxDataViewItem& item) const {
  return item.IsOk() ? ResourceTreeModel::row(item)->state() : wxCHK_UNCHECKED;
}

void ResourceTree::toggle(const wxDataViewItem& item) {
  if (!item.IsOk()) return;
  ResourceRow* row = ResourceTreeModel::row(item);
  model_->setChecked(row, row->state() != wxCHK_CHECKED);
}

void ResourceTree::fitColumn(double fraction) {
  const int width = GetClientSize().x;
  if (width > 0 && GetColumnCount() > 0) GetColumn(0)->SetWidth(static_cast<int>(width * fraction));
}
