// What the CUPS files share about talking to a scheduler: the local one or
// a print server of the configuration, each request on a connection of its
// own. Used only by spooler_cups.cpp, spooler_jobs_cups.cpp and
// network_spooler_cups.cpp.
#pragma once

#include <cups/cups.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "delivery/spooler.h"
#include "delivery/spooler_jobs.h"

// A scheduler: the one libcups is pointed at (local), or host and port.
struct CupsEndpoint {
  bool local = true;
  std::string host;
  int port = 0;
};

struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

struct IppFree {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppMessage = std::unique_ptr<ipp_t, IppFree>;

// A connection to the scheduler, with encryption as the client settings
// say; every wait on it ends after timeoutMs. Null when it cannot be made.
HttpConnection connectToScheduler(const CupsEndpoint& where, int timeoutMs);

// The queues the scheduler lists, in its order.
std::vector<SpoolerQueue> listQueuesOn(http_t* http);

// True when the queue takes raw PostScript on that scheduler, judged from
// its driver only (its device is not asked).
bool queueTakesPostScriptOn(http_t* http, const SpoolerQueue& queue);

// The raw submission of a job to a queue of the scheduler (spooler.h's
// rules: a job whose copy fails is cancelled; an empty job only checks the
// queue).
Submission submitDataTo(const CupsEndpoint& where, const std::string& docName, const std::string& queueName,
                        const ChunkReader& reader);

// The scheduler's words for the last failure of this thread's requests.
std::string lastCupsError();

// Opens the job file and runs send with a reader over it under the watch
// (spooler_jobs.h's watchedReader): the part every submission of a file
// shares. The submission says cancelled when the watch stopped it.
Submission submitJobFile(const std::string& filePath, const std::string& printerName, const SendWatch& watch,
                         const std::function<Submission(const ChunkReader&)>& send);

// The state of a job on a connection: printerUri names the printer,
// resource is where the requests go ("/" on a scheduler, the printer's
// path on an IPP printer).
JobStatus queryJobOn(http_t* http, const std::string& printerUri, const std::string& resource, int jobId);

// describeQueue without the driver query: the converter and port facts.
QueueFacts describeQueueWithoutDriver(const SpoolerQueue& queue);
