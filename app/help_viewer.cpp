#include "app/help_viewer.h"

#include <wx/app.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/frame.h>
#include <wx/fs_zip.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/listbox.h>
#include <wx/log.h>
#include <wx/sizer.h>

#include <algorithm>

#include "app/art.h"

namespace {
HelpViewer* g_viewer = nullptr;

// The contents, index and search lists of the help window start at a few
// pixels, less than their scroll bars need, until their page is first laid
// out.
void giveListsRoom(wxWindow* window) {
  for (wxWindow* child : window->GetChildren()) {
    if (dynamic_cast<wxListBox*>(child) != nullptr || child->HasFlag(wxVSCROLL) || child->HasFlag(wxHSCROLL)) {
      const wxSize least = child->FromDIP(wxSize(100, 100));
      child->SetMinSize(least);
      wxSize size = child->GetSize();
      size.IncTo(least);
      child->SetSize(size);
    }
    giveListsRoom(child);
  }
}

// The help window does not keep the program running once the main window
// has closed.
class HelpFrame : public wxFrame {
 public:
  using wxFrame::wxFrame;
  bool ShouldPreventAppExit() const override { return false; }
};

// Two thirds of the display's free area, at least 900x650 where it has room.
wxSize readableSize(const wxRect& area) {
  wxSize size(std::max(area.width * 2 / 3, 900), std::max(area.height * 2 / 3, 650));
  size.DecTo(area.GetSize());
  return size;
}
}  // namespace

HelpViewer::HelpViewer(const wxString& bookPath)
    // The controller's own frame would open at its small built-in size;
    // the viewer gives it a window of its own instead.
    : bookPath_(bookPath),
      controller_(std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE | wxHF_EMBEDDED)) {
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
  controller_->SetHelpWindow(nullptr);
  if (frame_ != nullptr) frame_->Destroy();
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

wxFrame* HelpViewer::openFrame() {
  if (frame_ != nullptr) return frame_;
  wxString title = _("Help");
  const wxHtmlBookRecArray& books = controller_->GetHelpData()->GetBookRecArray();
  if (!books.empty()) title += ": " + books[0].GetTitle();
  frame_ = new HelpFrame(nullptr, wxID_ANY, title);
  frame_->SetIcons(programIcons());
  auto* window = new wxHtmlHelpWindow(frame_, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxTAB_TRAVERSAL | wxBORDER_NONE, wxHF_DEFAULT_STYLE, controller_->GetHelpData());
  controller_->SetHelpWindow(window);
  giveListsRoom(window);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(window, 1, wxEXPAND);
  frame_->SetSizer(sizer);
  // Sized before it is first shown: shown small, its lists would be laid
  // out in less room than they need.
  const int display = wxDisplay::GetFromWindow(wxTheApp->GetTopWindow());
  frame_->SetSize(readableSize(wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea()));
  frame_->Centre();
  frame_->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE) frame_->Close();
    else event.Skip();
  });
  frame_->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    controller_->SetHelpWindow(nullptr);
    frame_ = nullptr;
    event.Skip();
  });
  frame_->Show();
  return frame_;
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
  wxFrame* frame = openFrame();
  if (listed) controller_->KeywordSearch(keyword, wxHELP_SEARCH_INDEX);
  else controller_->DisplayIndex();
  frame->Raise();
}

wxString HelpViewer::openedPage() {
  wxHtmlHelpWindow* window = controller_->GetHelpWindow();
  if (window == nullptr || window->GetHtmlWindow() == nullptr) return wxString();
  return window->GetHtmlWindow()->GetOpenedPage();
}
