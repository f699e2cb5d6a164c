// KPF tokens and the token stream the KPF reader walks.
//
// The scanner cuts a KPF text into tokens of the kinds below, matching
// letters in either case; the longest match wins, and between equally long
// matches a named tag or attribute wins over the generic attribute, the
// word and the single character. Attributes are recognised only as a name,
// "=" and a quoted value, with no blank around the "=". Carriage returns are
// read as line feeds (offsets stay those of the file) and a zero byte ends
// the text. The scanner keeps no state between calls.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum KpfTokenKind : int {
  kKpfEnd = 0,
  kKpfXmlHeader = 2,
  kKpfStart = 3,
  kKpfCopyright = 4,
  kKpfCopyrightEnd = 5,
  kKpfFolderName = 6,
  kKpfFolderNameEnd = 7,
  kKpfProjectName = 8,
  kKpfProjectNameEnd = 9,
  kKpfProjectVersion = 10,
  kKpfProjectVersionEnd = 11,
  kKpfProjectTitle = 12,
  kKpfProjectTitleEnd = 13,
  kKpfProjectDescription = 14,
  kKpfProjectDescriptionEnd = 15,
  kKpfAuthor = 16,
  kKpfAuthorEnd = 17,
  kKpfKeywords = 18,
  kKpfKeywordsEnd = 19,
  kKpfGenerator = 20,
  kKpfGeneratorEnd = 21,
  kKpfCreationDate = 22,
  kKpfCreationDateEnd = 23,
  kKpfModifications = 24,
  kKpfModificationsEnd = 25,
  kKpfModification = 26,
  kKpfModificationEnd = 27,
  kKpfDate = 28,
  kKpfDateEnd = 29,
  kKpfUser = 30,
  kKpfUserEnd = 31,
  kKpfActions = 32,
  kKpfActionsEnd = 33,
  kKpfAction = 34,
  kKpfActionEnd = 35,
  kKpfResources = 36,
  kKpfResourcesEnd = 37,
  kKpfResource = 38,
  kKpfEmptyClose = 39,
  kKpfCommentOpen = 40,
  kKpfCommentClose = 41,
  kKpfInformation = 42,
  kKpfInformationEnd = 43,
  kKpfPrivate = 44,
  kKpfPrivateEnd = 45,
  kKpfAttrName = 46,
  kKpfAttrType = 47,
  kKpfAttrScope = 48,
  kKpfAttrPreCaching = 49,
  kKpfAttrDescription = 50,
  kKpfAttrSubmissionOrder = 51,
  kKpfAttrMime = 52,
  kKpfAttrGeneric = 53,
  kKpfBlank = 54,
  kKpfWord = 55,
  kKpfChar = 56,
  kKpfEndTag = 57,
  kKpfProjectType = 58,
  kKpfProjectTypeEnd = 59,
  kKpfProjectPath = 60,
  kKpfProjectPathEnd = 61,
  kKpfAttrJobTicketOrder = 62,
  kKpfAttrJobTicketId = 63,
};

// Kind and length of the token at the start of text (text must not be
// empty); the scanner proper.
struct KpfMatch {
  int kind;
  std::size_t length;
};
KpfMatch kpfScanToken(std::string_view text);

class KpfToken {
 public:
  KpfToken(int kind, std::string_view text, int start)
      : kind_(kind), text_(text), start_(start), end_(start + static_cast<int>(text.size()) - 1) {}

  int GetKind() const { return kind_; }
  const std::string& GetText() const { return text_; }
  // Offsets of the first and last character in the text.
  int GetStart() const { return start_; }
  int GetEnd() const { return end_; }
  int GetLength() const { return end_ - start_ + 1; }
  std::unique_ptr<KpfToken> Clone() const { return std::make_unique<KpfToken>(*this); }

 private:
  int kind_;
  std::string text_;
  int start_;
  int end_;
};

class KpfTokenStream {
 public:
  // Replaces the stream by the tokens of text; the cursor returns to 0.
  void TokenizeText(std::string_view text);
  // Reads the whole file, then TokenizeText; a missing file gives an empty
  // stream.
  void TokenizeFile(const std::string& path);
  int HasMoreTokens() const { return cursor_ < tokens_.size() ? 1 : 0; }
  // The token at the cursor, advancing it; null past the end.
  const KpfToken* NextToken() { return cursor_ < tokens_.size() ? &tokens_[cursor_++] : nullptr; }
  int GetTokenCount() const { return static_cast<int>(tokens_.size()); }
  const KpfToken& GetToken(int index) const { return tokens_.at(index); }

 private:
  std::vector<KpfToken> tokens_;
  std::size_t cursor_ = 0;
};
