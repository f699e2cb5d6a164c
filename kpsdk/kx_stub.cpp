// KxProject: the interpreter's stub file and the project paths.
//
// A legacy stub holds one SETPPATH array of directories: the print-and-forget
// directory (marked by "kpcpfd") and the scope patterns. A typed stub holds
// "KX_PROJECT_PDLTYPE: " blocks giving the three scope directories of the
// project types PS, PDF and PPML-GA. Project paths stored in a KPF file are
// checked against the stub's and one set of them becomes the scope patterns.
#include <algorithm>

#include "base/sdk_string.h"
#include "kpsdk/kx_names.h"
#include "kpsdk/kx_project.h"

void kpsdkSubstitutePath(std::string& path);

namespace {

constexpr std::string_view kTypeMarker = "KX_PROJECT_PDLTYPE: ";
constexpr std::string_view kSetppath = "SETPPATH";
constexpr std::string_view kPrintAndForgetMark = "kpcpfd";

bool has(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Lines at line feeds and carriage returns; empty lines vanish.
std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = text.find_first_of("\r\n", i);
    if (j == std::string_view::npos) j = text.size();
    if (j > i) lines.emplace_back(text.substr(i, j - i));
    i = j + 1;
  }
  return lines;
}

// A path of a legacy SETPPATH line: the text before the first ")", without
// brackets, parentheses and blanks, single backslashes, no trailing separator.
std::string legacyPath(std::string_view line) {
  std::string path(line.substr(0, line.find(')')));
  std::erase_if(path, [](char c) { return c == '[' || c == ']' || c == ' ' || c == '\t' || c == '(' || c == ')'; });
  sdkReplaceAll(path, "\\\\", "\\");
  if (!path.empty()) path.pop_back();
  return path;
}

}  // namespace

int KxProject::LoadStubFile(const std::string& path) {
  std::optional<std::string> text = sdkReadWholeFile(path.c_str());
  if (text && has(*text, kTypeMarker)) return ParseStub(path);
  return ParseLegacyStub(path);
}

int KxProject::ParseLegacyStub(const std::string& path) {
  rawSetppath_.clear();
  std::optional<std::string> text = sdkReadWholeFile(path.c_str());
  std::vector<std::string> lines = splitLines(text ? *text : std::string());

  // Backwards: the lowest SETPPATH line ends the definition, the first "["
  // above it opens it.
  int end = -1;
  int open = -1;
  for (int i = static_cast<int>(lines.size()) - 1; i >= 0; --i) {
    if (has(lines[i], kSetppath)) {
      end = i;
    } else if (end >= 0 && has(lines[i], "[")) {
      open = i;
      break;
    }
  }
  if (end < 0 || open < 0) return GetMessageFlags();

  std::string collected;
  bool anyOrdinary = false;
  for (int i = open; i <= end; ++i) {
    const std::string& line = lines[i];
    if (!has(line, "(") || !has(line, ")")) continue;
    std::string p = legacyPath(line);
    if (has(p, "%")) kpsdkSubstitutePath(p);
    NormalisePath(p);
    if (has(p, kPrintAndForgetMark)) {
      printAndForgetPath_ = p;
      if (anyOrdinary) log(kKxWarning, "Print-and-Forget path must be first in SETPPATH definition");
    } else {
      collected += p;
      collected += '|';
      anyOrdinary = true;
    }
  }
  rawSetppath_ = collected;
  return GetMessageFlags();
}

int KxProject::ParseStub(const std::string& path) {
  std::optional<std::string> text = sdkReadWholeFile(path.c_str());
  std::vector<std::string> lines = splitLines(text ? *text : std::string());
  const int count = static_cast<int>(lines.size());
  for (int i = 0; i < count; ++i) {
    if (!has(lines[i], kTypeMarker)) continue;
    std::array<std::string, 3> block;
    int taken = 0;
    for (; taken < 3 && i + 1 + taken < count; ++taken) block[taken] = lines[i + 1 + taken];
    if (taken < 3) log(kKxError, "Stubfile premature EOF at line: %d", count - 1);
    if (GetMessageFlags() & kKxError) continue;
    std::string typeText;
    int type = ParseStubTypeLine(lines[i], typeText);
    if (type > 0) {
      ParseStubTypePaths(block, type, typeText);
    } else if (type < 0) {
      log(kKxError, "Stubfile contains invalid project type: '%s'", typeText.c_str());
    } else {
      log(kKxError, "Project type 'KORO' not allowed here");
    }
  }
  return GetMessageFlags();
}

int KxProject::ParseStubTypeLine(std::string_view line, std::string& typeText) {
  typeText.clear();
  std::size_t at = line.find(kTypeMarker);
  if (at == std::string_view::npos) return -1;
  for (char c : line.substr(at + kTypeMarker.size()))
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') typeText += c;
  if (typeText.empty()) return -1;
  return kxParseProjectType(typeText);
}

int KxProject::ParseStubTypePaths(const std::array<std::string, 3>& lines, int type, std::string_view typeText) {
  if (type < kKxTypePs || type > kKxTypePpmlGa) return log(kKxError, "Invalid project type: '%d'", type);
  std::vector<std::string>& list = stubTypePaths_[type - 1];
  list.clear();
  bool defect = false;
  auto syntaxError = [&](const char* missing, const std::string& line) {
    defect = true;
    log(kKxError, "Stubfile syntax error: KX_PROJECT_PDLTYPE '%s' missing '%s' in '%s'",
        std::string(typeText).c_str(), missing, line.c_str());
  };
  for (int k = 0; k < 3; ++k) {
    const std::string& line = lines[k];
    if (k == 2 && !has(line, kSetppath)) syntaxError("SETPPATH", line);
    std::size_t open = line.find('(');
    if (open == std::string::npos) {
      syntaxError("(", line);
      continue;
    }
    std::size_t close = line.find(')', open + 1);
    if (close == std::string::npos) {
      syntaxError(")", line);
      continue;
    }
    std::string p = line.substr(open + 1, close - open - 1);
    if (p.empty()) continue;
    NormalisePath(p);
    list.push_back(p);
  }
  if (defect) list.assign(3, std::string());
  return GetMessageFlags();
}

void KxProject::DeriveScopePatterns(int onePerScope) {
  for (auto& p : scopePatterns_) p.clear();
  std::vector<std::string> entries;
  std::size_t i = 0;
  while (i < rawSetppath_.size()) {
    std::size_t j = rawSetppath_.find('|', i);
    if (j == std::string::npos) j = rawSetppath_.size();
    if (j > i) entries.push_back(rawSetppath_.substr(i, j - i));
    i = j + 1;
  }
  if (onePerScope) {
    for (std::size_t k = 0; k < entries.size() && k < 3; ++k) scopePatterns_[k].push_back(entries[k]);
    return;
  }
  for (std::string& e : entries) {
    const bool folder = has(e, "$$FOLDER.");
    const bool project = has(e, "$$PROJECT.");
    int scope = folder && project ? kKxScopeLocal : folder ? kKxScopeFolder : kKxScopeGlobal;
    scopePatterns_[scope].push_back(std::move(e));
  }
}

void KxProject::NormalisePath(std::string& path) {
  constexpr std::string_view kDriveMarker = "%os%";
  std::size_t marker = path.find(kDriveMarker);
  if (marker != std::string::npos && path.size() > 6) {
    // "%os%", a separator, a drive letter, the rest: a drive-letter path.
    std::string rest = path.substr(std::min(path.size(), marker + kDriveMarker.size() + 1));
    if (!rest.empty()) path = rest.substr(0, 1) + ":" + rest.substr(1);
  }
  if (has(path, ":")) std::replace(path.begin(), path.end(), '/', '\\');
  sdkReplaceAll(path, "\\\\", "\\");
  // POSIX paths lose doubled separators too, except the two that open a
  // network path ("//server/share").
  const bool network = path.rfind("//", 0) == 0;
  sdkReplaceAll(path, "//", "/");
  if (network) {
    path.erase(0, path.find_first_not_of('/'));
    path.insert(0, "//");
  }
  if (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
}

std::string KxProject::ToForwardSlashDirectory(std::string_view path) {
  std::string p(path);
  NormalisePath(p);
  std::replace(p.begin(), p.end(), '\\', '/');
  if (p != "/") p += '/';
  return p;
}

int KxProject::SetProjectPaths(const char* local, const char* folder, const char* global) {
  auto given = [](const char* p) { return p != nullptr && *p != '\0'; };
  if (!given(local) || !given(folder) || !given(global)) {
    log(kKxError, "'Local' project path not specified");
    projectPaths_.assign(3, std::string());
    return kKxError;
  }
  projectPaths_ = {ToForwardSlashDirectory(local), ToForwardSlashDirectory(folder), ToForwardSlashDirectory(global)};
  return 0;
}

int KxProject::HasProjectPaths() const {
  if (projectPaths_.size() < 3) return 0;
  for (std::size_t i = 0; i < 3; ++i)
    if (projectPaths_[i].empty()) return 0;
  return 1;
}

int KxProject::ValidateProjectPaths() {
  if (projectPaths_.empty()) projectPaths_.assign(3, std::string());
  while (projectPaths_.size() < 3) projectPaths_.emplace_back();
  const bool anySet = !projectPaths_[0].empty() || !projectPaths_[1].empty() || !projectPaths_[2].empty();
  if (!anySet) return 1;
  if (projectType_ == kKxTypeKoro) {
    log(kKxError, "Project paths may not be specified for projects of type 'KORO'");
    return 0;
  }
  if (HasProjectPaths()) return 1;
  log(kKxError, "If a project path of one scope is specified, project paths for all scopes must be specified");
  if (projectPaths_[0].empty()) log(kKxError, "'Local' project path not specified");
  if (projectPaths_[1].empty()) log(kKxError, "'Folder shared' project path not specified");
  // The text is known to callers exactly as it stands.
  if (projectPaths_[2].empty()) log(kKxError, "'Glogal shared' project path not specified");
  return 0;
}

void KxProject::usePaths(const std::array<std::string, 3>& paths, bool fromKpf) {
  scopesFromKpf_ = fromKpf;
  rawSetppath_ = paths[0] + "|" + paths[1] + "|" + paths[2] + "|";
  DeriveScopePatterns(1);
}

int KxProject::ReconcileProjectPaths(int /*type*/, int mismatchAction) {
  while (projectPaths_.size() < 3) projectPaths_.emplace_back();
  const std::array<std::string, 3> kpf{projectPaths_[0], projectPaths_[1], projectPaths_[2]};
  const bool kpfComplete = !kpf[0].empty() && !kpf[1].empty() && !kpf[2].empty();

  int result = 0;
  bool stubComplete = false;
  std::array<std::string, 3> stub;
  if (projectType_ >= kKxTypePs && projectType_ <= kKxTypePpmlGa) {
    const std::vector<std::string>& list = stubTypePaths_[projectType_ - 1];
    if (list.size() == 3) {
      std::copy(list.begin(), list.end(), stub.begin());
      stubComplete = !stub[0].empty() && !stub[1].empty() && !stub[2].empty();
      if (!stubComplete) {
        log(kKxError, "Stubfile is missing path information for project type: '%s'", kxProjectTypeName(projectType_));
        result = kKxError;
      }
    }
  }

  const int level = mismatchAction == 0 ? kKxError : kKxWarning;
  if (stubComplete && kpfComplete) {
    bool differs = false;
    for (int k = 0; k < 3; ++k) {
      std::string expected = kxSubstitutePlaceholders(stub[k], folderName_, projectName_);
      // Both sides in one separator style: KPF paths may be stored with
      // forward slashes and a trailing separator.
      std::string a = expected, b = kpf[k];
      NormalisePath(a);
      NormalisePath(b);
      if (a == b) continue;
      differs = true;
      const char* e = expected.c_str();
      const char* f = kpf[k].c_str();
      if (k == 0) log(level, "Stubfile and KPF project path mismatch for local scope: '%s' vs '%s'", e, f);
      if (k == 1) log(level, "Stubfile and KPF project path mismatch for folder shared scope: '%s' vs '%s'", e, f);
      if (k == 2) log(level, "Stubfile and KPF project path mismatch for global shared scope: '%s' vs '%s'", e, f);
    }
    if (!differs || mismatchAction == 1) {
      usePaths(stub, false);
    } else if (mismatchAction == 2) {
      usePaths(kpf, true);
    }
    if (differs) result = level;
  } else if (stubComplete) {
    usePaths(stub, false);
  } else if (mismatchAction == 2 && kpfComplete) {
    usePaths(kpf, true);
  }
  return result;
}
