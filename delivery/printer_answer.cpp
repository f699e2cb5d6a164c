#include "delivery/printer_answer.h"

#include "base/showable_text.h"

namespace {

constexpr std::string_view kOpen = "%%[";
constexpr std::string_view kClose = "]%%";

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool isFailure(std::string_view message) { return message.starts_with("Error") || message.starts_with("Flushing"); }

}  // namespace

AnswerReader::AnswerReader(std::size_t cap) : cap_(cap) {}

void AnswerReader::feed(std::string_view bytes) {
  answer_.total += bytes.size();
  if (answer_.kept.size() < cap_) answer_.kept.append(bytes.substr(0, cap_ - answer_.kept.size()));
  for (char c : bytes) {
    if (c == '\n' && afterCr_) {  // the LF of a CR LF: that line has ended
      afterCr_ = false;
      continue;
    }
    afterCr_ = c == '\r';
    if (c == '\n' || c == '\r') {
      endLine();
    } else if (line_.size() < kMaxAnswerLine) {
      line_ += c;
    } else {
      lineCut_ = true;
    }
  }
}

void AnswerReader::finish() {
  if (!line_.empty() || lineCut_) endLine();
}

void AnswerReader::endLine() {
  ++answer_.lines;
  const std::string_view line = line_;
  for (std::size_t open = line.find(kOpen); open != std::string_view::npos; open = line.find(kOpen, open)) {
    const std::size_t close = line.find(kClose, open + kOpen.size());
    if (close == std::string_view::npos) break;
    // A message cut off by another one: the later opening is the one closed.
    for (std::size_t next = line.find(kOpen, open + 1); next != std::string_view::npos && next < close;
         next = line.find(kOpen, next + 1))
      open = next;
    const std::string_view message = trimmed(line.substr(open + kOpen.size(), close - open - kOpen.size()));
    if (isFailure(message)) {
      if (answer_.errors.size() < kMaxAnswerMessages) answer_.errors.emplace_back(message);
      ++answer_.errorCount;
    } else {
      if (answer_.statuses.size() < kMaxAnswerMessages) answer_.statuses.emplace_back(message);
      ++answer_.statusCount;
    }
    open = close + kClose.size();
  }
  line_.clear();
  lineCut_ = false;
}

std::vector<std::string> AnswerReader::takeNewStatuses() {
  std::vector<std::string> fresh(answer_.statuses.begin() + static_cast<std::ptrdiff_t>(reportedStatuses_),
                                 answer_.statuses.end());
  reportedStatuses_ = answer_.statuses.size();
  return fresh;
}

std::string ShowableAnswer(std::string_view text) { return showableLines(text); }

std::string AnswerErrorLine(const PrinterAnswer& answer) {
  std::string line;
  for (const std::string& error : answer.errors) line += (line.empty() ? "" : "; ") + showableText(error);
  return line;
}
