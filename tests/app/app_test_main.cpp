// The test program's own application object: the tests run inside its
// event loop, as the program's handlers do, so modal dialogs, timers and
// queued events behave as they do for a user.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>

namespace {

class TestApp : public wxApp {
 public:
  bool OnInit() override {
    wxInitAllImageHandlers();
    // Windows come and go during the run; the loop ends with the tests.
    SetExitOnFrameDelete(false);
    CallAfter([this] {
      status_ = RUN_ALL_TESTS();
      ExitMainLoop();
    });
    return true;
  }
  int OnRun() override {
    wxApp::OnRun();
    return status_;
  }

 private:
  int status_ = 1;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing needs no display.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  return wxEntry(argc, argv);
}
