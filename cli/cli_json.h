// The --json output: a small writer for objects and arrays, written in the
// order the calls come. Strings are escaped by JSON's rules (controls as
// \u00NN); bytes that are not UTF-8 are shown as the text \xNN, as on the
// terminal (cli_escape.h), so the output is always valid JSON in UTF-8 and
// two different names never read the same.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  // The name of the next member of the current object.
  JsonWriter& key(std::string_view name);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(std::int64_t number);
  JsonWriter& value(bool flag);
  JsonWriter& value(const std::vector<std::string>& texts);
  // The document, ending in a line break.
  std::string str() const { return out_ + "\n"; }

 private:
  void beforeValue();
  void open(char bracket);
  void close(char bracket);
  std::string out_;
  std::vector<bool> empty_;  // per open container: nothing in it yet
  bool afterKey_ = false;
};

// text as a JSON string literal, quotes included.
std::string jsonString(std::string_view text);
