// The inventory of a destination: every two-way printer of it is asked at
// once (a thread and a connection each) what its disk holds, with one small
// job that prints nothing (krmCreatePrinterInventory). Spooler queues among
// the members cannot answer and are named as such.
//
// The answers are untrusted: the Tessel version is the printer's bytes
// (shown only escaped), counts and sizes are its word. A printer that
// cannot be reached, answers an error, or whose answer ends before the
// inventory does, "did not answer", with the reason.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ops/operation.h"

// The scopes files are counted in, by the start of their names.
enum class FileScope { Tessel, Resources, Fonts, System, Other };
inline constexpr std::size_t kFileScopeCount = 5;
// "tqf", "tqfc", "fonts", "Sys", "other": the words of the answer and of
// the output.
const char* fileScopeWord(FileScope scope);

// What one printer's answer told.
struct InventoryAnswer {
  std::optional<std::string> tesselVersion;  // the first line of the VER file
  std::array<std::uint64_t, kFileScopeCount> files{};
  std::optional<std::uint64_t> freeBytes;
  std::optional<std::uint64_t> totalBytes;
  bool complete = false;  // the printer said the inventory was whole
};
InventoryAnswer parseInventoryAnswer(std::string_view answer);

struct PrinterInventory {
  enum class State { Answered, NotTwoWay, NoAnswer };
  std::string printer;
  State state = State::NoAnswer;
  std::string reason;  // NoAnswer: why, one line
  InventoryAnswer answer;
};

struct InventoryResult {
  // Refused / TempFileFailed / JobFailed when nobody was asked; Sent
  // otherwise, whatever the printers answered.
  OpResult result;
  std::vector<PrinterInventory> printers;  // the destination's members in order
  bool allAnswered() const;
};

InventoryResult takeInventory(const OpContext& ctx);

// The inventory job in a temporary file of its own, written on the calling
// thread: the job library keeps state of its own between calls and must
// not run on two threads at once, so a window writes the job on its own
// thread and asks the printers on another. On failure the file is empty
// and failure says why.
struct InventoryJob {
  std::string file;
  OpResult failure;
};
InventoryJob writeInventoryJob();
// takeInventory with that job; it deletes the file.
InventoryResult takeInventory(const OpContext& ctx, InventoryJob job);
