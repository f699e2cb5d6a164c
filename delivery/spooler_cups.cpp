// The spooler over CUPS (libcups). The scheduler is the one libcups is
// pointed at (CUPS_SERVER, client.conf or cupsSetServer).
#include <cups/cups.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "delivery/cups_session.h"
#include "delivery/network_spooler.h"
#include "delivery/print_servers.h"
#include "delivery/spooler.h"
#include "delivery/spooler_jobs.h"

namespace {

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string uriScheme(std::string_view uri) {
  std::size_t colon = uri.find(':');
  return colon == std::string_view::npos ? std::string() : lowerAscii(uri.substr(0, colon));
}

std::string percentEncode(std::string_view text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
        c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

using IppPtr = IppMessage;
using HttpPtr = HttpConnection;

// The queue's PPD file as text; nothing when the queue has none (404).
enum class PpdFetch { Found, NoDriver, Failed };

PpdFetch fetchPpd(http_t* http, const std::string& printerName, std::string& text) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> spool(std::tmpfile(), &std::fclose);
  if (!spool) return PpdFetch::Failed;
  std::string resource = "/printers/" + percentEncode(printerName) + ".ppd";
  http_status_t status = cupsGetFd(http, resource.c_str(), fileno(spool.get()));
  if (status == HTTP_STATUS_NOT_FOUND) return PpdFetch::NoDriver;
  if (status != HTTP_STATUS_OK) return PpdFetch::Failed;
  std::rewind(spool.get());
  char buffer[8192];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, spool.get())) > 0) text.append(buffer, got);
  return PpdFetch::Found;
}

// The quoted value of a "*key: "value"" line, split at blanks.
std::vector<std::string> quotedFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t open = line.find('"');
  std::size_t close = line.rfind('"');
  if (open == std::string_view::npos || close <= open) return fields;
  std::string_view value = line.substr(open + 1, close - open - 1);
  std::size_t pos = 0;
  while (pos < value.size()) {
    while (pos < value.size() && (value[pos] == ' ' || value[pos] == '\t')) ++pos;
    std::size_t end = pos;
    while (end < value.size() && value[end] != ' ' && value[end] != '\t') ++end;
    if (end > pos) fields.emplace_back(value.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

bool isFoomatic(const std::string& program) {
  std::size_t slash = program.rfind('/');
  return program.substr(slash == std::string::npos ? 0 : slash + 1) == "foomatic-rip";
}

// PostScript reaches the device when the driver has no filter at all, or
// one of its filters takes PostScript to the device (cupsFilter2: PostScript
// out; cupsFilter: PostScript in). foomatic-rip renders PostScript into the
// device's own language, so it counts as not PostScript.
bool ppdTakesPostScript(const std::string& ppd) {
  std::vector<std::vector<std::string>> filters;
  std::vector<std::vector<std::string>> filters2;
  std::size_t pos = 0;
  while (pos < ppd.size()) {
    std::size_t end = ppd.find('\n', pos);
    if (end == std::string::npos) end = ppd.size();
    std::string_view line(ppd.data() + pos, end - pos);
    if (line.starts_with("*cupsFilter2:")) filters2.push_back(quotedFields(line));
    else if (line.starts_with("*cupsFilter:")) filters.push_back(quotedFields(line));
    pos = end + 1;
  }
  if (!filters2.empty()) {
    for (const auto& f : filters2) {
      if (f.size() >= 4 && lowerAscii(f[1]).find("postscript") != std::string::npos && !isFoomatic(f[3])) return true;
    }
    return false;
  }
  if (filters.empty()) return true;
  for (const auto& f : filters) {
    if (f.size() >= 3 && lowerAscii(f[0]).find("postscript") != std::string::npos && !isFoomatic(f[2])) return true;
  }
  return false;
}

// How long the device of a driverless queue may take to say what it takes.
constexpr int kDeviceTimeoutMs = 3000;

// Driverless (IPP Everywhere) queues: the driver CUPS generates for them
// converts only to PDF and raster, yet a raw job reaches the device
// unchanged. Such a queue takes Tessel jobs exactly when the device itself
// lists application/postscript; the device is asked once per run.
bool askDeviceForPostScript(const std::string& uri) {
  char scheme[32], user[256], host[256], resource[1024];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, user, sizeof user, host, sizeof host,
                      &port, resource, sizeof resource) < HTTP_URI_STATUS_OK)
    return false;
  http_encryption_t encryption = lowerAscii(scheme) == "ipps" ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED;
  HttpPtr http(httpConnect2(host, port, nullptr, AF_UNSPEC, encryption, 1, kDeviceTimeoutMs, nullptr));
  if (!http) return false;
  httpSetTimeout(http.get(), kDeviceTimeoutMs / 1000.0, nullptr, nullptr);
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "document-format-supported");
  IppPtr response(cupsDoRequest(http.get(), request, resource));
  if (!response) return false;
  ipp_attribute_t* formats = ippFindAttribute(response.get(), "document-format-supported", IPP_TAG_MIMETYPE);
  for (int i = 0; formats != nullptr && i < ippGetCount(formats); ++i) {
    const char* format = ippGetString(formats, i, nullptr);
    if (format != nullptr && lowerAscii(format) == "application/postscript") return true;
  }
  return false;
}

bool deviceTakesPostScript(const std::string& uri) {
  static std::mutex lock;
  static std::map<std::string, bool> answers;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (auto it = answers.find(uri); it != answers.end()) return it->second;
  }
  bool answer = askDeviceForPostScript(uri);
  std::lock_guard<std::mutex> guard(lock);
  answers[uri] = answer;
  return answer;
}

}  // namespace

QueueFacts describeQueueWithoutDriver(const SpoolerQueue& queue) {
  QueueFacts facts;
  facts.name = queue.name;
  std::string scheme = uriScheme(queue.port);
  facts.pdfConverter = queue.driver == "Adobe PDF Converter" || scheme == "cups-pdf" ||
                       lowerAscii(queue.driver).find("cups-pdf") != std::string::npos;
  facts.conversionPort = queue.port == "KOROConvert" || scheme == "koroconvert";
  facts.filePort = scheme == "file";
  return facts;
}

QueueFacts describeQueue(const SpoolerQueue& queue) {
  QueueFacts facts = describeQueueWithoutDriver(queue);
  // Converters are out anyway; spare them the driver query.
  if (!facts.pdfConverter && !facts.conversionPort) facts.acceptsRawPostScript = SupportsPostScriptPassthrough(queue);
  return facts;
}

std::vector<SpoolerQueue> listQueuesOn(http_t* http) {
  std::vector<SpoolerQueue> queues;
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  static const char* const wanted[] = {"printer-name", "device-uri", "printer-make-and-model"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(sizeof wanted / sizeof wanted[0]), nullptr, wanted);
  IppPtr response(cupsDoRequest(http, request, "/"));
  if (!response) return queues;
  SpoolerQueue current;
  auto finish = [&]() {
    if (!current.name.empty()) queues.push_back(current);
    current = SpoolerQueue();
  };
  for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;
       attr = ippNextAttribute(response.get())) {
    const char* name = ippGetName(attr);
    if (name == nullptr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
      finish();
      continue;
    }
    const char* value = ippGetString(attr, 0, nullptr);
    if (value == nullptr) continue;
    if (std::strcmp(name, "printer-name") == 0) current.name = value;
    else if (std::strcmp(name, "device-uri") == 0) current.port = value;
    else if (std::strcmp(name, "printer-make-and-model") == 0) current.driver = value;
  }
  finish();
  return queues;
}

namespace {

// The local scheduler's queues through libcups' own connection.
std::vector<SpoolerQueue> listQueues() { return listQueuesOn(CUPS_HTTP_DEFAULT); }

enum class DriverVerdict { PostScript, NotPostScript, Unknown };

DriverVerdict driverVerdict(http_t* http, const SpoolerQueue& queue) {
  // A raw queue has no driver: the bytes reach the device unchanged.
  if (queue.driver == "Local Raw Printer") return DriverVerdict::PostScript;
  std::string ppd;
  switch (fetchPpd(http, queue.name, ppd)) {
    case PpdFetch::NoDriver:
      return DriverVerdict::PostScript;
    case PpdFetch::Failed:
      return DriverVerdict::Unknown;
    case PpdFetch::Found:
      break;
  }
  return ppdTakesPostScript(ppd) ? DriverVerdict::PostScript : DriverVerdict::NotPostScript;
}

void cancelJob(const CupsEndpoint& where, const std::string& printerName, int jobId) {
  if (where.local) {
    cupsCancelJob2(CUPS_HTTP_DEFAULT, printerName.c_str(), jobId, 0);
    return;
  }
  HttpConnection http = connectToScheduler(where, 5000);
  if (http) cupsCancelJob2(http.get(), printerName.c_str(), jobId, 0);
}

}  // namespace

bool queueTakesPostScriptOn(http_t* http, const SpoolerQueue& queue) {
  return driverVerdict(http, queue) == DriverVerdict::PostScript;
}

HttpConnection connectToScheduler(const CupsEndpoint& where, int timeoutMs) {
  const std::string host = where.local ? cupsServer() : where.host;
  const int port = where.local || where.port == 0 ? ippPort() : where.port;
  HttpConnection http(httpConnect2(host.c_str(), port, nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs, nullptr));
  // The local scheduler may take its time over a piece, as before; a
  // server on the network that stops answering must not hold us forever.
  if (http && !where.local) httpSetTimeout(http.get(), timeoutMs / 1000.0, nullptr, nullptr);
  return http;
}

bool SupportsPostScriptPassthrough(const SpoolerQueue& queue) {
  switch (driverVerdict(CUPS_HTTP_DEFAULT, queue)) {
    case DriverVerdict::PostScript:
      return true;
    case DriverVerdict::Unknown:
      return false;
    case DriverVerdict::NotPostScript:
      break;
  }
  const std::string scheme = uriScheme(queue.port);
  return (scheme == "ipp" || scheme == "ipps") && deviceTakesPostScript(queue.port);
}

std::vector<SpoolerQueue> ListSpoolerQueues() { return listQueues(); }

std::vector<std::string> EnumeratePrinters() {
  std::vector<QueueFacts> facts;
  std::size_t accepted = 0;
  for (const SpoolerQueue& queue : listQueues()) {
    facts.push_back(describeQueue(queue));
    const QueueFacts& f = facts.back();
    accepted += f.acceptsRawPostScript && !f.pdfConverter && !f.conversionPort;
    // Enough accepted ones: later queues cannot be offered anyway.
    if (accepted >= kMaxPrinters) break;
  }
  // File-output queues are fine here: they are real queues of the system.
  return selectOfferedPrinters(facts, false);
}

namespace {

// Create-Job on a print server, asked directly: libcups' own call looks
// the queue up among the destinations of the local client first.
int createJobOn(http_t* http, const CupsEndpoint& where, const std::string& queue, const std::string& docName) {
  char uri[1024];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, where.host.c_str(),
                   where.port != 0 ? where.port : ippPort(), "/printers/%s", queue.c_str());
  ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, docName.c_str());
  IppPtr response(cupsDoRequest(http, request, "/"));
  if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) return 0;
  ipp_attribute_t* id = ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER);
  return id != nullptr ? ippGetInteger(id, 0) : 0;
}

}  // namespace

std::string lastCupsError() {
  const char* text = cupsLastErrorString();
  return text != nullptr ? text : "";
}

Submission submitDataTo(const CupsEndpoint& where, const std::string& docName, const std::string& printerName,
                        const ChunkReader& reader) {
  Submission result;
  std::vector<char> buffer(kSpoolerChunkSize);
  long got = reader(buffer.data(), buffer.size());
  if (got < 0) {
    result.error = "cannot read the job file";
    return result;
  }

  // A connection of our own, so that an unfinished document can be dropped
  // by closing it.
  HttpPtr http = connectToScheduler(where, 30000);
  if (!http) {
    result.error = where.local ? "cannot connect to the print scheduler"
                               : "cannot connect to the print server " + where.host;
    result.unreachable = !where.local;
    return result;
  }
  int job = where.local ? cupsCreateJob(http.get(), printerName.c_str(), docName.c_str(), 0, nullptr)
                        : createJobOn(http.get(), where, printerName, docName);
  if (job <= 0) {
    result.error = lastCupsError();
    return result;
  }

  // The scheduler refuses empty documents; an empty job file has nothing to
  // deliver, and the queue has just shown that it takes jobs.
  if (got == 0) {
    http.reset();
    cancelJob(where, printerName, job);
    result.ok = true;
    return result;
  }

  if (cupsStartDocument(http.get(), printerName.c_str(), job, docName.c_str(), CUPS_FORMAT_RAW, 1) !=
      HTTP_STATUS_CONTINUE) {
    result.error = lastCupsError();
    http.reset();
    cancelJob(where, printerName, job);
    return result;
  }
  bool copied = true;
  while (got > 0) {
    if (cupsWriteRequestData(http.get(), buffer.data(), static_cast<std::size_t>(got)) != HTTP_STATUS_CONTINUE) {
      result.error = lastCupsError();
      copied = false;
      break;
    }
    got = reader(buffer.data(), buffer.size());
    if (got < 0) {
      result.error = "cannot read the job file";
      copied = false;
    }
  }
  if (!copied) {
    // Dropping the connection leaves the document unfinished; the job is
    // then cancelled, so a truncated job never reaches the printer.
    http.reset();
    cancelJob(where, printerName, job);
    return result;
  }
  ipp_status_t status = cupsFinishDocument(http.get(), printerName.c_str());
  if (status > IPP_STATUS_OK_CONFLICTING) {
    result.error = lastCupsError();
    http.reset();
    cancelJob(where, printerName, job);
    return result;
  }
  result.ok = true;
  result.jobId = job;
  return result;
}

namespace {

// Reads a file in pieces for the submissions.
class FileChunks {
 public:
  explicit FileChunks(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~FileChunks() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileChunks(const FileChunks&) = delete;
  FileChunks& operator=(const FileChunks&) = delete;
  bool open() const { return fd_ >= 0; }
  long operator()(char* buffer, std::size_t size) const {
    std::size_t filled = 0;
    while (filled < size) {
      ssize_t n = ::read(fd_, buffer + filled, size - filled);
      if (n < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (n == 0) break;
      filled += static_cast<std::size_t>(n);
    }
    return static_cast<long>(filled);
  }

 private:
  int fd_;
};

}  // namespace

Submission submitJobFile(const std::string& filePath, const std::string& printerName, const SendWatch& watch,
                         const std::function<Submission(const ChunkReader&)>& send) {
  FileChunks chunks(filePath);
  if (!chunks.open()) {
    Submission s;
    s.error = "cannot open the job file";
    return s;
  }
  bool cancelled = false;
  Submission s = send(watchedReader(std::cref(chunks), printerName, jobFileSize(filePath), watch, cancelled));
  if (cancelled) {
    // The sender has cancelled the unfinished job already.
    s.ok = false;
    s.cancelled = true;
    s.jobId = 0;
    s.error = "cancelled";
  }
  return s;
}

bool WriteDataToPrinter(const std::string& docName, const std::string& printerName, const ChunkReader& reader) {
  if (isNetworkDestination(printerName)) return SubmitDataToNetwork(docName, printerName, reader).ok;
  return submitDataTo(CupsEndpoint{}, docName, printerName, reader).ok;
}

Submission SubmitFileToPrinter(const std::string& docName, const std::string& filePath,
                               const std::string& printerName, const SendWatch& watch) {
  return submitJobFile(filePath, printerName, watch, [&](const ChunkReader& reader) {
    if (isNetworkDestination(printerName)) return SubmitDataToNetwork(docName, printerName, reader);
    return submitDataTo(CupsEndpoint{}, docName, printerName, reader);
  });
}

bool WriteFileToPrinter(const std::string& docName, const std::string& filePath, const std::string& printerName) {
  return SubmitFileToPrinter(docName, filePath, printerName).ok;
}
