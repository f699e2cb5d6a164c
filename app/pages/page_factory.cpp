#include "app/pages/page_factory.h"

#include "app/pages/delete_page.h"
#include "app/pages/fonts_page.h"
#include "app/pages/install_page.h"
#include "app/pages/legacy_files_page.h"
#include "app/pages/list_page.h"
#include "app/pages/load_project_page.h"
#include "app/pages/send_container_page.h"

OperationPage* createOperationPage(int index, wxWindow* parent, PageHost& host) {
  switch (index) {
    case 1:
      return new LoadProjectPage(parent, host);
    case 2:
      return new SendContainerPage(parent, host);
    case 3:
      return new DeletePage(parent, host);
    case 4:
      return new ListPage(parent, host);
    case 5:
      return new LegacyFilesPage(parent, host);
    case 6:
      return new FontsPage(parent, host);
    default:
      return new InstallPage(parent, host);
  }
}
