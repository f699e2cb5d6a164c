// The printers of print servers that did not answer.
//
// A server that does not answer cannot list its queues, yet the program
// knows some of them: the members of printer groups and the printers the
// send history has sent to. Those on a server of the listing's unreachable
// list are kept as unavailable, each once (two spellings of one printer,
// CanonicalNetworkDestination, are one), with that server's reason, so that
// the operator sees which printers a send to them would miss. Nothing here
// connects anywhere; the history is only read, and only when it exists.
#pragma once

#include <string>
#include <vector>

#include "delivery/network_spooler.h"

class wxConfigBase;

// The printers of `known` that are on an unreachable server, in the order
// of `known`; names that are not network destinations are skipped.
std::vector<UnavailablePrinter> FindUnavailablePrinters(const std::vector<UnreachableServer>& unreachable,
                                                        const std::vector<std::string>& known);

// The network printers the configuration's groups name, then those of the
// send history at historyPath (empty: the user's); each once.
std::vector<std::string> KnownNetworkPrinters(const wxConfigBase& config, const std::string& historyPath);

// Fills listing.unavailablePrinters when some server did not answer (the
// groups and the history are read only then).
void AddUnavailablePrinters(ServerPrinters& listing, const wxConfigBase& config, const std::string& historyPath);

// True when the name is one of listing.unavailablePrinters.
bool isUnavailablePrinter(const ServerPrinters& listing, const std::string& name);
