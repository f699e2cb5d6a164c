// The KPF scanner: longest match over the token rules, case-insensitive.
#include <cstring>
#include <string>

#include "base/sdk_fs.h"
#include "kpsdk/kpf_token.h"

namespace {

struct FixedTag {
  const char* text;
  int kind;
};

// Tags matched exactly (in any letter case).
constexpr FixedTag kFixedTags[] = {
    {"<COPYRIGHT>", kKpfCopyright},
    {"</COPYRIGHT>", kKpfCopyrightEnd},
    {"<FOLDER_NAME>", kKpfFolderName},
    {"</FOLDER_NAME>", kKpfFolderNameEnd},
    {"<PROJECT_NAME>", kKpfProjectName},
    {"</PROJECT_NAME>", kKpfProjectNameEnd},
    {"<PROJECT_VERSION>", kKpfProjectVersion},
    {"</PROJECT_VERSION>", kKpfProjectVersionEnd},
    {"<PROJECT_TITLE>", kKpfProjectTitle},
    {"</PROJECT_TITLE>", kKpfProjectTitleEnd},
    {"<PROJECT_DESCRIPTION>", kKpfProjectDescription},
    {"</PROJECT_DESCRIPTION>", kKpfProjectDescriptionEnd},
    {"<AUTHOR>", kKpfAuthor},
    {"</AUTHOR>", kKpfAuthorEnd},
    {"<KEYWORDS>", kKpfKeywords},
    {"</KEYWORDS>", kKpfKeywordsEnd},
    {"<GENERATOR>", kKpfGenerator},
    {"</GENERATOR>", kKpfGeneratorEnd},
    {"<CREATION_DATE>", kKpfCreationDate},
    {"</CREATION_DATE>", kKpfCreationDateEnd},
    {"<MODIFICATIONS>", kKpfModifications},
    {"</MODIFICATIONS>", kKpfModificationsEnd},
    {"<MODIFICATION>", kKpfModification},
    {"</MODIFICATION>", kKpfModificationEnd},
    {"<DATE>", kKpfDate},
    {"</DATE>", kKpfDateEnd},
    {"<USER>", kKpfUser},
    {"</USER>", kKpfUserEnd},
    {"<ACTIONS>", kKpfActions},
    {"</ACTIONS>", kKpfActionsEnd},
    {"<ACTION>", kKpfAction},
    {"</ACTION>", kKpfActionEnd},
    {"<RESOURCES>", kKpfResources},
    {"</RESOURCES>", kKpfResourcesEnd},
    {"<!--", kKpfCommentOpen},
    {"<INFORMATION>", kKpfInformation},
    {"</INFORMATION>", kKpfInformationEnd},
    {"</PRIVATE>", kKpfPrivateEnd},
    {"</KPF>", kKpfEndTag},
    {"<PROJECT_TYPE>", kKpfProjectType},
    {"</PROJECT_TYPE>", kKpfProjectTypeEnd},
    {"</PROJECT_PATH>", kKpfProjectPathEnd},
};

// Tags that must be followed by one space or tab (part of the token).
constexpr FixedTag kBlankTags[] = {
    {"<RESOURCE", kKpfResource},
    {"<PRIVATE", kKpfPrivate},
    {"<PROJECT_PATH", kKpfProjectPath},
};

constexpr FixedTag kNamedAttributes[] = {
    {"Name", kKpfAttrName},
    {"Type", kKpfAttrType},
    {"Scope", kKpfAttrScope},
    {"PreCaching", kKpfAttrPreCaching},
    {"Description", kKpfAttrDescription},
    {"SubmissionOrder", kKpfAttrSubmissionOrder},
    {"Mime", kKpfAttrMime},
    {"JobTicketOrder", kKpfAttrJobTicketOrder},
    {"JobTicketID", kKpfAttrJobTicketId},
};


bool isAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool isQuote(char c) { return c == '\'' || c == '"'; }

// Case-insensitive: does text start with word (given in any case)?
bool startsWith(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (sdkLowerAsciiChar(text[i]) != sdkLowerAsciiChar(word[i])) return false;
  return true;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) { return a.size() == b.size() && startsWith(a, b); }

// Length of prefix + [^\n]* + suffix ending at the last suffix on the line,
// or 0.
std::size_t lineRunEndingIn(std::string_view text, std::size_t prefix, std::string_view suffix) {
  std::size_t lineEnd = text.find('\n');
  std::string_view line = text.substr(0, lineEnd);
  if (line.size() < prefix + suffix.size()) return 0;
  std::size_t at = line.rfind(suffix);
  if (at == std::string_view::npos || at < prefix) return 0;
  return at + suffix.size();
}

KpfMatch scanMarkup(std::string_view text) {
  KpfMatch best{kKpfChar, 1};
  auto consider = [&best](int kind, std::size_t length) {
    if (length > best.length) best = {kind, length};
  };
  if (startsWith(text, "<?xml")) consider(kKpfXmlHeader, lineRunEndingIn(text, 5, "?>"));
  if (startsWith(text, "<KPF")) consider(kKpfStart, lineRunEndingIn(text, 4, ">"));
  for (const FixedTag& tag : kFixedTags) {
    std::size_t n = std::strlen(tag.text);
    if (startsWith(text, std::string_view(tag.text, n))) consider(tag.kind, n);
  }
  for (const FixedTag& tag : kBlankTags) {
    std::size_t n = std::strlen(tag.text);
    if (text.size() > n && startsWith(text, std::string_view(tag.text, n)) && (text[n] == ' ' || text[n] == '\t'))
      consider(tag.kind, n + 1);
  }
  return best;
}

KpfMatch scanWordOrAttribute(std::string_view text) {
  std::size_t w = 0;
  while (w < text.size() && isAlnum(text[w])) ++w;
  // word="value" or word='value' (either quote closes).
  if (w + 1 < text.size() && text[w] == '=' && isQuote(text[w + 1])) {
    std::size_t close = w + 2;
    while (close < text.size() && !isQuote(text[close])) ++close;
    if (close < text.size()) {
      std::string_view name = text.substr(0, w);
      for (const FixedTag& attr : kNamedAttributes)
        if (equalsIgnoreCase(name, attr.text)) return {attr.kind, close + 1};
      return {kKpfAttrGeneric, close + 1};
    }
  }
  return {kKpfWord, w};
}

}  // namespace

KpfMatch kpfScanToken(std::string_view text) {
  const char c = text.front();
  if (c == '<') return scanMarkup(text);
  if (isAlnum(c)) return scanWordOrAttribute(text);
  if (isBlank(c)) {
    std::size_t n = 1;
    while (n < text.size() && isBlank(text[n])) ++n;
    return {kKpfBlank, n};
  }
  if (c == '/' && text.size() >= 2 && text[1] == '>') return {kKpfEmptyClose, 2};
  if (c == '-' && startsWith(text, "-->")) return {kKpfCommentClose, 3};
  return {kKpfChar, 1};
}

void KpfTokenStream::TokenizeText(std::string_view text) {
  tokens_.clear();
  cursor_ = 0;
  // A zero byte ends the text; carriage returns read as line feeds.
  std::string copy(text.substr(0, text.find('\0')));
  for (char& ch : copy)
    if (ch == '\r') ch = '\n';
  std::string_view rest(copy);
  int offset = 0;
  tokens_.reserve(copy.size() / 8 + 1);
  while (!rest.empty()) {
    KpfMatch m = kpfScanToken(rest);
    tokens_.emplace_back(m.kind, rest.substr(0, m.length), offset);
    offset += static_cast<int>(m.length);
    rest.remove_prefix(m.length);
  }
}

void KpfTokenStream::TokenizeFile(const std::string& path) {
  std::optional<std::string> text = sdkReadWholeFile(path.c_str());
  TokenizeText(text ? std::string_view(*text) : std::string_view());
}
