// KxProject: reading a KPF file.
//
// The reader walks the token list with a flat set of flags. Only the listed
// elements mean anything; other markup is skipped. The first ERROR ends the
// walk; values read before it stay in the project.
#include <algorithm>
#include <cstdlib>

#include "base/sdk_fs.h"
#include "base/sdk_string.h"
#include "kpsdk/kpf_token.h"
#include "kpsdk/kx_names.h"
#include "kpsdk/kx_project.h"

namespace {

constexpr std::string_view kSubmission = "sub";
constexpr std::string_view kJobTicket = "jtk";

// Entity decoding; "&amp;" last, so "&amp;lt;" reads as "&lt;".
std::string decodeEntities(std::string text) {
  if (text.find('&') == std::string::npos) return text;
  sdkReplaceAll(text, "&lt;", "<");
  sdkReplaceAll(text, "&gt;", ">");
  sdkReplaceAll(text, "&apos;", "'");
  sdkReplaceAll(text, "&quote;", "\"");
  sdkReplaceAll(text, "&quot;", "\"");
  sdkReplaceAll(text, "&amp;", "&");
  return text;
}

// Decimal prefix like the C library's conversion; 0 when not a number.
int toInt(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

// Value of an attribute token name='value': from two characters after the
// first "=" to the character before the last.
std::string attributeValue(const std::string& text, std::size_t eq) {
  if (eq + 2 > text.size()) return std::string();
  std::string value = text.substr(eq + 2);
  if (!value.empty()) value.pop_back();
  return value;
}

// Version from the start tag: the first quoted text, else the whole tag.
std::string quotedVersion(const std::string& tag) {
  for (char quote : {'\'', '"'}) {
    std::size_t open = tag.find(quote);
    if (open == std::string::npos) continue;
    std::size_t close = tag.find(quote, open + 1);
    return tag.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  }
  return tag;
}

// A directory for comparison: one separator style, no trailing separator,
// case folded (Windows folders ignore case).
std::string comparable(std::string dir) {
  KxProject::NormalisePath(dir);
  std::replace(dir.begin(), dir.end(), '\\', '/');
  sdkLowerAscii(dir);
  return dir;
}

bool anyShared(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  for (const std::string& x : a)
    for (const std::string& y : b)
      if (comparable(x) == comparable(y)) return true;
  return false;
}

// Where the stub's patterns give two scopes one directory for these names
// (a project named like the folder-shared level), each scope would take
// the other's files for its own.
bool scopesMeet(const KxProject& p, std::string_view folder, std::string_view project) {
  const std::vector<std::string> local = p.GetLocalDirectories(folder, project, 0);
  const std::vector<std::string> shared = p.GetFolderDirectories(folder, 0);
  const std::vector<std::string> global = p.GetGlobalDirectories(0);
  return anyShared(local, shared) || anyShared(local, global) || anyShared(shared, global);
}

}  // namespace

std::string kxDecodeEntities(std::string text) { return decodeEntities(std::move(text)); }

int KxProject::OpenProject(const std::string& kpfPath) {
  if (!sdkFileExists(kpfPath.c_str())) {
    ClearMessages();
    return log(kKxError, "Could not open file '%s'", kpfPath.c_str());
  }
  Reset();
  kpfPath_ = kpfPath;
  ReadKpf(kpfPath);
  loaded_ = true;
  return GetMessageFlags();
}

std::string KxProject::collectElementText(KpfTokenStream& tokens, int closeKind) {
  std::string text;
  while (const KpfToken* t = tokens.NextToken()) {
    if (t->GetKind() == closeKind) break;
    text += t->GetText();
  }
  return text;
}

int KxProject::ReadKpf(const std::string& path) {
  if (!sdkFileExists(path.c_str())) return log(kKxError, "Could not open file '%s'", path.c_str());
  ClearMessages();
  projectPaths_.clear();
  for (auto& p : kpfProjectPaths_) p.clear();
  kpfPathsFixed_ = false;
  reader_ = ReaderState{};

  std::optional<std::string> text = sdkReadWholeFile(path.c_str());
  if (!text) return log(kKxError, "Could not open file '%s'", path.c_str());
  KpfTokenStream tokens;
  tokens.TokenizeText(*text);
  text.reset();
  readKpfTokens(path, tokens);

  if (!(GetMessageFlags() & kKxError)) {
    CheckReaderEnd();
    ValidateInformation(1);
  }
  return GetMessageFlags();
}

void KxProject::readKpfTokens(const std::string& path, KpfTokenStream& tokens) {
  auto atPosition = [this](const KpfToken& t, const char* message) {
    logFormatted(kKxError, sdkFormat("(pos. %d) %s", t.GetStart(), message));
  };
  auto decodedText = [&](int closeKind) { return decodeEntities(collectElementText(tokens, closeKind)); };
  KxModification modification;
  // Reconciliation at a RESOURCE tag depends on type, names and paths; it
  // runs again only when one of them changed since.
  unsigned inputs = 1;
  unsigned reconciledInputs = 0;
  bool first = true;

  while (tokens.HasMoreTokens() && !(GetMessageFlags() & kKxError)) {
    const KpfToken& t = *tokens.NextToken();
    const int kind = t.GetKind();
    if (first) {
      first = false;
      if (kind != kKpfXmlHeader) {
        log(kKxError, "'%s' not an XML file", path.c_str());
        break;
      }
    }
    if (kind < kKpfXmlHeader || kind > kKpfProjectPath) continue;
    switch (kind) {
      case kKpfXmlHeader: {
        reader_.headerSeen = true;
        const std::string& h = t.GetText();
        std::size_t at = h.find("encoding='");
        if (at == std::string::npos) at = h.find("encoding=\"");
        if (at == std::string::npos) {
          encoding_.clear();
        } else {
          std::string rest = h.substr(at + 10);
          if (rest.size() > 3) encoding_ = rest.substr(0, rest.size() - 3);
        }
        break;
      }
      case kKpfStart: kpfVersion_ = quotedVersion(t.GetText()); break;
      case kKpfCopyright: copyright_ = decodedText(kKpfCopyrightEnd); break;
      case kKpfProjectVersion: projectVersion_ = decodedText(kKpfProjectVersionEnd); break;
      case kKpfProjectTitle: projectTitle_ = decodedText(kKpfProjectTitleEnd); break;
      case kKpfProjectDescription: projectDescription_ = decodedText(kKpfProjectDescriptionEnd); break;
      case kKpfAuthor: author_ = decodedText(kKpfAuthorEnd); break;
      case kKpfKeywords: keywords_ = decodedText(kKpfKeywordsEnd); break;
      case kKpfGenerator: generator_ = decodedText(kKpfGeneratorEnd); break;
      case kKpfCreationDate: creationDate_ = decodedText(kKpfCreationDateEnd); break;
      case kKpfFolderName:
      case kKpfProjectName: {
        std::string& name = kind == kKpfFolderName ? folderName_ : projectName_;
        name = decodedText(kind == kKpfFolderName ? kKpfFolderNameEnd : kKpfProjectNameEnd);
        ++inputs;
        // Each name becomes one folder level below the stub file's folders.
        if (!name.empty() && !kxIsSafeFolderName(name)) {
          const std::string shown = kxPrintableName(name);
          name.clear();
          if (kind == kKpfFolderName) log(kKxError, "Folder name '%s' is not a plain folder name", shown.c_str());
          else log(kKxError, "Project name '%s' is not a plain folder name", shown.c_str());
          break;
        }
        // The printer keeps the shared scopes beside the projects:
        // "tqfc/<folder>/fshared/" and "tqfc/gshared/".
        const std::string_view reserved = kind == kKpfFolderName ? kKxGlobalSharedLevel : kKxFolderSharedLevel;
        if (kxIsSharedLevel(name, reserved) || kxIsReservedPrinterName(name)) {
          const std::string shown = kxPrintableName(name);
          name.clear();
          if (kind == kKpfFolderName) log(kKxError, "Folder name '%s' is a name the printer keeps for its own files", shown.c_str());
          else log(kKxError, "Project name '%s' is a name the printer keeps for its own files", shown.c_str());
          break;
        }
        if (!folderName_.empty() && !projectName_.empty()) DeriveScopePatterns(0);
        break;
      }
      case kKpfModifications:
        if (reader_.modificationsOpen) atPosition(t, "Nested <MODIFICATIONS> sections not allowed");
        reader_.modificationsOpen = true;
        break;
      case kKpfModificationsEnd:
        if (!reader_.modificationsOpen) atPosition(t, "Unexpected </MODIFICATIONS> tag encountered");
        reader_.modificationsOpen = false;
        break;
      case kKpfModification:
        if (reader_.modificationOpen) atPosition(t, "Nested <MODIFICATION> sections not allowed");
        reader_.modificationOpen = true;
        break;
      case kKpfModificationEnd:
        if (!reader_.modificationOpen) atPosition(t, "Unexpected </MODIFICATION> tag encountered");
        modifications_.push_back(std::make_unique<KxModification>(std::move(modification)));
        modification = KxModification();
        reader_.dateSeen = reader_.userSeen = reader_.modificationOpen = false;
        break;
      case kKpfDate:
        modification.SetDate(collectElementText(tokens, kKpfDateEnd));
        reader_.dateSeen = true;
        break;
      case kKpfUser:
        modification.SetUser(decodedText(kKpfUserEnd));
        reader_.userSeen = true;
        break;
      case kKpfActions:
        if (reader_.actionsOpen) atPosition(t, "Nested <ACTIONS> sections not allowed");
        if (!reader_.dateSeen) atPosition(t, "<DATE> missing or improperly specfied within <MODIFICATION> section");
        if (!reader_.userSeen) atPosition(t, "<USER> missing or improperly specfied within <MODIFICATION> section");
        reader_.actionsOpen = true;
        break;
      case kKpfActionsEnd:
        if (!reader_.actionsOpen) atPosition(t, "Unexpected </ACTIONS> tag encountered");
        reader_.actionsOpen = false;
        break;
      case kKpfAction:
        modification.AddAction(decodedText(kKpfActionEnd));
        reader_.actionSeen = true;
        break;
      case kKpfResources:
        if (reader_.resourcesOpen) atPosition(t, "Nested <RESOURCES> sections not allowed");
        reader_.resourcesOpen = true;
        break;
      case kKpfResourcesEnd:
        if (!reader_.resourcesOpen) atPosition(t, "Unexpected </RESOURCES> tag encountered");
        reader_.resourcesOpen = false;
        break;
      case kKpfResource:
        if (folderName_.empty() || projectName_.empty()) {
          log(kKxError, "<RESOURCE> tag encountered before <FOLDER_NAME> or <PROJECT_NAME>");
          break;
        }
        if (!kpfPathsFixed_) {
          // The first RESOURCE fixes the project paths that count.
          projectPaths_.assign(kpfProjectPaths_.begin(), kpfProjectPaths_.end());
          kpfPathsFixed_ = true;
        }
        if (reconciledInputs != inputs) {
          reconciledInputs = inputs;
          if (projectType_ != kKxTypeKoro && ValidateProjectPaths())
            ReconcileProjectPaths(projectType_, mismatchAction_);
          // Paths a KPF file gives for itself are its author's to choose.
          if (!scopesFromKpf_ && scopesMeet(*this, folderName_, projectName_)) {
            log(kKxError, "Project '%s' of folder '%s' would share its folder with a shared scope",
                kxPrintableName(projectName_).c_str(), kxPrintableName(folderName_).c_str());
            break;
          }
        }
        readResourceTag(tokens);
        break;
      case kKpfPrivate: {
        std::string section;
        while (const KpfToken* p = tokens.NextToken()) {
          if (p->GetKind() == kKpfPrivateEnd) break;
          section += p->GetText();
        }
        KxPrivateSection s;
        if (!ParsePrivateHeader(section, s.identifier, s.content)) {
          log(kKxError, "<PRIVATE Identifier='...'> tag, malformed or missing fields(s)");
        } else {
          privateSections_.push_back(std::move(s));
        }
        break;
      }
      case kKpfEndTag: reader_.endSeen = true; break;
      case kKpfProjectType: {
        std::string word = collectElementText(tokens, kKpfProjectTypeEnd);
        int type = kxParseProjectType(word);
        ++inputs;
        if (type < 0) {
          log(kKxError, "Invalid project type: '%s'", word.c_str());
        } else {
          SetProjectType(type);
        }
        break;
      }
      case kKpfProjectPath: {
        std::string p;
        int scope = ParseProjectPathScope(tokens, p);
        ++inputs;
        if (scope >= 0 && scope <= 2) {
          kpfProjectPaths_[scope] = p;
        } else {
          log(kKxError, "Invalid or missing scope for project path '%s'", p.c_str());
        }
        break;
      }
      default: break;
    }
  }
}

void KxProject::readResourceTag(KpfTokenStream& tokens) {
  std::string missing;
  std::unique_ptr<KxResource> r = ParseResource(tokens, missing, printAndForget_ ? 1 : 0);
  // A resource name is a name inside the project's folders, here and on
  // the printer.
  if (!r->GetName().empty() && !kxIsSafeRelativeName(r->GetName())) {
    log(kKxError, "Resource name '%s' is not a plain name inside the project's folders",
        kxPrintableName(r->GetName()).c_str());
    return;
  }
  // The project's record of its shared files and the transfers' part
  // files live beside the resources on the printer.
  if (kxIsReservedPrinterName(r->GetName())) {
    log(kKxError, "Resource name '%s' is a name the program keeps on the printer",
        kxPrintableName(r->GetName()).c_str());
    return;
  }
  // The log may already hold an ERROR from the path checks above, so a
  // refusal shows in the ordered list, not in the flags: a refused resource
  // is dropped, a listed one must stay alive.
  if (r->GetType() == kSubmission) {
    const std::size_t before = submissionFiles_.size();
    AddSubmissionFile(r.get());
    if (submissionFiles_.size() == before) return;
  } else if (r->GetType() == kJobTicket) {
    const std::size_t before = jobTickets_.size();
    AddJobTicket(r.get());
    if (jobTickets_.size() == before) return;
  }
  appendResource(std::move(r));
  if (!missing.empty()) log(kKxError, "<RESOURCE ... /> tag, malformed or missing field(s): %s", missing.c_str());
}

std::unique_ptr<KxResource> KxProject::ParseResource(KpfTokenStream& tokens, std::string& missing, int ignoreScope) {
  std::string name, type, scope, preCaching, description, submissionOrder, mime;
  bool hasTicketOrder = false, hasTicketId = false;
  std::string ticketOrder, ticketId;
  auto r = std::make_unique<KxResource>();
  while (const KpfToken* t = tokens.NextToken()) {
    if (t->GetKind() == kKpfEmptyClose) break;
    const std::string& text = t->GetText();
    std::size_t eq = text.find('=');
    if (eq == std::string::npos) continue;
    switch (t->GetKind()) {
      case kKpfAttrName: name = decodeEntities(attributeValue(text, eq)); break;
      case kKpfAttrType: type = attributeValue(text, eq); break;
      case kKpfAttrScope: scope = attributeValue(text, eq); break;
      case kKpfAttrPreCaching: preCaching = attributeValue(text, eq); break;
      case kKpfAttrDescription: description = decodeEntities(attributeValue(text, eq)); break;
      case kKpfAttrSubmissionOrder: submissionOrder = attributeValue(text, eq); break;
      case kKpfAttrMime: mime = attributeValue(text, eq); break;
      case kKpfAttrJobTicketOrder:
        ticketOrder = attributeValue(text, eq);
        hasTicketOrder = true;
        break;
      case kKpfAttrJobTicketId:
        ticketId = attributeValue(text, eq);
        hasTicketId = true;
        break;
      case kKpfAttrGeneric: r->AddAttribute(text.substr(0, eq), attributeValue(text, eq)); break;
      default: break;
    }
  }

  const int scopeNumber = ignoreScope ? 0 : toInt(scope);
  int ticketOrderNumber = -1;
  if (hasTicketOrder) {
    jobTicketOrderSeen_ = true;
    ticketOrderNumber = toInt(ticketOrder);
  }
  if (hasTicketId) {
    jobTicketIdSeen_ = true;
    r->SetJobTicketId(toInt(ticketId));
  }

  missing.clear();
  auto miss = [&missing](const char* field) {
    if (!missing.empty()) missing += ", ";
    missing += field;
  };
  if (name.empty()) miss("'Name='");
  if (type.empty()) miss("'Type='");
  if (scope.empty()) miss("'Scope='");
  if (type == kSubmission && submissionOrder.empty()) miss("'SubmissionOrder='");
  if (type == kJobTicket && ticketOrder.empty() && ticketId.empty()) miss("'JobTicketOrder/JobTicketID='");

  r->SetPath(ResolveInScope(scopeNumber, name));
  r->SetName(name);
  r->SetType(type);
  r->SetScope(scopeNumber);
  r->SetDescription(description);
  r->SetSubmissionOrder(toInt(submissionOrder));
  r->SetJobTicketOrder(ticketOrderNumber);
  r->SetMime(mime);
  r->SetPreCaching(preCaching);
  return r;
}

int KxProject::ParseProjectPathScope(KpfTokenStream& tokens, std::string& path) {
  std::string scope;
  while (const KpfToken* t = tokens.NextToken()) {
    if (t->GetText() == ">") break;
    std::size_t eq = t->GetText().find('=');
    if (eq != std::string::npos && t->GetKind() == kKpfAttrScope) scope = attributeValue(t->GetText(), eq);
  }
  path = collectElementText(tokens, kKpfProjectPathEnd);
  NormalisePath(path);
  // Kept in the form SetProjectPaths gives, so written paths read back equal.
  if (!path.empty()) path = ToForwardSlashDirectory(path);
  if (scope == "2") return 2;
  if (scope == "1") return 1;
  if (scope == "0") return 0;
  return -1;
}

int KxProject::ParsePrivateHeader(std::string_view text, std::string& identifier, std::string& content) {
  identifier.clear();
  content.clear();
  std::size_t eq = text.find('=');
  if (eq == std::string_view::npos) return 0;
  std::size_t from = eq + 2;
  if (from > text.size()) return 0;
  std::size_t close = text.find('\'', from);
  if (close == std::string_view::npos) close = text.find('"', from);
  if (close == std::string_view::npos) return 0;
  identifier = text.substr(from, close - from);
  std::size_t gt = text.find('>');
  if (gt != std::string_view::npos) content = text.substr(gt + 1);
  return 1;
}

int KxProject::CheckReaderEnd() {
  if (!reader_.headerSeen) log(kKxError, "XML header not present");
  if (reader_.modificationsOpen) log(kKxError, "Premature end of file (no </MODIFICATIONS> tag?)");
  if (reader_.modificationOpen) log(kKxError, "Premature end of file (no </MODIFICATION> tag?)");
  if (reader_.actionsOpen) log(kKxError, "Premature end of file (no </ACTIONS> tag?)");
  if (reader_.resourcesOpen) log(kKxError, "Premature end of file (no </RESOURCES> tag?)");
  if (!reader_.endSeen) log(kKxError, "Premature end of file (no </KPF> tag?)");
  return GetMessageFlags();
}
