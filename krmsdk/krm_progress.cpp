// The progress scope of the job running on this thread.
#include "krmsdk/krm_progress.h"

#include "krmsdk/krm_records.h"

namespace {
// A walk looks at the clock every so many positions and reports when the
// last report is this long ago.
constexpr unsigned kWalkStride = 16;
constexpr std::chrono::milliseconds kWalkQuiet{20};

thread_local KrmProgressScope* tCurrent = nullptr;

// Byte totals belong to one step.
void enterStep(KrmProgress& p, KrmProgressStep step) {
  if (p.step != step) p.done = p.total = 0;
  p.step = step;
}
}  // namespace

struct KrmProgressAccess {
  // The running job's scope when it has a hook.
  static KrmProgressScope* active() { return tCurrent && tCurrent->hook_ ? tCurrent : nullptr; }

  static bool report(KrmProgressScope& scope) {
    if (scope.cancelled_) return false;
    scope.progress_.item = scope.item_;
    scope.lastReport_ = std::chrono::steady_clock::now();
    if ((*scope.hook_)(scope.progress_) != 0) scope.cancelled_ = true;
    return !scope.cancelled_;
  }

  static KrmProgress& progress(KrmProgressScope& scope) { return scope.progress_; }
  static std::string& item(KrmProgressScope& scope) { return scope.item_; }
  static unsigned& walkCount(KrmProgressScope& scope) { return scope.walkCount_; }
  static bool cancelled(const KrmProgressScope& scope) { return scope.cancelled_; }
  static bool quietFor(const KrmProgressScope& scope, std::chrono::milliseconds span) {
    return std::chrono::steady_clock::now() - scope.lastReport_ >= span;
  }
};

KrmProgressScope::KrmProgressScope(const krmVOS* vos) : outer_(tCurrent) {
  const KrmProgressHook* hook = vos ? &vos->krmVOSGetProgressHook() : nullptr;
  if (hook && *hook) hook_ = hook;
  tCurrent = this;
}

KrmProgressScope::~KrmProgressScope() { tCurrent = outer_; }

bool krmProgressWanted() { return KrmProgressAccess::active() != nullptr; }

bool krmProgressFile(KrmProgressStep step, std::string_view item, std::int64_t size, long index, long count) {
  KrmProgressScope* scope = KrmProgressAccess::active();
  if (!scope) return true;
  KrmProgress& p = KrmProgressAccess::progress(*scope);
  enterStep(p, step);
  KrmProgressAccess::item(*scope) = item;
  p.itemSize = size;
  p.itemDone = 0;
  if (index > 0) {
    p.index = index;
    p.count = count;
  } else {
    // Files numbered as they come.
    p.index = p.count == 0 ? p.index + 1 : 1;
    p.count = 0;
  }
  return KrmProgressAccess::report(*scope);
}

bool krmProgressBytes(std::int64_t bytes) {
  KrmProgressScope* scope = KrmProgressAccess::active();
  if (!scope) return true;
  KrmProgress& p = KrmProgressAccess::progress(*scope);
  p.itemDone += bytes;
  return KrmProgressAccess::report(*scope);
}

bool krmProgressWalk(long index, long count) {
  KrmProgressScope* scope = KrmProgressAccess::active();
  if (!scope) return true;
  if (KrmProgressAccess::cancelled(*scope)) return false;
  if (++KrmProgressAccess::walkCount(*scope) % kWalkStride != 0) return true;
  if (!KrmProgressAccess::quietFor(*scope, kWalkQuiet)) return true;
  KrmProgress& p = KrmProgressAccess::progress(*scope);
  enterStep(p, KrmProgressStep::kWriting);
  p.index = index;
  p.count = count;
  p.itemSize = p.itemDone = 0;
  KrmProgressAccess::item(*scope).clear();
  return KrmProgressAccess::report(*scope);
}

bool krmProgressArchive(const char* item, long index, long count, std::int64_t done, std::int64_t total,
                        std::int64_t itemSize, std::int64_t itemDone) {
  KrmProgressScope* scope = KrmProgressAccess::active();
  if (!scope) return true;
  KrmProgress& p = KrmProgressAccess::progress(*scope);
  p.step = KrmProgressStep::kOpening;
  KrmProgressAccess::item(*scope) = item ? item : "";
  p.index = index;
  p.count = count;
  p.done = done;
  p.total = total;
  p.itemSize = itemSize;
  p.itemDone = itemDone;
  return KrmProgressAccess::report(*scope);
}

bool krmProgressCancelled() {
  KrmProgressScope* scope = KrmProgressAccess::active();
  return scope && KrmProgressAccess::cancelled(*scope);
}
