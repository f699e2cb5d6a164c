// Default printer paths of loose files.
#include "krmsdk/krm_paths.h"

#include <array>
#include <string>
#include <utility>

#include "base/sdk_fs.h"

namespace {

constexpr std::array<const char*, 8> kMarkers = {"/formlib/", "/imglib/",  "/jdtlib/", "/encoding/",
                                                 "/mislib/",  "/decomp/", "/demo/",   "/fontlib/"};

// Library directory for an extension written all lower or all upper case.
const char* directoryForExtension(const std::string& ext) {
  static const std::array<std::pair<const char*, const char*>, 11> kTable = {{
      {"frm", "tqfc/formlib/"},
      {"seg", "tqfc/formlib/"},
      {"dbm", "tqfc/formlib/"},
      {"jpg", "tqfc/imglib/"},
      {"tif", "tqfc/imglib/"},
      {"pfa", "tqfc/fontlib/"},
      {"pfb", "tqfc/fontlib/"},
      {"fnt", "tqfc/fontlib/"},
      {"jdt", "tqfc/jdtlib/"},
      {"xjt", "tqfc/jdtlib/"},
      {"enc", "tqfc/encoding/"},
  }};
  std::string lower = ext, upper = ext;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (ext != lower && ext != upper) return "tqfc/mislib/";
  for (const auto& [e, dir] : kTable)
    if (lower == e) return dir;
  return "tqfc/mislib/";
}

}  // namespace

int krmLocalToPrinterPath(const char* localPath, SdkString& printerName, bool backslashSeparates) {
  std::string path(localPath ? localPath : "");
  if (backslashSeparates)
    for (char& c : path)
      if (c == '\\') c = '/';
  std::string::size_type at;
  while ((at = path.find("//")) != std::string::npos) path.erase(at, 1);
  for (const char* marker : kMarkers) {
    at = path.find(marker);
    if (at == std::string::npos) continue;
    std::string name = std::string(marker) == "/demo/" ? "tqf" : "tqfc";
    name += path.substr(at);
    printerName.set(name);
    return 1;
  }
  // Separators are all "/" by now; a drive ("C:") only means one on Windows.
  std::string file = path.substr(path.rfind('/') + 1);
  if (backslashSeparates && file == path && file.size() >= 2 && file[1] == ':' &&
      ((file[0] >= 'A' && file[0] <= 'Z') || (file[0] >= 'a' && file[0] <= 'z')))
    file.erase(0, 2);
  std::string::size_type dot = file.rfind('.');
  std::string ext = dot == std::string::npos ? std::string() : file.substr(dot + 1);
  printerName.set(std::string(ext.empty() ? "tqfc/mislib/" : directoryForExtension(ext)) + file);
  return 1;
}
