#include "cli/cli_json.h"

#include "cli/cli_escape.h"

std::string jsonString(std::string_view text) {
  static const char hex[] = "0123456789abcdef";
  const std::string shown = cliShowable(text, ShowFor::Json);
  std::string out = "\"";
  for (std::size_t i = 0; i < shown.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(shown[i]);
    // C1 controls arrive as UTF-8 (C2 80 to C2 9F): one escape for both bytes.
    unsigned char c1 = c == 0xC2 && i + 1 < shown.size() ? static_cast<unsigned char>(shown[i + 1]) : 0;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F || (c1 >= 0x80 && c1 <= 0x9F)) {
      unsigned code = c1 ? c1 : c;
      out += "\\u00";
      out += hex[code >> 4];
      out += hex[code & 15];
      if (c1) ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!empty_.empty()) {
    if (!empty_.back()) out_ += ',';
    out_ += '\n' + std::string(2 * empty_.size(), ' ');
    empty_.back() = false;
  }
}

void JsonWriter::open(char bracket) {
  beforeValue();
  out_ += bracket;
  empty_.push_back(true);
}

void JsonWriter::close(char bracket) {
  bool wasEmpty = empty_.back();
  empty_.pop_back();
  if (!wasEmpty) out_ += '\n' + std::string(2 * empty_.size(), ' ');
  out_ += bracket;
}

JsonWriter& JsonWriter::beginObject() {
  open('{');
  return *this;
}
JsonWriter& JsonWriter::endObject() {
  close('}');
  return *this;
}
JsonWriter& JsonWriter::beginArray() {
  open('[');
  return *this;
}
JsonWriter& JsonWriter::endArray() {
  close(']');
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  beforeValue();
  out_ += jsonString(name) + ": ";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
  beforeValue();
  out_ += jsonString(text);
  return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
  beforeValue();
  out_ += std::to_string(number);
  return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
  beforeValue();
  out_ += flag ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::value(const std::vector<std::string>& texts) {
  beginArray();
  for (const std::string& t : texts) value(std::string_view(t));
  return endArray();
}
