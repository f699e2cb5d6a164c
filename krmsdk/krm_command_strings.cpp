// String operands of a keyword in a PostScript command file.
//
// A small scanner runs over the file as one stream of lines; its state and
// the strings it collected carry over from line to line, so an array may
// span lines with comments between its strings. The file is read in
// consecutive 64 KiB pieces, and a line cut by a piece boundary is scanned
// as the one line it is.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/sdk_fs.h"
#include "base/sdk_list.h"
#include "krmsdk/krm_command_file.h"
#include "krmsdk/krm_wildcard.h"

namespace {

constexpr std::size_t kReadPiece = 65536;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isDelimiter(char c) {
  switch (c) {
    case ' ':
    case '\t':
    case '%':
    case '(':
    case ')':
    case '/':
    case '<':
    case '>':
    case '[':
    case ']':
    case '{':
    case '}':
      return true;
    default:
      return false;
  }
}

std::string convertOsPath(const std::string& operand) {
  if (operand.compare(0, 4, "%os%") != 0) return operand;
#ifdef _WIN32
  if (operand.size() < 6) return operand;
  std::string path(1, operand[5]);
  path += ':';
  for (std::size_t i = 6; i < operand.size(); ++i) path += operand[i] == '/' ? '\\' : operand[i];
  return path;
#else
  return operand.substr(4);
#endif
}

class OperandScanner {
 public:
  OperandScanner(std::string keyword, bool all, bool convert, SdkList& out)
      : keyword_(std::move(keyword)), all_(all), convert_(convert), out_(out) {}

  // Feeds one character; a line end is passed as '\n'.
  void feed(char c) {
    if (stopped_) return;
    const bool eol = c == '\n';
    switch (state_) {
      case State::kSkipLine:
        if (eol) state_ = skipReturn_;
        return;
      case State::kOutside:
        outside(c);
        return;
      case State::kArray:
        if (eol || isBlank(c)) return;
        if (c == '%') return skipLine(State::kArray);
        if (c == '(') return startString();
        if (c == ']') {
          state_ = State::kAfterArray;
          return;
        }
        if (!candidates_.empty()) return startToken(c);
        candidates_.clear();
        state_ = State::kOutside;
        return;
      case State::kString:
        string(eol ? ' ' : c);
        return;
      case State::kAfterArray:
        if (eol || isBlank(c)) return;
        if (c == '%') return skipLine(State::kAfterArray);
        return startToken(c);
      case State::kToken:
        if (eol || isDelimiter(c)) {
          if (!endToken()) {
            outside(c);
          } else if (eol) {
            state_ = State::kOutside;
          } else {
            skipLine(State::kOutside);
          }
          return;
        }
        token_ += c;
        return;
    }
  }

  bool found() const { return found_; }
  bool stopped() const { return stopped_; }

 private:
  enum class State { kOutside, kArray, kString, kAfterArray, kToken, kSkipLine };

  void outside(char c) {
    state_ = State::kOutside;
    if (c == '%') return skipLine(State::kOutside);
    if (c == '[') {
      state_ = State::kArray;
    } else if (c == '(') {
      startString();
    }
  }

  void skipLine(State back) {
    skipReturn_ = back;
    state_ = State::kSkipLine;
  }

  void startString() {
    state_ = State::kString;
    depth_ = 1;
    escaped_ = false;
    current_.clear();
  }

  void string(char c) {
    if (escaped_) {
      current_ += c;
      escaped_ = false;
      return;
    }
    if (c == '\\') {
      current_ += c;
      escaped_ = true;
      return;
    }
    if (c == '(') {
      ++depth_;
    } else if (c == ')' && --depth_ == 0) {
      candidates_.push_back(current_);
      state_ = State::kArray;
      return;
    }
    current_ += c;
  }

  void startToken(char c) {
    state_ = State::kToken;
    token_.assign(1, c);
  }

  // True when the token was the keyword (the rest of the line is skipped).
  bool endToken() {
    bool match = token_ == keyword_;
    if (match && !candidates_.empty()) {
      found_ = true;
      for (const std::string& candidate : candidates_) {
        std::string operand = convert_ ? convertOsPath(candidate) : candidate;
        if (krmFindSameName(&out_, operand.c_str()) < 0) out_.add(operand);
      }
      if (!all_) stopped_ = true;
    }
    candidates_.clear();
    token_.clear();
    return match;
  }

  std::string keyword_;
  bool all_, convert_;
  SdkList& out_;
  State state_ = State::kOutside;
  State skipReturn_ = State::kOutside;
  int depth_ = 0;
  bool escaped_ = false;
  std::string current_;
  std::string token_;
  std::vector<std::string> candidates_;
  bool found_ = false;
  bool stopped_ = false;
};

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};

}  // namespace

int krmGetCommandStrings(const char* commandFile, const char* keyword, int all, int convertOsPaths,
                         SdkList& out) {
  if (commandFile == nullptr || keyword == nullptr || !sdkFileExists(commandFile)) return 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(commandFile, "rb"));
  if (!file) return 0;
  OperandScanner scanner(keyword, all != 0, convertOsPaths != 0, out);
  std::vector<char> buffer(kReadPiece);
  while (!scanner.stopped()) {
    std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    for (std::size_t i = 0; i < got && !scanner.stopped(); ++i) {
      char c = buffer[i];
      scanner.feed(c == '\r' ? '\n' : c);
    }
    if (got < buffer.size()) break;
  }
  // The end of the file ends its last line.
  scanner.feed('\n');
  return scanner.found() ? 1 : 0;
}
