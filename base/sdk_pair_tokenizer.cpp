#include "base/sdk_pair.h"
#include "base/sdk_string.h"
#include "base/sdk_tokenizer.h"

std::unique_ptr<SdkPair> sdkPairNew() { return std::make_unique<SdkPair>(); }

std::unique_ptr<SdkPair> sdkPairFromTexts(const char* name, const char* value) {
  return std::make_unique<SdkPair>(name, value);
}

std::unique_ptr<SdkPair> sdkPairFromStrings(const SdkString& name, const SdkString& value) {
  return std::make_unique<SdkPair>(name.text(), value.text());
}

int SdkTokenizer::hasMoreTokens() const {
  return !text_.isEmpty() && position_ < text_.length() ? 1 : 0;
}

int SdkTokenizer::findDelimiter(const SdkString& text, const SdkString& delimiters) const {
  std::string_view t = text.view();
  for (std::size_t i = position_ < 0 ? 0 : position_; i < t.size(); ++i)
    if (delimiters.view().find(t[i]) != std::string_view::npos) return static_cast<int>(i);
  return -1;
}

int SdkTokenizer::skipDelimiters() {
  int found = findDelimiter(text_, delimiters_);
  while (found != -1 && found == position_) {
    ++position_;
    found = findDelimiter(text_, delimiters_);
  }
  return found;
}

void SdkTokenizer::nextToken(SdkString& dest) {
  if (text_.isEmpty()) {
    dest.clear();
    return;
  }
  int delimiter = skipDelimiters();
  if (delimiter == -1) {
    text_.tailFrom(dest, position_);
    text_.clear();
    position_ = 0;
    return;
  }
  text_.substring(dest, position_, delimiter - position_);
  position_ = delimiter + 1;
  text_.tailFrom(remainder_, position_);
}

void SdkTokenizer::reset(const char* text, const char* delimiters) {
  text_.set(text);
  remainder_.set(text);
  delimiters_.set(delimiters);
  position_ = 0;
}

std::unique_ptr<SdkTokenizer> sdkTokenizerNew() { return std::make_unique<SdkTokenizer>(); }

std::unique_ptr<SdkTokenizer> sdkTokenizerFromText(const char* text, const char* delimiters) {
  return std::make_unique<SdkTokenizer>(text, delimiters);
}

std::unique_ptr<SdkTokenizer> sdkTokenizerFromString(const SdkString& text, const char* delimiters) {
  return std::make_unique<SdkTokenizer>(text.text(), delimiters);
}
