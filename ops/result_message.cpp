#include "ops/result_message.h"

#include "ops/translate.h"

namespace {
struct Entry {
  int code;
  const char* text;
  bool withDetail;
};

constexpr Entry kMessages[] = {
    {1002, "Quaymaster cannot overwrite the temporary file.", true},
    {1003, "Quaymaster cannot locate the source file.", true},
    {1004, "Quaymaster cannot access the file.", true},
    {1005, "Quaymaster cannot write to the file.", true},
    {1006, "KRMSDK is not started.", false},
    {1007, "KRMSDK is already started.", false},
    {1008, "KRMSDK is already terminated.", false},
    {1009, "Quaymaster cannot locate the project.", true},
    {1010, "Quaymaster cannot open the project.", true},
    {1011, "Quaymaster cannot parse the file.", true},
    {1012, "Quaymaster cannot read the file.", true},
    {1013, "No project resources match the selection criteria.", false},
    {1014, "Quaymaster cannot find the Tessel installation.", false},
    {1015, "Quaymaster cannot find the submission file.", true},
    {1016, "Quaymaster cannot process the project.", false},
    {1017, "Quaymaster needs more information.", true},
    {1018, "Quaymaster cannot convert the local path to the printer path.", false},
    {1019, "Quaymaster cannot obtain the font name.", true},
    {1020, "Quaymaster only works with projects of type KORO.", false},
    {1022,
     "A printable container cannot be generated because this project contains PDF files as "
     "resources of type \"seg\".",
     false},
    {1023, "A file is too large for Quaymaster to process.", true},
};
}  // namespace

std::string resultMessage(int code, const std::string& detail) {
  for (const Entry& e : kMessages) {
    if (e.code != code) continue;
    std::string text = tr(e.text);
    if (e.withDetail && !detail.empty()) text += "\n\n" + detail;
    return text;
  }
  return tr("Quaymaster encounters a problem.");
}
