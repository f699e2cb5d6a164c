// The message log of a project and the message catalogue behind its records.
//
// The log is text: one line per message, "LEVEL: text", lines separated by a
// line feed; a line equal to one already logged is not added again. Beside
// it the log keeps records, one per line, separated by "|": level word,
// catalogue number, argument count, the arguments (each followed by ","),
// and the unformatted format in double quotes. The catalogue numbers every
// format the project SDK and the archive layer can produce; a format that is
// not in the catalogue has number -1.
//
// Flags tell which levels were logged. A line added with a level counts for
// that level only, whatever words its text holds; a line taken over verbatim
// from the archive layer counts for every level word it contains (its texts
// begin with "ERROR", and a cancelled operation names "CANCELLED").
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Catalogue number of a format, or -1.
int kxCatalogueNumber(std::string_view format);
// Format of a catalogue number, or null outside 0..111.
const char* kxCatalogueFormat(int number);

// Arguments of a formatted message, found by walking the format and the text
// word by word: each format word holding "%" gives the text word at the same
// place, apostrophes removed; a word opening with "(" runs up to the word
// that holds ")", and the parentheses become double quotes.
std::vector<std::string> kxExtractArguments(std::string_view format, std::string_view text);

// One record as the log writes it (without the "|" separator).
std::string kxFormatRecord(int level, std::string_view format, std::string_view text);

class KxMessageLog {
 public:
  // Logs "LEVEL: text" under the format (for the record). A level that is
  // not exactly one of 1, 2, 4, 8 logs nothing. Returns 1 when a line was
  // added, 0 when it was already there.
  int Add(int level, std::string_view format, std::string_view text);
  // Appends an archive error text unchanged as a line of its own and records
  // it at level ERROR under the archive's template.
  void AddVerbatim(std::string_view text, std::string_view templ);
  void Clear();

  const std::string& Text() const { return text_; }
  const std::string& Records() const { return records_; }
  // OR of the levels logged since the last Clear().
  int Flags() const { return flags_; }
  bool Empty() const { return text_.empty(); }
  // 1 when a line of exactly this text was logged.
  bool HasLine(std::string_view line) const;

 private:
  void AppendLine(std::string_view line);
  void AppendRecord(std::string_view record);

  std::string text_;
  std::string records_;
  std::unordered_set<std::string> lines_;
  int flags_ = 0;
};
