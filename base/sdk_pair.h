// SdkPair: a name/value pair of texts. Both start unset (null); setters keep
// a private copy; getters return the stored text or null.
#pragma once

#include <memory>
#include <optional>
#include <string>

class SdkString;

class SdkPair {
 public:
  SdkPair() = default;
  SdkPair(const char* name, const char* value) {
    setName(name);
    setValue(value);
  }

  const char* name() const { return name_ ? name_->c_str() : nullptr; }
  void setName(const char* text) { assign(name_, text); }
  const char* value() const { return value_ ? value_->c_str() : nullptr; }
  void setValue(const char* text) { assign(value_, text); }
  // Forgets both texts.
  void release() {
    name_.reset();
    value_.reset();
  }

 private:
  static void assign(std::optional<std::string>& field, const char* text) {
    if (text) {
      field = text;
    } else {
      field.reset();
    }
  }
  std::optional<std::string> name_;
  std::optional<std::string> value_;
};

std::unique_ptr<SdkPair> sdkPairNew();
std::unique_ptr<SdkPair> sdkPairFromTexts(const char* name, const char* value);
std::unique_ptr<SdkPair> sdkPairFromStrings(const SdkString& name, const SdkString& value);
