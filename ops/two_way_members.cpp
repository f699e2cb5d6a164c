#include "ops/two_way_members.h"

#include <algorithm>

#include "delivery/app_config.h"
#include "delivery/direct_send.h"
#include "delivery/printer_groups.h"
#include "delivery/send_job.h"

std::vector<DestinationMember> destinationMembers(const OpContext& ctx) {
  std::vector<DestinationMember> members;
  if (ctx.destination.empty() || ctx.destination == noPrintersSentinel()) return members;
  std::vector<std::string> names;
  if (isGroupTarget(ctx.destination)) {
    AppFileConfig config(kAppName, "", ctx.configFile);
    names = UniqueMembers(ReadPrinterGroup(config, stripGroupMarker(ctx.destination)));
  } else {
    names.push_back(ctx.destination);
  }
  const DirectRoutes routes = DirectRoutesFromConfig(ctx.configFile);
  for (const std::string& name : names) members.push_back({name, FindDirectTarget(routes, name)});
  return members;
}

TwoWayReach twoWayReach(const std::vector<DestinationMember>& members) {
  const auto answering = std::count_if(members.begin(), members.end(), [](const auto& m) { return m.twoWay(); });
  if (answering == 0) return TwoWayReach::None;
  return static_cast<std::size_t>(answering) == members.size() ? TwoWayReach::All : TwoWayReach::Some;
}
