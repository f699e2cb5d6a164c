#include "delivery/unavailable_printers.h"

#include "base/sdk_fs.h"
#include "delivery/print_servers.h"
#include "delivery/printer_groups.h"
#include "delivery/send_history.h"
#include "delivery/spooler.h"

namespace {

void addOnce(std::vector<std::string>& names, std::vector<std::string>& identities, const std::string& name) {
  if (!isNetworkDestination(name)) return;
  std::optional<std::string> identity = CanonicalNetworkDestination(name);
  if (!identity) return;
  for (const std::string& kept : identities)
    if (equalsNoCase(kept, *identity)) return;
  names.push_back(name);
  identities.push_back(std::move(*identity));
}

}  // namespace

std::vector<UnavailablePrinter> FindUnavailablePrinters(const std::vector<UnreachableServer>& unreachable,
                                                        const std::vector<std::string>& known) {
  std::vector<UnavailablePrinter> found;
  if (unreachable.empty()) return found;
  std::vector<std::string> names;
  std::vector<std::string> identities;
  for (const std::string& name : known) addOnce(names, identities, name);
  for (const std::string& name : names) {
    const std::optional<ServerAddress> on = DestinationServer(name);
    for (const UnreachableServer& server : unreachable) {
      const ServerCheck check = CheckServerName(server.server);
      if (on && check.accepted() && check.address->canonical().text() == on->text()) {
        found.push_back({name, server.server, server.reason});
        break;
      }
    }
  }
  return found;
}

std::vector<std::string> KnownNetworkPrinters(const wxConfigBase& config, const std::string& historyPath) {
  std::vector<std::string> names;
  std::vector<std::string> identities;
  for (const std::string& group : ListPrinterGroups(config))
    for (const std::string& member : ReadPrinterGroup(config, group)) addOnce(names, identities, member);
  // Opening a missing history would create one: listing printers never does.
  const std::string path = historyPath.empty() ? SendHistory::defaultPath() : historyPath;
  if (!path.empty() && sdkFileExists(path.c_str())) {
    SendHistory history(path);
    for (const std::string& member : history.memberNames()) addOnce(names, identities, member);
  }
  return names;
}

void AddUnavailablePrinters(ServerPrinters& listing, const wxConfigBase& config, const std::string& historyPath) {
  if (listing.unreachable.empty()) return;
  listing.unavailablePrinters = FindUnavailablePrinters(listing.unreachable, KnownNetworkPrinters(config, historyPath));
}

bool isUnavailablePrinter(const ServerPrinters& listing, const std::string& name) {
  for (const UnavailablePrinter& p : listing.unavailablePrinters)
    if (p.printer == name) return true;
  return false;
}
