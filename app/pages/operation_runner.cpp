#include "app/pages/operation_runner.h"

#include <wx/utils.h>

#include "app/pages/operation_progress.h"

OpResult runOperation(wxWindow* page, PageHost& host, const std::function<OpResult(const OpContext&)>& operation) {
  OpResult result;
  {
    wxBusyCursor busy;
    OperationProgress progress(page);
    OpContext context = host.operationContext();
    context.progress = progress.callback();
    result = operation(context);
  }
  host.reportResult(result);
  return result;
}
