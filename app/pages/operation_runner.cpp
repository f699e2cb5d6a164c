#include "app/pages/operation_runner.h"

#include <wx/utils.h>

#include "app/pages/operation_progress.h"
#include "delivery/app_config.h"

OpResult runOperation(wxWindow* page, PageHost& host, const std::function<OpResult(const OpContext&)>& operation) {
  OpResult result;
  if (host.operationContext().destination.empty()) {
    // Nothing chosen (the remembered printer went away): no guess.
    result.kind = OpResult::Kind::Refused;
    result.message = fromWx(_("Choose a destination first."));
    host.reportResult(result);
    return result;
  }
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
