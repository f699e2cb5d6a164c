// SdkTokenizer: splits a text at any of a set of delimiter characters.
//
// Delimiters in front of a token are skipped; two delimiters in a row after a
// token give an empty token. The last token is whatever follows the last
// delimiter; after it hasMoreTokens() is 0.
#pragma once

#include <memory>

#include "base/sdk_string.h"

class SdkTokenizer {
 public:
  SdkTokenizer() = default;
  SdkTokenizer(const char* text, const char* delimiters) {
    text_.set(text);
    delimiters_.set(delimiters);
  }

  int hasMoreTokens() const;
  void nextToken(SdkString& dest);
  // The text after the last delimiter that nextToken() consumed.
  void remainder(SdkString& dest) const { dest.setFrom(remainder_); }
  void reset(const char* text, const char* delimiters);
  void resetFrom(const SdkString& text, const char* delimiters) { reset(text.text(), delimiters); }
  // Index of the first delimiter at or after the current position, or -1.
  int findDelimiter(const SdkString& text, const SdkString& delimiters) const;
  // Moves past delimiters at the current position; returns the last search result.
  int skipDelimiters();

 private:
  SdkString text_;
  SdkString remainder_;
  SdkString delimiters_;
  int position_ = 0;
};

std::unique_ptr<SdkTokenizer> sdkTokenizerNew();
std::unique_ptr<SdkTokenizer> sdkTokenizerFromText(const char* text, const char* delimiters);
std::unique_ptr<SdkTokenizer> sdkTokenizerFromString(const SdkString& text, const char* delimiters);
