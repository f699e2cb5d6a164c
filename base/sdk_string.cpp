#include "base/sdk_string.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
// Clamps a position into [0, size].
std::size_t clampPos(int pos, std::size_t size) {
  if (pos <= 0) return 0;
  return std::min(static_cast<std::size_t>(pos), size);
}
}  // namespace

void SdkString::set(const char* text) {
  if (text == nullptr) {
    clear();
    return;
  }
  set(std::string_view(text));
}

void SdkString::set(std::string_view text) {
  // assign() copes with a view into our own buffer.
  text_.assign(text.data(), text.size());
  released_ = false;
}

void SdkString::append(const char* text) {
  if (text != nullptr) append(std::string_view(text));
}

void SdkString::append(std::string_view text) {
  if (released_) {
    text_.clear();
    released_ = false;
  }
  text_.append(text.data(), text.size());
}

void SdkString::appendChar(int c) {
  char ch = static_cast<char>(c & 0xFF);
  if (ch != '\0') append(std::string_view(&ch, 1));
}

int SdkString::equals(const char* text) const {
  return text != nullptr && text_ == text ? 1 : 0;
}

int SdkString::contains(const char* text) const {
  if (text == nullptr) return 0;
  return text_.find(text) != std::string::npos ? 1 : 0;
}

int SdkString::indexOfChar(int c) const {
  char ch = static_cast<char>(c & 0xFF);
  if (ch == '\0') return -1;
  auto pos = text_.find(ch);
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int SdkString::lastIndexOfChar(int c) const {
  char ch = static_cast<char>(c & 0xFF);
  if (ch == '\0') return -1;
  auto pos = text_.rfind(ch);
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int SdkString::indexOf(const char* pattern) const {
  return pattern == nullptr ? -1 : indexOf(std::string_view(pattern));
}

int SdkString::indexOf(std::string_view pattern) const {
  if (pattern.size() > text_.size()) return -1;
  auto pos = text_.find(pattern);
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

void SdkString::left(SdkString& dest, int n) const {
  dest.set(std::string(text_, 0, clampPos(n, text_.size())));
}

void SdkString::substring(SdkString& dest, int start, int count) const {
  std::size_t from = clampPos(start, text_.size());
  std::size_t len = clampPos(count, text_.size() - from);
  dest.set(std::string(text_, from, len));
}

void SdkString::tailFrom(SdkString& dest, int start) const {
  dest.set(std::string(text_, clampPos(start, text_.size())));
}

void SdkString::right(SdkString& dest, int n) const {
  std::size_t len = clampPos(n, text_.size());
  dest.set(std::string(text_, text_.size() - len));
}

void SdkString::replaceAll(const char* search, const char* replacement) {
  if (search == nullptr) return;
  replaceAll(std::string_view(search), std::string_view(replacement ? replacement : ""));
}

void SdkString::replaceAll(std::string_view search, std::string_view replacement) {
  sdkReplaceAll(text_, search, replacement);
}

void sdkReplaceAll(std::string& text, std::string_view search, std::string_view replacement) {
  if (search.empty() || text.find(search) == std::string::npos) return;
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (auto pos = text.find(search); pos != std::string::npos; pos = text.find(search, from)) {
    result.append(text, from, pos - from);
    result.append(replacement);
    from = pos + search.size();
  }
  result.append(text, from);
  text = std::move(result);
}

void SdkString::clear() {
  text_.clear();
  released_ = false;
}

void SdkString::format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  formatV(fmt, args);
  va_end(args);
}

void SdkString::formatV(const char* fmt, va_list args) {
  set(sdkFormatV(fmt, args));
}

void SdkString::release() {
  text_.clear();
  text_.shrink_to_fit();
  released_ = true;
}

std::unique_ptr<SdkString> sdkStringNew() { return std::make_unique<SdkString>(); }

std::unique_ptr<SdkString> sdkStringFromText(const char* text) {
  return std::make_unique<SdkString>(text);
}

std::unique_ptr<SdkString> sdkStringFromString(const SdkString& other) {
  return std::make_unique<SdkString>(other.view());
}

std::string sdkFormat(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string s = sdkFormatV(fmt, args);
  va_end(args);
  return s;
}

std::string sdkFormatV(const char* fmt, va_list args) {
  if (fmt == nullptr) return {};
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, n);
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::vsnprintf(big.data(), big.size(), fmt, args);
  big.resize(n);
  return big;
}
