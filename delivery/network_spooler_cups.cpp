// Print servers and IPP printers over libcups.
#include <cups/cups.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "delivery/cups_session.h"
#include "delivery/network_spooler.h"

namespace {

// What one server's thread leaves; shared with the thread, which may
// outlive a listing that stopped waiting for it.
struct ServerAnswer {
  bool done = false;
  std::vector<std::string> printers;
  std::string reason;  // empty when it answered
};

struct Listing {
  std::mutex lock;
  std::condition_variable finished;
  std::vector<ServerAnswer> answers;
  std::size_t pending = 0;
};

std::string seconds(int ms) { return std::to_string((ms + 999) / 1000) + " s"; }

// The scheduler's error text, made safe to show: printable ASCII only.
std::string showableReason(std::string text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7f) c = '?';
  }
  if (text.size() > 200) text.resize(200);
  return text;
}

bool converterQueue(const SpoolerQueue& queue) {
  const QueueFacts facts = describeQueueWithoutDriver(queue);
  return facts.pdfConverter || facts.conversionPort;
}

ServerAnswer askServer(const ServerAddress& server, int timeoutMs) {
  ServerAnswer answer;
  const auto started = std::chrono::steady_clock::now();
  const CupsEndpoint where{false, server.host, server.port};
  HttpConnection http = connectToScheduler(where, timeoutMs);
  if (!http) {
    const std::string why = showableReason(lastCupsError());
    answer.reason = "cannot connect" + (why.empty() ? std::string() : ": " + why);
    return answer;
  }
  std::vector<SpoolerQueue> queues = listQueuesOn(http.get());
  // A scheduler without queues answers "not found"; that is an answer.
  const ipp_status_t status = cupsLastError();
  if (queues.empty() && status > IPP_STATUS_OK_CONFLICTING && status != IPP_STATUS_ERROR_NOT_FOUND) {
    const auto waited = std::chrono::steady_clock::now() - started;
    if (waited >= std::chrono::milliseconds(timeoutMs))
      answer.reason = "no answer within " + seconds(timeoutMs);
    else
      answer.reason = "the server refused the printer list: " + showableReason(lastCupsError());
    return answer;
  }
  for (const SpoolerQueue& queue : queues) {
    // The server's names are untrusted: one that could not be typed back
    // as a destination (control bytes, "@", ",") is not offered.
    const std::string destination = queue.name + "@" + server.text();
    if (!ParseRemoteQueue(destination) || converterQueue(queue)) continue;
    // A name it lists twice is one queue: the scheduler ignores letter case.
    if (std::any_of(answer.printers.begin(), answer.printers.end(),
                    [&](const std::string& kept) { return equalsNoCase(kept, destination); }))
      continue;
    if (!queueTakesPostScriptOn(http.get(), queue)) continue;
    answer.printers.push_back(destination);
  }
  return answer;
}

}  // namespace

bool sendsNetworkDestinations() { return true; }

ServerPrinters EnumerateServerPrinters(const std::vector<ServerAddress>& servers, int timeoutMs) {
  ServerPrinters result;
  if (servers.empty()) return result;
  auto listing = std::make_shared<Listing>();
  listing->answers.resize(servers.size());
  listing->pending = servers.size();
  for (std::size_t i = 0; i < servers.size(); ++i) {
    std::thread([listing, i, server = servers[i], timeoutMs]() {
      ServerAnswer answer = askServer(server, timeoutMs);
      answer.done = true;
      std::lock_guard<std::mutex> guard(listing->lock);
      listing->answers[i] = std::move(answer);
      --listing->pending;
      listing->finished.notify_all();
    }).detach();
  }
  // Past the limit (and a moment for the threads to hand in what they
  // have), a server is given up on, whatever its thread still waits for.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs + 500);
  std::unique_lock<std::mutex> guard(listing->lock);
  listing->finished.wait_until(guard, deadline, [&] { return listing->pending == 0; });
  for (std::size_t i = 0; i < servers.size(); ++i) {
    const ServerAnswer& answer = listing->answers[i];
    if (!answer.done) {
      result.unreachable.push_back({servers[i].text(), "no answer within " + seconds(timeoutMs)});
    } else if (!answer.reason.empty()) {
      result.unreachable.push_back({servers[i].text(), answer.reason});
    } else {
      for (const std::string& p : answer.printers)
        if (result.printers.size() < kMaxPrinters) result.printers.push_back(p);
    }
  }
  return result;
}

namespace {

constexpr int kPrinterTimeoutMs = 30000;
constexpr char kPostScript[] = "application/postscript";

HttpConnection connectToPrinter(const IppPrinterUri& uri) {
  const http_encryption_t encryption = uri.secure ? HTTP_ENCRYPTION_ALWAYS : cupsEncryption();
  const int port = uri.server.port != 0 ? uri.server.port : ippPort();
  HttpConnection http(httpConnect2(uri.server.host.c_str(), port, nullptr, AF_UNSPEC, encryption, 1,
                                   kServerTimeoutMs, nullptr));
  if (http) httpSetTimeout(http.get(), kPrinterTimeoutMs / 1000.0, nullptr, nullptr);
  return http;
}

// The formats the printer lists, at most 32, each shown safely; false
// when it did not answer.
bool printerFormats(http_t* http, const IppPrinterUri& uri, std::vector<std::string>& formats) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.text().c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "document-format-supported");
  IppMessage response(cupsDoRequest(http, request, uri.path.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) return false;
  ipp_attribute_t* list = ippFindAttribute(response.get(), "document-format-supported", IPP_TAG_MIMETYPE);
  for (int i = 0; list != nullptr && i < ippGetCount(list) && i < 32; ++i) {
    const char* format = ippGetString(list, i, nullptr);
    if (format != nullptr) formats.push_back(showableReason(std::string(format).substr(0, 64)));
  }
  return true;
}

bool listsPostScript(const std::vector<std::string>& formats) {
  return std::any_of(formats.begin(), formats.end(), [](const std::string& f) {
    return f.size() == std::strlen(kPostScript) && equalsNoCase(f, kPostScript);
  });
}

Submission printDirect(const IppPrinterUri& uri, const std::string& docName, const ChunkReader& reader) {
  Submission result;
  const std::string where = uri.text();
  HttpConnection http = connectToPrinter(uri);
  if (!http) {
    const std::string why = showableReason(lastCupsError());
    result.error = "cannot connect to the printer " + where + (why.empty() ? "" : ": " + why);
    result.unreachable = true;
    return result;
  }
  std::vector<std::string> formats;
  if (!printerFormats(http.get(), uri, formats)) {
    result.error = "the printer " + where + " does not say what it takes: " + showableReason(lastCupsError());
    return result;
  }
  if (!listsPostScript(formats)) {
    std::string accepted;
    for (const std::string& f : formats) accepted += (accepted.empty() ? "" : ", ") + f;
    result.error = "the printer " + where + " does not take PostScript; it accepts " +
                   (accepted.empty() ? "no document format it names" : accepted);
    return result;
  }

  std::vector<char> buffer(kSpoolerChunkSize);
  long got = reader(buffer.data(), buffer.size());
  if (got < 0) {
    result.error = "cannot read the job file";
    return result;
  }
  // Nothing to deliver: the printer has shown that it takes PostScript.
  if (got == 0) {
    result.ok = true;
    return result;
  }
  ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, where.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, docName.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, kPostScript);
  // cupsSendRequest does not take the request; it stays ours to free.
  IppMessage owned(request);
  if (cupsSendRequest(http.get(), request, uri.path.c_str(), CUPS_LENGTH_VARIABLE) != HTTP_STATUS_CONTINUE) {
    result.error = "the printer " + where + " refused the job: " + showableReason(lastCupsError());
    return result;
  }
  while (got > 0) {
    if (cupsWriteRequestData(http.get(), buffer.data(), static_cast<std::size_t>(got)) != HTTP_STATUS_CONTINUE) {
      result.error = "the printer " + where + " stopped taking the job: " + showableReason(lastCupsError());
      return result;
    }
    got = reader(buffer.data(), buffer.size());
    if (got < 0) {
      // Dropping the connection leaves the document unfinished, so the
      // printer has no whole job to print.
      result.error = "cannot read the job file";
      return result;
    }
  }
  IppMessage response(cupsGetResponse(http.get(), uri.path.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
    result.error = "the printer " + where + " refused the job: " + showableReason(lastCupsError());
    return result;
  }
  ipp_attribute_t* id = ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER);
  result.ok = true;
  result.jobId = id != nullptr ? ippGetInteger(id, 0) : 0;
  return result;
}

}  // namespace

Submission SubmitDataToNetwork(const std::string& docName, const std::string& destination, const ChunkReader& reader) {
  if (std::optional<IppPrinterUri> uri = ParseIppPrinterUri(destination)) return printDirect(*uri, docName, reader);
  if (std::optional<RemoteQueue> queue = ParseRemoteQueue(destination)) {
    const CupsEndpoint where{false, queue->server.host, queue->server.port};
    return submitDataTo(where, docName, queue->queue, reader);
  }
  Submission s;
  s.error = CheckNetworkDestination(destination);
  return s;
}

JobStatus QueryNetworkJob(const std::string& destination, int jobId) {
  if (std::optional<IppPrinterUri> uri = ParseIppPrinterUri(destination)) {
    HttpConnection http = connectToPrinter(*uri);
    if (!http) return {};
    return queryJobOn(http.get(), uri->text(), uri->path, jobId);
  }
  if (std::optional<RemoteQueue> queue = ParseRemoteQueue(destination)) {
    HttpConnection http = connectToScheduler(CupsEndpoint{false, queue->server.host, queue->server.port},
                                             kServerTimeoutMs);
    if (!http) return {};
    char uri[1024];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, queue->server.host.c_str(),
                     queue->server.port != 0 ? queue->server.port : ippPort(), "/printers/%s", queue->queue.c_str());
    return queryJobOn(http.get(), uri, "/", jobId);
  }
  return {};
}
