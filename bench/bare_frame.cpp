// The reference for app_start_bench: the smallest wxWidgets program that
// shows a frame.
#include <wx/app.h>
#include <wx/frame.h>

class BareApp : public wxApp {
 public:
  bool OnInit() override {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Bare Frame", wxDefaultPosition, wxSize(620, 732));
    frame->Show();
    return true;
  }
};

wxIMPLEMENT_APP(BareApp);
