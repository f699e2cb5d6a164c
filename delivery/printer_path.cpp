#include "delivery/printer_path.h"

#include <algorithm>
#include <optional>

#include "base/sdk_string.h"
#include "base/ps_font_name.h"
#include "base/sdk_file_kind.h"
#include "base/sdk_fs.h"

namespace {

struct FolderMarker {
  const char* marker;
  const char* root;
};

constexpr FolderMarker kFolderMarkers[] = {
    {"/formlib/", "tqfc"}, {"/imglib/", "tqfc"}, {"/jdtlib/", "tqfc"}, {"/encoding/", "tqfc"},
    {"/mislib/", "tqfc"},  {"/decomp/", "tqfc"}, {"/demo/", "tqf"},    {"/fontlib/", "tqfc"},
};

struct ExtensionFolder {
  const char* extension;
  const char* folder;
};

constexpr ExtensionFolder kExtensionFolders[] = {
    {"frm", "tqfc/formlib/"}, {"seg", "tqfc/formlib/"}, {"dbm", "tqfc/formlib/"},
    {"nm", "tqfc/mislib/"},   {"lm", "tqfc/mislib/"},   {"dmb", "tqfc/mislib/"},
    {"ps", "tqfc/mislib/"},   {"dbf", "tqfc/mislib/"},  {"dat", "tqfc/mislib/"},
    {"jpg", "tqfc/imglib/"},  {"tif", "tqfc/imglib/"},  {"eps", "tqfc/imglib/"},
    {"pfb", "tqfc/fontlib/"}, {"pfa", "tqfc/fontlib/"}, {"fnt", "tqfc/fontlib/"},
    {"jdt", "tqfc/jdtlib/"},  {"xjt", "tqfc/jdtlib/"},  {"enc", "tqfc/encoding/"},
};

constexpr char kFallbackFolder[] = "tqfc/mislib/";

// The text after the last separator; without one, the text after a leading
// drive ("C:", where backslashes separate); otherwise the whole path.
std::string fileNameOf(std::string_view path, bool backslashSeparates) {
  std::size_t cut = path.find_last_of(backslashSeparates ? "/\\" : "/");
  if (cut != std::string_view::npos) return std::string(path.substr(cut + 1));
  if (backslashSeparates && path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
    return std::string(path.substr(2));
  return std::string(path);
}

bool equalsNoCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

PrinterPath ToPrinterPath(std::string_view localPath, int typeIndex, bool useFolderMarkers,
                          bool backslashSeparates) {
  std::string working(localPath);
  if (backslashSeparates) sdkReplaceAll(working, "\\", "/");
  sdkReplaceAll(working, "//", "/");
  const std::string fileName = fileNameOf(localPath, backslashSeparates);

  if (typeIndex >= 0 && typeIndex < static_cast<int>(kPrinterResourceTypes.size()))
    return {kPrinterResourceTypes[static_cast<std::size_t>(typeIndex)].folder + fileName, true};

  if (useFolderMarkers) {
    for (const FolderMarker& marker : kFolderMarkers) {
      std::size_t hit = working.find(marker.marker);
      if (hit != std::string::npos) return {marker.root + working.substr(hit), true};
    }
  }

  std::size_t dot = localPath.rfind('.');
  std::string_view extension = dot == std::string_view::npos ? localPath : localPath.substr(dot + 1);
  for (const ExtensionFolder& row : kExtensionFolders) {
    if (equalsNoCaseAscii(extension, row.extension)) return {row.folder + fileName, true};
  }
  return {kFallbackFolder + fileName, false};
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  // Only a regular file, read up to the size it has when opened: a device
  // or FIFO would never end or never answer.
  SdkRegularFile file = sdkOpenRegularFile(path.c_str(), SdkLinks::kFollow);
  if (!file.file || file.size < 0) return false;
  std::string data(static_cast<std::size_t>(file.size), '\0');
  if (std::fread(data.data(), 1, data.size(), file.file.get()) != data.size()) return false;
  content = std::move(data);
  return true;
}

bool ReadPostScriptFontName(const std::string& path, std::string& fontName) {
  std::string content;
  if (!ReadWholeFile(path, content)) return false;
  // The first six bytes are a PFB segment header or the start of a PFA's
  // "%!" line; neither holds the name. The clear text ends at the first
  // zero byte (in a PFB, the header of the next segment). The rest of a
  // "%" line is a comment, as it is for the job library.
  std::string_view text(content);
  const bool comment = !text.empty() && text[0] == '%';
  text.remove_prefix(std::min<std::size_t>(6, text.size()));
  text = text.substr(0, text.find('\0'));
  if (comment) text.remove_prefix(std::min(text.size(), text.find_first_of("\r\n")));
  // The job library reads the name with the same scanner, so the name shown
  // is the name the font is stored under.
  SdkFontNameScanner scanner;
  scanner.feed(text.data(), text.size());
  scanner.finish();
  std::optional<std::string> name = scanner.name();
  if (!name) return false;
  fontName = *name;
  return true;
}
