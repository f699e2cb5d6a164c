// The printers a destination stands for, and which of them answer on their
// connection.
//
// A printer answers when it is reached directly: a socket:// address, a
// direct printer of the configuration, or (with twoWaySpoolerQueues on) a
// spooler queue whose device is socket://. Every other member is a spooler
// queue, which only takes jobs. A group's members come from the context's
// configuration file, each once, in stored order; the no-printer
// placeholder stands for nobody.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "delivery/direct_printer.h"
#include "ops/operation.h"

struct DestinationMember {
  std::string printer;
  // Where it is reached directly; nothing for a spooler queue. A socket://
  // text that is not a good address is here too, refused (its message).
  std::optional<AddressCheck> direct;
  bool twoWay() const { return direct.has_value(); }
};

std::vector<DestinationMember> destinationMembers(const OpContext& ctx);

// How the destination's printers answer, in a word.
enum class TwoWayReach { None, Some, All };
TwoWayReach twoWayReach(const std::vector<DestinationMember>& members);
