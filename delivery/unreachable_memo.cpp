#include "delivery/unreachable_memo.h"

#include "delivery/network_spooler.h"
#include "delivery/print_servers.h"

Submission UnreachableMemo::SubmitFile(const std::string& docName, const std::string& filePath,
                                       const std::string& printerName, const SendWatch& watch) {
  const std::optional<ServerAddress> server =
      isRoutedToNetwork(printerName) ? DestinationServer(printerName) : std::nullopt;
  if (server) {
    std::lock_guard<std::mutex> guard(lock_);
    if (auto known = reasons_.find(server->text()); known != reasons_.end()) {
      Submission s;
      s.error = known->second;
      s.unreachable = true;
      return s;
    }
  }
  Submission s = spooler_.SubmitFile(docName, filePath, printerName, watch);
  if (server && s.unreachable) {
    std::lock_guard<std::mutex> guard(lock_);
    reasons_.emplace(server->text(), s.error);
  }
  return s;
}
