// SdkString: the text record of both SDKs and the archive layer.
//
// A string of 8-bit bytes that always owns its own copy of the text. Texts
// passed in are copied, never kept; texts returned by text() are borrowed and
// stay valid until the next modifying call. Positions and counts are byte
// offsets. Every operation is total: out-of-range positions and counts are
// clamped to the text, format() never overflows, and set() accepts a pointer
// into the string's own text. After release() only set(), setFrom(),
// clear() and format() bring the string back; text() is null until then.
#pragma once

#include <cstdarg>
#include <memory>
#include <string>
#include <string_view>

class SdkString {
 public:
  SdkString() = default;
  explicit SdkString(std::string_view text) : text_(text) {}
  explicit SdkString(const char* text) { set(text); }

  // Replaces the text; a null text empties the string.
  void set(const char* text);
  void set(std::string_view text);
  void setFrom(const SdkString& other) { set(other.view()); }

  void append(const char* text);
  void append(std::string_view text);
  void appendFrom(const SdkString& other) { append(other.view()); }
  // Appends the low byte of c; a zero byte appends nothing.
  void appendChar(int c);

  int length() const { return static_cast<int>(text_.size()); }
  // The NUL-terminated text, or null after release().
  const char* text() const { return released_ ? nullptr : text_.c_str(); }
  std::string_view view() const { return text_; }
  const std::string& str() const { return text_; }

  // 1 when the texts are byte for byte identical (case-sensitive), else 0.
  int equals(const char* text) const;
  int equalsAlt(const char* text) const { return equals(text); }
  int equalsString(const SdkString& other) const { return text_ == other.text_ ? 1 : 0; }
  int equalsStringAlt(const SdkString& other) const { return equalsString(other); }

  // 1 when the text occurs anywhere (an empty text always does), else 0.
  int contains(const char* text) const;
  int containsAlt(const char* text) const { return contains(text); }
  int containsString(const SdkString& other) const { return contains(other.text_.c_str()); }
  int containsStringAlt(const SdkString& other) const { return containsString(other); }

  int isEmpty() const { return text_.empty() ? 1 : 0; }

  // Index of the first / last byte equal to the low byte of c, or -1
  // (searching for the zero byte gives -1).
  int indexOfChar(int c) const;
  int lastIndexOfChar(int c) const;
  // Index of the first occurrence of pattern, -1 when absent; an empty
  // pattern gives 0.
  int indexOf(const char* pattern) const;
  int indexOf(std::string_view pattern) const;

  // Cut operations: dest receives the piece (dest may be this string).
  void left(SdkString& dest, int n) const;
  void substring(SdkString& dest, int start, int count) const;
  void tailFrom(SdkString& dest, int start) const;
  void right(SdkString& dest, int n) const;

  // Replaces every occurrence of search, left to right and never
  // overlapping; replaced text is not searched again. An empty search text
  // changes nothing.
  void replaceAll(const char* search, const char* replacement);
  void replaceAll(std::string_view search, std::string_view replacement);

  void clear();
  // Replaces the text with the printf-style formatted result.
  void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  void formatV(const char* fmt, va_list args);
  // Drops the text; text() is null until the string is set again.
  void release();

 private:
  std::string text_;
  bool released_ = false;
};

std::unique_ptr<SdkString> sdkStringNew();
std::unique_ptr<SdkString> sdkStringFromText(const char* text);
std::unique_ptr<SdkString> sdkStringFromString(const SdkString& other);

// printf-style formatting into a std::string, never truncated.
std::string sdkFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string sdkFormatV(const char* fmt, va_list args);

// Replaces every occurrence of search in text, left to right and never
// overlapping; replaced text is not searched again. An empty search text
// changes nothing.
void sdkReplaceAll(std::string& text, std::string_view search, std::string_view replacement);
