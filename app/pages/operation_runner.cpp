#include "app/pages/operation_runner.h"

#include <wx/utils.h>

OpResult runOperation(PageHost& host, const std::function<OpResult(const OpContext&)>& operation) {
  OpResult result;
  {
    wxBusyCursor busy;
    result = operation(host.operationContext());
  }
  host.reportResult(result);
  return result;
}
