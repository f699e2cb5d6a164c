// Message log and catalogue of the project SDK.
#include "kpsdk/kx_messages.h"

#include <string_view>
#include <unordered_map>

#include "kpsdk/kx_types.h"

namespace {

// Every format the project SDK and the archive layer log, by number. The
// archive texts (54 to 73, 100 to 111) must stay exactly as the archive
// layer writes its templates.
constexpr const char* kCatalogue[] = {
    "(pos. %d) %s",  // 0
    "Print-and-Forget path not specified in SETPPATH",  // 1
    "Print-and-Forget path must be first in SETPPATH definition",  // 2
    "Could not open file '%s'",  // 3
    "'%s' not an XML file",  // 4
    "Nested <MODIFICATIONS> sections not allowed",  // 5
    "Unexpected </MODIFICATIONS> tag encountered",  // 6
    "Nested <MODIFICATION> sections not allowed",  // 7
    "Unexpected </MODIFICATION> tag encountered",  // 8
    "Nested <ACTIONS> sections not allowed",  // 9
    "<DATE> missing or improperly specfied within <MODIFICATION> section",  // 10
    "<USER> missing or improperly specfied within <MODIFICATION> section",  // 11
    "Unexpected </ACTIONS> tag encountered",  // 12
    "Nested <RESOURCES> sections not allowed",  // 13
    "Unexpected </RESOURCES> tag encountered",  // 14
    "<RESOURCE ... /> tag, malformed or missing field(s): %s",  // 15
    "<RESOURCE> tag encountered before <FOLDER_NAME> or <PROJECT_NAME>",  // 16
    "<PRIVATE Identifier='...'> tag, malformed or missing fields(s)",  // 17
    "Could not create temporary directory '%s'",  // 18
    "Could not find a file with .kpf extension in archive '%s'",  // 19
    "Could not create directory: '%s'",  // 20
    "XML header not present",  // 21
    "KPF version not specified",  // 22
    "Copyright not specified",  // 23
    "Folder name not specified",  // 24
    "Project name not specified",  // 25
    "Project version not specified",  // 26
    "Project title not specified",  // 27
    "Project description not specified",  // 28
    "Project author not specified",  // 29
    "Project keywords not specified",  // 30
    "Project generator not specified",  // 31
    "Project creation date not specified",  // 32
    "Project current date not specified",  // 33
    "Project current user not specified",  // 34
    "Premature end of file (no </MODIFICATIONS> tag?)",  // 35
    "Premature end of file (no </MODIFICATION> tag?)",  // 36
    "Premature end of file (no </ACTIONS> tag?)",  // 37
    "Premature end of file (no </RESOURCES> tag?)",  // 38
    "Premature end of file (no </KPF> tag?)",  // 39
    "Could not create file '%s' (%s)",  // 40
    "Could not export (Project not yet initialized - did you call 'SetFolderProjectNames'?).",  // 41
    "The Project already contains an element named '%s'",  // 42
    "Could not find the element '%s'",  // 43
    "Could not find the resource '%s'",  // 44
    "Local scope '%s' hides Folder scope '%s'",  // 45
    "Local scope '%s' hides Global scope '%s'",  // 46
    "Folder scope '%s' hides Global scope '%s'",  // 47
    "Removal only a valid operation for archives extracted as 'Print-and-Forget'",  // 48
    "Resource '%s' was not at local scope, but should have been - removal operation halted",  // 49
    "The file '%s' could not be removed - removal operation halted",  // 50
    "The directory '%s' could not be removed",  // 51
    "The directory '%s' could not be located for removal",  // 52
    "Could not add submission file '%s' - submission order '%d' already exists",  // 53
    "ERROR (Minizip): Could not create directory %s",  // 54
    "ERROR (Minizip): Error# %d in unzGetCurrentFileInfo",  // 55
    "ERROR (Minizip): Error# %d in unzOpenCurrentFile",  // 56
    "ERROR (Minizip): Could not open file %s",  // 57
    "ERROR (Minizip): Error# %d in unzReadCurrentFile",  // 58
    "ERROR (Minizip): Unexpected problem writing file (disk full?)",  // 59
    "ERROR (Minizip): Error# %d in unzCloseCurrentFile",  // 60
    "ERROR (Minizip): Error# %d in unzGetGlobalInfo",  // 61
    "ERROR (Minizip): Error# %d unzGoToNextFile",  // 62
    "ERROR (Minizip): Could not allocate memory",  // 63
    "ERROR (Minizip): File %s not found in archive",  // 64
    "ERROR (Minizip): Cannot open %s or %s.kpc",  // 65
    "ERROR (Minizip): Cannot create archive %s",  // 66
    "ERROR (Minizip): Could not open %s in archive",  // 67
    "ERROR (Minizip): Could not read %s in archive",  // 68
    "ERROR (Minizip) Unexpected problem writing %s (disk full?)",  // 69
    "ERROR (Minizip): Could not close %s in archive",  // 70
    "ERROR (Minizip): Could not close archive %s",  // 71
    "ERROR (Minizip): No .kpf file found in archive %s",  // 72
    "ERROR (Minizip): Index %d invalid in archive %s",  // 73
    "Project type 'KORO' not allowed here",  // 74
    "This operation is restricted to projects of type 'KORO'",  // 75
    "Invalid project type: '%d'",  // 76
    "Invalid project type: '%s'",  // 77
    "Project paths may not be specified for projects of type 'KORO'",  // 78
    "If a project path of one scope is specified, project paths for all scopes must be specified",  // 79
    "'Local' project path not specified",  // 80
    "'Folder shared' project path not specified",  // 81
    "'Glogal shared' project path not specified",  // 82
    "Invalid or missing scope for project path '%s'",  // 83
    "Invalid Project Path Mismatch Action: '%d'",  // 84
    "Stubfile premature EOF at line: %d",  // 85
    "Stubfile contains invalid project type: '%s'",  // 86
    "Stubfile syntax error: KX_PROJECT_PDLTYPE '%s' missing '%s' in '%s'",  // 87
    "Stubfile and KPF project path mismatch for local scope: '%s' vs '%s'",  // 88
    "Stubfile and KPF project path mismatch for folder shared scope: '%s' vs '%s'",  // 89
    "Stubfile and KPF project path mismatch for global shared scope: '%s' vs '%s'",  // 90
    "Stubfile is missing path information for project type: '%s'",  // 91
    "Could not add job ticket file '%s' - job ticket order '%d' already exists",  // 92
    "KPF has at least one job ticket, but job ticket count does not equal submission file count: '%d' vs '%d'",  // 93
    "Job ticket element has no mime type, order: '%d'",  // 94
    "Submission file order out of sync with job ticket order: '%d' vs '%d'",  // 95
    "The resource path context could not be determined (possible cause: use of non-KORO stubfile for a KX Project of type KORO, or a KORO tqfdos|unix.run file for a non-KORO KX Project)",  // 96
    "Could not add job ticket file '%s' - job ticket ID '%d' already exists",  // 97
    "Job ticket specifications contain a mix of JobTicketOrder and JobTicketID",  // 98
    "Submission file of order '%d' specifies a job ticket with ID '%d', but no job ticket with that ID is present",  // 99
    "ERROR (Minizip): Internal - tag: %d, file: %s, reason: %s",  // 100
    "Archive volume size must be greater than zero",  // 101
    "Could not find archive file '%s'",  // 102
    "Could not open archive file '%s' - reason '%s'",  // 103
    "Compressed archives cannot be split into volumes",  // 104
    "Error reading archive volume '%s' - reason '%s'",  // 105
    "Error writing archive volume '%s' - reason '%s'",  // 106
    "Archive volume name '%s' is malformed",  // 107
    "Operation cancelled",  // 108
    "Volume size must be greater than zero",  // 109
    "ERROR (Minizip): Archive %s is damaged at entry %s (%s)",  // 110
    "ERROR (Tar): Internal - tag: %d, file: %s, reason: %s",  // 111
};
constexpr int kCatalogueSize = static_cast<int>(sizeof kCatalogue / sizeof kCatalogue[0]);

const std::unordered_map<std::string_view, int>& catalogueIndex() {
  static const std::unordered_map<std::string_view, int> index = [] {
    std::unordered_map<std::string_view, int> m;
    for (int i = 0; i < kCatalogueSize; ++i) m.emplace(kCatalogue[i], i);
    return m;
  }();
  return index;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    std::size_t j = i;
    while (j < text.size() && !isBlank(text[j])) ++j;
    if (j > i) words.push_back(text.substr(i, j - i));
    i = j;
  }
  return words;
}

}  // namespace

const char* kxProjectTypeName(int type) {
  switch (type) {
    case kKxTypeKoro: return "KORO";
    case kKxTypePs: return "PS";
    case kKxTypePdf: return "PDF";
    case kKxTypePpmlGa: return "PPML-GA";
    default: return "";
  }
}

int kxParseProjectType(std::string_view text) {
  for (int t = kKxTypeKoro; t <= kKxTypePpmlGa; ++t)
    if (text == kxProjectTypeName(t)) return t;
  return -1;
}

const char* kxLevelWord(int level) {
  switch (level) {
    case kKxCancelled: return "CANCELLED";
    case kKxInfo: return "INFO";
    case kKxWarning: return "WARNING";
    case kKxError: return "ERROR";
    default: return "";
  }
}

int kxCatalogueNumber(std::string_view format) {
  auto it = catalogueIndex().find(format);
  return it == catalogueIndex().end() ? -1 : it->second;
}

const char* kxCatalogueFormat(int number) {
  return number >= 0 && number < kCatalogueSize ? kCatalogue[number] : nullptr;
}

std::vector<std::string> kxExtractArguments(std::string_view format, std::string_view text) {
  std::vector<std::string_view> fw = splitWords(format);
  std::vector<std::string_view> tw = splitWords(text);
  std::vector<std::string> args;
  std::size_t t = 0;
  for (std::size_t f = 0; f < fw.size() && t < tw.size(); ++f, ++t) {
    if (fw[f].find('%') == std::string_view::npos) continue;
    std::string arg(tw[t]);
    if (!arg.empty() && arg.front() == '(') {
      // A parenthesised argument (a system error text) spans several words.
      while (arg.find(')') == std::string::npos && t + 1 < tw.size()) {
        arg += ' ';
        arg.append(tw[++t]);
      }
      for (char& c : arg)
        if (c == '(' || c == ')') c = '"';
    }
    std::erase(arg, '\'');
    args.push_back(std::move(arg));
  }
  return args;
}

std::string kxFormatRecord(int level, std::string_view format, std::string_view text) {
  std::vector<std::string> args = kxExtractArguments(format, text);
  std::string r = kxLevelWord(level);
  r += ',';
  r += std::to_string(kxCatalogueNumber(format));
  r += ',';
  r += std::to_string(args.size());
  r += ',';
  for (const std::string& a : args) {
    r += a;
    r += ',';
  }
  r += '"';
  r.append(format);
  r += '"';
  return r;
}

int KxMessageLog::Add(int level, std::string_view format, std::string_view text) {
  const char* word = kxLevelWord(level);
  if (*word == '\0') return 0;
  std::string line = word;
  line += ": ";
  line.append(text);
  if (HasLine(line)) return 0;
  AppendLine(line);
  AppendRecord(kxFormatRecord(level, format, text));
  flags_ |= level;
  return 1;
}

void KxMessageLog::AddVerbatim(std::string_view text, std::string_view templ) {
  if (text.empty() || HasLine(text)) return;
  AppendLine(text);
  AppendRecord(kxFormatRecord(kKxError, templ, text));
  for (int level : {kKxCancelled, kKxInfo, kKxWarning, kKxError})
    if (text.find(kxLevelWord(level)) != std::string_view::npos) flags_ |= level;
}

void KxMessageLog::Clear() {
  text_.clear();
  records_.clear();
  lines_.clear();
  flags_ = 0;
}

bool KxMessageLog::HasLine(std::string_view line) const { return lines_.count(std::string(line)) != 0; }

void KxMessageLog::AppendLine(std::string_view line) {
  if (!text_.empty()) text_ += '\n';
  text_.append(line);
  lines_.emplace(line);
}

void KxMessageLog::AppendRecord(std::string_view record) {
  if (!records_.empty()) records_ += '|';
  records_.append(record);
}
