#include "krmsdk/krm_printer_names.h"

#include "base/sdk_fs.h"
#include "kpsdk/kx_names.h"

namespace {

constexpr std::size_t kShownBytes = 160;

bool isControlByte(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

// The first level, up to the first "/".
std::string_view firstLevel(std::string_view name) { return name.substr(0, name.find('/')); }

bool sameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (sdkLowerAsciiChar(a[i]) != sdkLowerAsciiChar(b[i])) return false;
  return true;
}

}  // namespace

KrmNameFault krmPrinterNameFault(std::string_view name) {
  if (name.empty()) return KrmNameFault::kEmpty;
  if (name.front() == '/') return KrmNameFault::kAbsolute;
  if (name.front() == '%') return KrmNameFault::kDevice;
  for (char c : name)
    if (isControlByte(c)) return KrmNameFault::kControlByte;
  for (std::size_t start = 0; start <= name.size();) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view level = name.substr(start, end - start);
    if (level == "..") return KrmNameFault::kParentLevel;
    // The prolog's own files: a project's record and a transfer's part file.
    if (level == ".krmuses" || (level.size() >= 7 && level.substr(level.size() - 7) == ".krmtmp"))
      return KrmNameFault::kReserved;
    start = end + 1;
  }
  if (name.size() > kKrmMaxPrinterNameBytes) return KrmNameFault::kTooLong;
  return KrmNameFault::kNone;
}

static_assert(kKrmMaxPrinterNameBytes == 248, "the fault text names the limit");

const char* krmNameFaultText(KrmNameFault fault) {
  switch (fault) {
    case KrmNameFault::kNone:
      return "is a name the printer takes";
    case KrmNameFault::kEmpty:
      return "is empty";
    case KrmNameFault::kAbsolute:
      return "starts with '/'";
    case KrmNameFault::kDevice:
      return "starts with '%', which names a device";
    case KrmNameFault::kControlByte:
      return "holds a control character";
    case KrmNameFault::kParentLevel:
      return "holds a '..' level";
    case KrmNameFault::kReserved:
      return "holds a level the printer keeps for its own files";
    case KrmNameFault::kTooLong:
      return "is longer than the 248 bytes a printer file name may hold";
  }
  return "is not a name the printer takes";
}

KrmSystemArea krmSystemArea(std::string_view name) {
  const std::string_view level = firstLevel(name);
  if (sameLetters(level, "Sys")) return KrmSystemArea::kStartup;
  if (sameLetters(level, "tqf")) return KrmSystemArea::kTessel;
  if (sameLetters(level, "fonts")) return KrmSystemArea::kFonts;
  return KrmSystemArea::kNone;
}

std::string krmShownName(std::string_view name) {
  std::string shown = kxPrintableName(name);
  if (shown.size() <= kShownBytes) return shown;
  std::size_t cut = kShownBytes - 3;
  // Never between the bytes of one UTF-8 character.
  while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
  return shown.substr(0, cut) + "...";
}
