// Sending one job file straight to a printer's raw port and reading what
// the printer answers.
//
// The file is streamed in kDirectChunkSize pieces (never held whole); what
// the printer says meanwhile is read as it comes. When every byte is out,
// the write side is shut down, which is the end of the job for the
// printer; the rest of its answer is then read until it closes the
// connection or says nothing for the idle limit. An answer that goes on for
// longer than kMaxAnswerTime is cut there. The watch is told the progress
// after every piece and at least every kSocketPollSlice while waiting;
// when it answers false the connection is dropped and the result says
// cancelled. A job the printer does not take whole (it closes, resets or
// stops taking data) is a failure, as is an answer holding a printer error
// ("%%[ Error: ... ]%%"); the error line then carries the printer's words
// (escaped).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "delivery/direct_printer.h"
#include "delivery/printer_answer.h"
#include "delivery/spooler.h"

inline constexpr std::size_t kDirectChunkSize = 64 * 1024;
inline constexpr std::chrono::minutes kMaxAnswerTime{10};

struct DirectSendResult {
  enum class Status {
    Sent,          // the printer took the job and its answer holds no error
    PrinterError,  // the printer took the job and answered an error
    Cancelled,
    Failed,        // the job did not get through (error says why)
  };
  // How the answer ended, once the job was out.
  enum class AnswerEnd { NotRead, Closed, Silent, TimeLimit, Broken };
  Status status = Status::Failed;
  AnswerEnd answerEnd = AnswerEnd::NotRead;
  std::uint64_t bytesSent = 0;
  std::uint64_t jobSize = 0;
  PrinterAnswer answer;
  std::string error;  // one line for the operator; empty when sent

  bool ok() const { return status == Status::Sent; }
};

struct DirectSendOptions {
  DirectSettings settings;
  std::chrono::milliseconds answerTime = kMaxAnswerTime;
};

// Sends the file to the address; printer is the name the progress and the
// messages use (the configured name, or the address itself).
DirectSendResult SendDirect(const DirectAddress& address, const std::string& printer, const std::string& filePath,
                            const DirectSendOptions& options, const SendWatch& watch);

// Which destinations are direct printers: socket:// addresses as typed, and
// the direct printers of the configuration (find gives the address of a
// kept name; empty find: none are kept).
struct DirectRoutes {
  std::function<std::optional<DirectAddress>(const std::string& name)> find;
  DirectSendOptions options;
};

// The routes of a configuration file ("" = the installed one); its
// settings are read once, the printers at each lookup.
DirectRoutes DirectRoutesFromConfig(const std::string& configFile);

// Nothing when the destination is not direct; else the check of its
// address (refused for a socket:// text that is not a good address).
std::optional<AddressCheck> FindDirectTarget(const DirectRoutes& routes, const std::string& destination);
