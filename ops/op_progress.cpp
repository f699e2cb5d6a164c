// Progress of the operations, fed by the job library's progress hook.
#include "ops/op_progress.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "ops/translate.h"

namespace {
std::string megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}
}  // namespace

int OpProgressStep::percent() const {
  if (fraction < 0) return -1;
  return static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
}

std::string OpProgressStep::text() const {
  const char* doing = "";
  switch (phase) {
    case Phase::Opening: doing = "Opening the project"; break;
    case Phase::Listing: doing = "Listing the project resources"; break;
    case Phase::Writing: doing = "Writing the job"; break;
    case Phase::Sending: doing = "Sending the job"; break;
  }
  std::string line = item.empty() ? tr(doing) : tr(doing) + ": " + item;
  if (phase == Phase::Sending && totalBytes > 0)
    line += " (" + megabytes(bytes) + " " + tr("of") + " " + megabytes(totalBytes) + ")";
  return line;
}

OpProgressStep opProgressStep(const KrmProgress& report, bool listing) {
  OpProgressStep step;
  if (report.step == KrmProgressStep::kOpening) {
    step.phase = OpProgressStep::Phase::Opening;
  } else {
    step.phase = listing ? OpProgressStep::Phase::Listing : OpProgressStep::Phase::Writing;
  }
  step.item = std::string(report.item);
  step.file = report.index;
  step.files = report.count;
  const double itemShare =
      report.itemSize > 0 ? static_cast<double>(report.itemDone) / static_cast<double>(report.itemSize) : 0.0;
  if (report.total > 0) {
    step.fraction = static_cast<double>(report.done) / static_cast<double>(report.total);
  } else if (report.count > 0 && report.index > 0) {
    step.fraction =
        (static_cast<double>(report.index - 1) + std::min(itemShare, 1.0)) / static_cast<double>(report.count);
  } else if (report.itemSize > 0) {
    step.fraction = itemShare;
  }
  if (step.fraction > 1.0) step.fraction = 1.0;
  return step;
}

KrmProgressHook opJobProgressHook(const OpProgress& progress, bool listing) {
  if (!progress) return {};
  struct Throttle {
    bool any = false;
    KrmProgressStep step = KrmProgressStep::kOpening;
    std::chrono::steady_clock::time_point last;
  };
  auto throttle = std::make_shared<Throttle>();
  return [progress, listing, throttle](const KrmProgress& report) {
    const auto now = std::chrono::steady_clock::now();
    if (throttle->any && report.step == throttle->step && now - throttle->last < kOpProgressInterval) return 0;
    throttle->any = true;
    throttle->step = report.step;
    throttle->last = now;
    return progress(opProgressStep(report, listing)) ? 0 : 1;
  };
}
