// Job header, prolog, date line and string operands.
#include "krmsdk/krm_framing.h"

#include <ctime>

#include "krmsdk/krm_lifetime.h"

extern const unsigned char kKrmPrologPs[];
extern const std::size_t kKrmPrologPs_size;
extern const unsigned char kKrmAnswerPs[];
extern const std::size_t kKrmAnswerPs_size;

namespace {

std::tm localNow() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  return tm;
}

}  // namespace

std::string krmLocalTimeText(const char* format) {
  std::tm tm = localNow();
  char buf[256];
  std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

std::string krmCtimeText() {
  std::tm tm = localNow();
  char buf[64];
#ifdef _WIN32
  if (asctime_s(buf, sizeof buf, &tm) != 0) return "\n";
#else
  if (asctime_r(&tm, buf) == nullptr) return "\n";
#endif
  return buf;
}

std::string krmCommentText(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return out;
}

void krmWriteJobHeader(SdkString& job, const char* title, const char* headerComments) {
  job.format("%%!\n%%%%Title: %s\n%%%%Creator: %s\n%%%%CreationDate: %s%%%%%s\n%s%%%%EndComments\n\n",
             krmCommentText(title ? title : "").c_str(), kKrmVersionText, krmCtimeText().c_str(),
             krmCommentText(krmNoticeText()).c_str(), headerComments ? headerComments : "");
}

std::string_view krmPrologText() {
  return std::string_view(reinterpret_cast<const char*>(kKrmPrologPs), kKrmPrologPs_size);
}

void krmAppendAnswerListing(SdkString& job, std::string_view operand) {
  job.append("\n");
  job.append(std::string_view(reinterpret_cast<const char*>(kKrmAnswerPs), kKrmAnswerPs_size));
  job.append(operand);
  job.append(" answer_list\n");
}

void krmAppendProlog(SdkString& job) {
  job.append(krmPrologText());
  job.append("\n/DATE (");
  job.append(krmPsString(krmLocalTimeText("%x %X")));
  job.append(") def\n");
}

std::string krmPsString(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + ((byte >> 3) & 7)),
                            static_cast<char>('0' + (byte & 7))};
      out.append(octal, sizeof octal);
      continue;
    }
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string krmTransferOptions(const char* printerName, bool statusPage, bool overwrite) {
  std::string options = "(";
  options += krmPsString(printerName ? printerName : "");
  options += ") ";
  options += krmPsBool(statusPage);
  options += ' ';
  options += krmPsBool(overwrite);
  return options;
}
