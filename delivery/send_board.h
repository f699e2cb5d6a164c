// SendBoard: where each printer of a send stands while the send runs, for
// a progress window or a terminal to show member by member.
//
// SendJob fills one board per send, in the members' order, and changes a
// member's entry from the sending threads; readers on any thread take a
// copy with snapshot(). Every member starts waiting (or failed, when it is
// not a printer that can be sent to), is sending while its hand-over runs,
// and ends sent (with the spooler's job number), failed (with the reason)
// or cancelled (its hand-over stopped, or never begun after Cancel).
// Printer names and reasons are untrusted text: show them escaped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

enum class MemberStage {
  Waiting,
  Sending,
  Sent,
  Failed,
  Cancelled,
};

struct MemberState {
  std::string printer;
  MemberStage stage = MemberStage::Waiting;
  int jobId = 0;        // when sent through a spooler that gave a number
  bool direct = false;  // sent straight to the printer
  std::string reason;   // why it failed
};

class SendBoard {
 public:
  explicit SendBoard(std::vector<MemberState> members) : members_(std::move(members)) {}

  void update(std::size_t index, MemberStage stage, int jobId = 0, std::string reason = {});
  std::vector<MemberState> snapshot() const;
  // Changes so far: a reader whose copy is as new need not copy again.
  std::uint64_t version() const;

 private:
  mutable std::mutex mutex_;
  std::vector<MemberState> members_;
  std::uint64_t version_ = 0;
};

// "waiting", "sending", "sent, job 12", "sent direct", "failed: reason",
// "cancelled" (translated).
std::string memberStateText(const MemberState& member);
