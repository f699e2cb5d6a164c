// The name of a PostScript Type 1 font, read from its clear text.
//
// Lines end at CR or LF; a token that starts with "%" makes the rest of its
// line a comment; tokens are split at blank, tab and "/". At the first
// token "FontName" the search ends: the font's name is the literal name
// that follows on the same line ("/" and a run of regular characters, the
// run ended by white space or the end of the text). Anything else there
// ("/ def", "(Str Font)", "/A(B)C", nothing) means the font has no usable
// name: a name that is stored on the printer disk and shown to the user is
// one PostScript name or nothing. Both the job library and the font page
// read names with this scanner, so what is shown is what is stored.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

class SdkFontNameScanner {
 public:
  // Feeds the next piece of text; pieces may cut anywhere.
  void feed(const char* data, std::size_t size);
  // Ends the text.
  void finish();
  // True once the name is known or the search has failed.
  bool done() const { return state_ == State::kDone; }
  // The name (without "/"), once found.
  std::optional<std::string> name() const;

 private:
  enum class State { kLine, kComment, kBeforeName, kName, kDone };
  // Ends the current token; true when it was "FontName".
  bool endToken();
  void endName(bool valid);

  State state_ = State::kLine;
  std::string token_;
  bool tokenTooLong_ = false;
  bool found_ = false;
};
