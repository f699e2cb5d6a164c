#include "delivery/send_board.h"

#include <wx/intl.h>

#include "delivery/app_config.h"

void SendBoard::update(std::size_t index, MemberStage stage, int jobId, std::string reason) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (index >= members_.size()) return;
  MemberState& member = members_[index];
  member.stage = stage;
  member.jobId = jobId;
  member.reason = std::move(reason);
  ++version_;
}

std::vector<MemberState> SendBoard::snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return members_;
}

std::uint64_t SendBoard::version() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return version_;
}

std::string memberStateText(const MemberState& member) {
  auto tr = [](const char* text) { return fromWx(wxGetTranslation(text)); };
  switch (member.stage) {
    case MemberStage::Waiting:
      return tr("waiting");
    case MemberStage::Sending:
      return tr("sending");
    case MemberStage::Sent:
      if (member.direct) return tr("sent direct");
      return member.jobId > 0 ? tr("sent, job ") + std::to_string(member.jobId) : tr("sent");
    case MemberStage::Failed:
      return member.reason.empty() ? tr("failed") : tr("failed: ") + member.reason;
    case MemberStage::Cancelled:
      return tr("cancelled");
  }
  return {};
}
