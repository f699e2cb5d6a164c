#include "ops/op_inventory.h"

#include <algorithm>
#include <thread>

#include "base/sdk_fs.h"
#include "base/sdk_fs_unique.h"
#include "delivery/direct_send.h"
#include "delivery/printer_listing.h"
#include "krmsdk/krmsdk.h"
#include "ops/op_records.h"
#include "ops/result_message.h"
#include "ops/translate.h"
#include "ops/two_way_members.h"

namespace {

constexpr const char* kScopeWords[kFileScopeCount] = {"tqf", "tqfc", "fonts", "Sys", "other"};
constexpr std::size_t kMaxVersionText = 256;

std::optional<std::uint64_t> decimal(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return n;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> fromHex(std::string_view hex) {
  if (hex.size() % 2 != 0 || hex.size() > 2 * kMaxVersionText) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexDigit(hex[i]);
    const int low = hexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  // The version is the file's first line; what follows describes the set.
  bytes.erase(std::min(bytes.find('\n'), bytes.find('\r')));
  while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
  return bytes;
}

// One "QM-VER" or "QM-COUNT" line into the answer; others are left alone.
void readLine(std::string_view line, InventoryAnswer& answer) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.starts_with("QM-VER ")) {
    answer.tesselVersion = fromHex(line.substr(7));
    return;
  }
  if (!line.starts_with("QM-COUNT ")) return;
  line.remove_prefix(9);
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return;
  const std::optional<std::uint64_t> count = decimal(line.substr(blank + 1));
  if (!count) return;
  for (std::size_t i = 0; i < kFileScopeCount; ++i)
    if (line.substr(0, blank) == kScopeWords[i]) answer.files[i] = *count;
}

// The reason a send gave no inventory, or empty when it gave one.
std::string whyNoInventory(const DirectSendResult& sent, const InventoryAnswer& answer) {
  if (sent.status == DirectSendResult::Status::Failed) return sent.error;
  if (sent.status == DirectSendResult::Status::Cancelled) return tr("cancelled");
  if (sent.answer.failed()) return AnswerErrorLine(sent.answer);
  if (!answer.complete) return tr("its answer ended before the inventory did");
  return "";
}

}  // namespace

const char* fileScopeWord(FileScope scope) { return kScopeWords[static_cast<std::size_t>(scope)]; }

InventoryAnswer parseInventoryAnswer(std::string_view text) {
  // The disk and end lines are the listing's.
  const PrinterListing listing = parsePrinterListing(text);
  InventoryAnswer answer;
  answer.freeBytes = listing.freeBytes;
  answer.totalBytes = listing.totalBytes;
  answer.complete = listing.complete;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (line == "QM-END" || line == "QM-END\r") break;
    readLine(line, answer);
    start = end + 1;
  }
  return answer;
}

bool InventoryResult::allAnswered() const {
  for (const PrinterInventory& p : printers)
    if (p.state != PrinterInventory::State::Answered) return false;
  return result.kind == OpResult::Kind::Sent;
}

InventoryJob writeInventoryJob() {
  InventoryJob job;
  job.file = createTempJobFile();
  if (job.file.empty()) {
    job.failure.kind = OpResult::Kind::TempFileFailed;
    job.failure.message = tr("Quaymaster cannot create the temporary file.");
    return job;
  }
  const int rc = krmCreatePrinterInventory(jobOutputRecord(job.file.c_str()).get());
  if (rc != kKrmOk) {
    job.failure.kind = OpResult::Kind::JobFailed;
    job.failure.code = rc;
    const char* detail = krmGetLastArgument();
    job.failure.message = resultMessage(rc, detail ? detail : "");
    sdkDeleteFile(job.file.c_str());
    job.file.clear();
  }
  return job;
}

InventoryResult takeInventory(const OpContext& ctx) {
  const std::vector<DestinationMember> members = destinationMembers(ctx);
  if (members.empty()) return takeInventory(ctx, InventoryJob{});
  return takeInventory(ctx, writeInventoryJob());
}

InventoryResult takeInventory(const OpContext& ctx, InventoryJob job) {
  InventoryResult out;
  const std::vector<DestinationMember> members = destinationMembers(ctx);
  if (members.empty()) {
    if (!job.file.empty()) sdkDeleteFile(job.file.c_str());
    out.result.kind = OpResult::Kind::Refused;
    out.result.message = tr("The destination holds no printer.");
    return out;
  }
  if (job.file.empty()) {
    out.result = job.failure;
    return out;
  }
  const std::string jobFile = job.file;

  const DirectSendOptions options = DirectRoutesFromConfig(ctx.configFile).options;
  // Keeps a sweep of another run off the job while the printers read it.
  SdkFileHold inUse(jobFile.c_str());
  out.printers.resize(members.size());
  std::vector<std::thread> askers;
  for (std::size_t i = 0; i < members.size(); ++i) {
    PrinterInventory& entry = out.printers[i];
    entry.printer = members[i].printer;
    if (!members[i].twoWay()) {
      entry.state = PrinterInventory::State::NotTwoWay;
      continue;
    }
    if (!members[i].direct->accepted()) {
      entry.reason = members[i].direct->message;
      continue;
    }
    askers.emplace_back([&entry, &options, &jobFile, address = *members[i].direct->address] {
      const DirectSendResult sent = SendDirect(address, entry.printer, jobFile, options, SendWatch());
      entry.answer = parseInventoryAnswer(sent.answer.kept);
      entry.reason = whyNoInventory(sent, entry.answer);
      entry.state = entry.reason.empty() ? PrinterInventory::State::Answered : PrinterInventory::State::NoAnswer;
    });
  }
  for (std::thread& t : askers) t.join();
  inUse.release();
  sdkDeleteFile(jobFile.c_str());
  out.result.kind = OpResult::Kind::Sent;
  return out;
}
