// Printers beyond the local spooler: the queues of further print servers
// ("QUEUE@HOST[:PORT]") and printers reached without any scheduler
// ("ipp://HOST[:PORT]/PATH", "ipps://..."); see print_servers.h for the
// forms and their checks.
//
// Servers are asked in parallel, one thread and one connection each, with
// encryption as the client settings say; a server that does not connect or
// answer within the time limit is reported once, with the reason, and the
// others' queues still come back in time: the listing never waits much
// longer than the limit, whatever a server does. A server's queue is
// offered when its driver takes raw PostScript (as for local queues;
// devices behind the server are not asked).
//
// A job for a queue of a server goes through that server exactly as a
// local job goes through the local scheduler (create the job, send the
// document raw, cancel it when the copy fails). A job for an IPP printer
// is one Print-Job of format application/postscript, sent only after the
// printer has listed that format in document-format-supported; otherwise
// the submission fails saying which formats it takes. The job file is
// streamed in pieces, never held whole.
//
// One implementation file per platform: network_spooler_cups.cpp (libcups)
// and network_spooler_win32.cpp, where shared printers ("\\SERVER\QUEUE")
// are printer names of the Windows spooler and these forms are refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "delivery/print_servers.h"
#include "delivery/spooler.h"
#include "delivery/spooler_jobs.h"

inline constexpr int kServerTimeoutMs = 3000;

// True when this platform sends network destinations itself (CUPS). On
// Windows every name, "@" or not, is a printer name of the spooler.
bool sendsNetworkDestinations();

// A destination this platform sends to a server or printer of the network
// rather than to a local queue.
inline bool isRoutedToNetwork(std::string_view destination) {
  return sendsNetworkDestinations() && isNetworkDestination(destination);
}

struct UnreachableServer {
  std::string server;  // as configured ("host[:port]")
  std::string reason;
};

// A printer known to be on a server that did not answer.
struct UnavailablePrinter {
  std::string printer;  // as the group or the history names it
  std::string server;   // as configured
  std::string reason;   // the server's
};

struct ServerPrinters {
  // "QUEUE@HOST[:PORT]", server by server in the order given, each
  // server's queues in its own order; at most kMaxPrinters in all.
  std::vector<std::string> printers;
  std::vector<UnreachableServer> unreachable;
  // Filled by AddUnavailablePrinters (unavailable_printers.h).
  std::vector<UnavailablePrinter> unavailablePrinters;
};

// The queues of the servers that take Tessel jobs.
ServerPrinters EnumerateServerPrinters(const std::vector<ServerAddress>& servers, int timeoutMs = kServerTimeoutMs);

// The raw submission to a network destination; a malformed one fails with
// the reason (CheckNetworkDestination).
Submission SubmitDataToNetwork(const std::string& docName, const std::string& destination, const ChunkReader& reader);

// The state of a job sent to a network destination, asked of that server
// or printer.
JobStatus QueryNetworkJob(const std::string& destination, int jobId);
