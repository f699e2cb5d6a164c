// Following jobs on CUPS (libcups), and the scheduler's own default. The
// submission itself is in spooler_cups.cpp.
#include <cups/cups.h>

#include <cstring>
#include <memory>

#include "delivery/cups_session.h"
#include "delivery/network_spooler.h"
#include "delivery/print_servers.h"
#include "delivery/spooler_jobs.h"

namespace {

using IppPtr = IppMessage;

std::string printerUri(const std::string& printerName) {
  char uri[1024];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                   printerName.c_str());
  return uri;
}

std::string textOf(ipp_t* response, const char* name, ipp_tag_t tag) {
  ipp_attribute_t* attr = ippFindAttribute(response, name, tag);
  const char* value = attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
  return value != nullptr ? value : "";
}

int numberOf(ipp_t* response, const char* name) {
  ipp_attribute_t* attr = ippFindAttribute(response, name, IPP_TAG_ENUM);
  return attr != nullptr ? ippGetInteger(attr, 0) : 0;
}

// The printer's state (3 idle, 4 processing, 5 stopped) and its message.
int printerState(http_t* http, const std::string& printerUri, const std::string& resource, std::string& message) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri.c_str());
  static const char* const wanted[] = {"printer-state", "printer-state-message"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
  IppPtr response(cupsDoRequest(http, request, resource.c_str()));
  if (!response) return 0;
  message = textOf(response.get(), "printer-state-message", IPP_TAG_TEXT);
  return numberOf(response.get(), "printer-state");
}

}  // namespace

JobStatus QueryJob(const std::string& printerName, int jobId) {
  if (isNetworkDestination(printerName)) return QueryNetworkJob(printerName, jobId);
  return queryJobOn(CUPS_HTTP_DEFAULT, printerUri(printerName), "/", jobId);
}

JobStatus queryJobOn(http_t* http, const std::string& printerUri, const std::string& resource, int jobId) {
  JobStatus status;
  if (jobId <= 0) return status;
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri.c_str());
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  static const char* const wanted[] = {"job-state", "job-printer-state-message"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
  IppPtr response(cupsDoRequest(http, request, resource.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) return status;
  status.reason = textOf(response.get(), "job-printer-state-message", IPP_TAG_TEXT);
  switch (numberOf(response.get(), "job-state")) {
    case IPP_JSTATE_PENDING: {
      // A job waiting on a stopped printer goes nowhere until someone
      // starts the printer again.
      std::string message;
      if (printerState(http, printerUri, resource, message) == IPP_PSTATE_STOPPED) {
        status.state = JobState::Stopped;
        status.reason = message.empty() ? "the printer is stopped" : "the printer is stopped: " + message;
      } else {
        status.state = JobState::Pending;
      }
      break;
    }
    case IPP_JSTATE_HELD:
      status.state = JobState::Held;
      break;
    case IPP_JSTATE_PROCESSING:
      status.state = JobState::Processing;
      break;
    case IPP_JSTATE_STOPPED:
      status.state = JobState::Stopped;
      break;
    case IPP_JSTATE_CANCELED:
      status.state = JobState::Cancelled;
      break;
    case IPP_JSTATE_ABORTED:
      status.state = JobState::Aborted;
      break;
    case IPP_JSTATE_COMPLETED:
      status.state = JobState::Completed;
      break;
    default:
      break;
  }
  return status;
}

std::string SpoolerUnreachableReason() {
  const char* server = cupsServer();
  http_t* http = httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr);
  if (http != nullptr) {
    httpClose(http);
    return {};
  }
  std::string where = server != nullptr ? server : "";
  if (!where.empty() && where[0] != '/') where += ":" + std::to_string(ippPort());
  return "cannot reach the CUPS scheduler at " + where +
         "; check that it runs ('lpstat -r') and that CUPS_SERVER or client.conf name it";
}

std::string SpoolerDefaultPrinter() {
  IppPtr response(cupsDoRequest(CUPS_HTTP_DEFAULT, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/"));
  if (!response) return {};
  return textOf(response.get(), "printer-name", IPP_TAG_NAME);
}
