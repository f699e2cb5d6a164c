#include "app/help_viewer.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_zip.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/log.h>

namespace {
HelpViewer* g_viewer = nullptr;
}

HelpViewer::HelpViewer(const wxString& bookPath)
    : bookPath_(bookPath), controller_(std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE)) {
  // The book is a zip archive read through the virtual file system.
  static const bool zipHandler = [] {
    wxFileSystem::AddHandler(new wxZipFSHandler);
    return true;
  }();
  (void)zipHandler;
  g_viewer = this;
}

HelpViewer::~HelpViewer() {
  if (g_viewer == this) g_viewer = nullptr;
  if (wxHtmlHelpFrame* frame = controller_->GetFrame()) frame->Destroy();
}

HelpViewer* HelpViewer::instance() { return g_viewer; }

wxHtmlHelpController& HelpViewer::controller() { return *controller_; }

bool HelpViewer::load() {
  if (loaded_) return true;
  if (loadFailed_) return false;
  wxLogNull quiet;
  loaded_ = controller_->AddBook(wxFileName(bookPath_), false);
  loadFailed_ = !loaded_;
  return loaded_;
}

void HelpViewer::showKeyword(const wxString& keyword) {
  if (!load()) return;
  bool listed = false;
  if (!keyword.empty()) {
    const wxHtmlHelpDataItems& index = controller_->GetHelpData()->GetIndexArray();
    for (std::size_t i = 0; i < index.size(); ++i) {
      if (index[i].name.IsSameAs(keyword, false)) {
        listed = true;
        break;
      }
    }
  }
  if (listed) controller_->KeywordSearch(keyword, wxHELP_SEARCH_INDEX);
  else controller_->DisplayIndex();
  if (wxHtmlHelpFrame* frame = controller_->GetFrame()) frame->Raise();
}

wxString HelpViewer::openedPage() {
  wxHtmlHelpWindow* window = controller_->GetHelpWindow();
  if (window == nullptr || window->GetHtmlWindow() == nullptr) return wxString();
  return window->GetHtmlWindow()->GetOpenedPage();
}
