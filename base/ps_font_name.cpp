#include "base/ps_font_name.h"

#include <string_view>

namespace {

// No usable font name is longer; the scanner keeps no more of any token.
constexpr std::size_t kMaxToken = 1024;

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0'; }

// Characters a PostScript name is made of: all but white space and the
// delimiters.
bool isRegular(char c) { return !isWhiteSpace(c) && std::string_view("()<>[]{}/%").find(c) == std::string_view::npos; }

}  // namespace

bool SdkFontNameScanner::endToken() {
  bool key = !tokenTooLong_ && token_ == "FontName";
  token_.clear();
  tokenTooLong_ = false;
  return key;
}

void SdkFontNameScanner::endName(bool valid) {
  found_ = valid && !token_.empty() && !tokenTooLong_;
  state_ = State::kDone;
}

void SdkFontNameScanner::feed(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size && state_ != State::kDone; ++i) {
    const char c = data[i];
    switch (state_) {
      case State::kComment:
        if (isLineEnd(c)) state_ = State::kLine;
        break;
      case State::kLine:
        if (isLineEnd(c) || c == ' ' || c == '\t') {
          if (endToken()) state_ = isLineEnd(c) ? State::kDone : State::kBeforeName;
        } else if (c == '/') {
          if (endToken()) state_ = State::kName;
        } else if (token_.empty() && c == '%') {
          state_ = State::kComment;
        } else if (token_.size() < kMaxToken) {
          token_ += c;
        } else {
          tokenTooLong_ = true;
        }
        break;
      case State::kBeforeName:
        if (c == ' ' || c == '\t') break;
        if (c == '/') {
          state_ = State::kName;
        } else {
          endName(false);
        }
        break;
      case State::kName:
        if (isRegular(c)) {
          if (token_.size() < kMaxToken) {
            token_ += c;
          } else {
            tokenTooLong_ = true;
          }
        } else {
          endName(isWhiteSpace(c));
        }
        break;
      case State::kDone:
        break;
    }
  }
}

void SdkFontNameScanner::finish() {
  if (state_ == State::kName) {
    endName(true);
  } else {
    state_ = State::kDone;
  }
}

std::optional<std::string> SdkFontNameScanner::name() const {
  if (!found_) return std::nullopt;
  return token_;
}
