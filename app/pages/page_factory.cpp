#include "app/pages/page_factory.h"

#include "app/pages/placeholder_page.h"

OperationPage* createOperationPage(int index, wxWindow* parent, PageHost& host) {
  switch (index) {
    default:
      return new PlaceholderPage(parent, host, index);
  }
}
