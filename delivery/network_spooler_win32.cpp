// The Windows spooler reaches shared printers of other servers itself, as
// printer names "\\SERVER\QUEUE"; the scheduler forms are not for it.
#include "delivery/network_spooler.h"

bool sendsNetworkDestinations() { return false; }

ServerPrinters EnumerateServerPrinters(const std::vector<ServerAddress>&, int) { return {}; }

Submission SubmitDataToNetwork(const std::string&, const std::string& destination, const ChunkReader&) {
  Submission s;
  s.error = "'" + destination +
            "': on Windows, printers of other servers are reached as shared printers \\\\SERVER\\QUEUE";
  return s;
}

JobStatus QueryNetworkJob(const std::string&, int) { return {}; }
