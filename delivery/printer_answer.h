// What a printer writes back on a direct connection, taken apart.
//
// The answer is untrusted bytes. AnswerReader keeps the first cap bytes of
// it and counts the rest, so memory stays bounded however much arrives. It
// also splits everything (kept or not) into lines (LF, CR or CR LF) and
// picks out the printer's bracketed messages, "%%[ ... ]%%", anywhere in a
// line: "Error: ..." and "Flushing: ..." ones say the job failed, the
// others are status to show as progress. Lines longer than kMaxAnswerLine
// are cut there for this purpose, and at most kMaxAnswerMessages of each
// kind are kept (the count goes on). Nothing is escaped here: the texts are
// as the printer sent them, and go through ShowableAnswer before anyone
// sees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxAnswerLine = 4096;
inline constexpr std::size_t kMaxAnswerMessages = 256;

struct PrinterAnswer {
  std::string kept;             // the first bytes of the answer, up to the cap
  std::uint64_t total = 0;      // every byte received
  std::uint64_t lines = 0;      // lines seen, the last one even without its end
  // The texts between "%%[ " and " ]%%", blanks at either end dropped.
  std::vector<std::string> errors;    // "Error: ..." and "Flushing: ..."
  std::vector<std::string> statuses;  // every other one
  std::uint64_t errorCount = 0;       // including those not kept
  std::uint64_t statusCount = 0;

  bool failed() const { return errorCount > 0; }
  bool truncated() const { return total > kept.size(); }
};

class AnswerReader {
 public:
  explicit AnswerReader(std::size_t cap);
  // Takes the next bytes as they arrived.
  void feed(std::string_view bytes);
  // The answer has ended: a last line without its end is taken too.
  void finish();
  const PrinterAnswer& answer() const { return answer_; }
  // The status messages that came in since the last call (for progress).
  std::vector<std::string> takeNewStatuses();

 private:
  void endLine();

  std::size_t cap_;
  PrinterAnswer answer_;
  std::string line_;
  bool lineCut_ = false;
  bool afterCr_ = false;
  std::size_t reportedStatuses_ = 0;
};

// The answer's text fit to show: every line escaped as base/showable_text.h
// says (control characters and escape sequences as \xNN), line breaks kept.
std::string ShowableAnswer(std::string_view text);

// The printer's error messages as one line: "Error: ...; Flushing: ...".
std::string AnswerErrorLine(const PrinterAnswer& answer);
