// The configured print servers: one value, the names joined by ",".
#include <wx/config.h>

#include "delivery/app_config.h"
#include "delivery/print_servers.h"

namespace {

wxString serversKey() { return toWx(std::string("/") + kPrintServersGroup + "/" + kPrintServersKey); }

}  // namespace

std::vector<ServerAddress> ReadPrintServers(const wxConfigBase& config) {
  std::vector<ServerAddress> servers;
  wxString value;
  if (!config.Read(serversKey(), &value)) return servers;
  const std::string text = fromWx(value);
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t comma = text.find(',', pos);
    if (comma == std::string::npos) comma = text.size();
    ServerCheck check = CheckServerName(std::string_view(text).substr(pos, comma - pos));
    if (check.accepted()) {
      bool seen = false;
      for (const ServerAddress& s : servers) seen = seen || s.text() == check.address->text();
      if (!seen) servers.push_back(*check.address);
    }
    pos = comma + 1;
  }
  return servers;
}

std::vector<ServerAddress> ReadPrintServers() {
  AppFileConfig config;
  return ReadPrintServers(config);
}

bool WritePrintServers(wxConfigBase& config, const std::vector<ServerAddress>& servers) {
  std::string text;
  for (const ServerAddress& s : servers) text += (text.empty() ? "" : ",") + s.text();
  const auto* file = dynamic_cast<const QmConfigFile*>(&config);
  return config.Write(serversKey(), toWx(text)) && (file == nullptr || file->exists());
}
