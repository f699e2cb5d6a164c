#include "ops/operation.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "base/sdk_fs.h"
#include "base/sdk_fs_unique.h"
#include "delivery/app_config.h"
#include "delivery/printer_groups.h"
#include "krmsdk/krm_lock.h"
#include "krmsdk/krmsdk.h"
#include "ops/result_message.h"
#include "ops/send_record.h"
#include "ops/translate.h"

InterpreterChoice readInterpreterChoice(const OpContext& ctx) {
  if (ctx.interpreter) return *ctx.interpreter;
  InterpreterChoice c;
  AppConfig config(kAppName, "", ctx.configFile);
  config.readFlag(cfgkey::kUseBuiltin, c.useBuiltin);
  config.readText(cfgkey::kKoroCore, c.koroCore);
  config.readText(cfgkey::kKoroStub, c.koroStub);
  config.readFlag(cfgkey::kIncludeLUS, c.includeLUS);
  return c;
}

std::string printerNameFor(const OpContext& ctx) { return stripGroupMarker(ctx.destination); }

namespace {

// A run that is killed leaves its job file (and maybe the job's part file)
// in the temporary folder. Another run's file is taken only when it has not
// changed for a while (a file just made is not yet locked or held), no job
// holds its lock, and no live process has it open.
constexpr std::chrono::seconds kLeftoverAge(60);

void removeLeftoverJobFiles(const std::string& stem) {
  sdkVisitUnique(stem, "", kLeftoverAge, [](const std::string& path) {
    KrmLockHandle lock = krmLockFile(path.c_str());
    if (!lock.valid()) return false;
    sdkRemoveAbandonedUnique(path + ".", ".part", std::chrono::seconds(0));
    const bool removed = sdkRemoveAbandoned(path.c_str()) == 1;
    krmUnlockFile(lock);
    return removed;
  });
}

}  // namespace

std::string createTempJobFile(const char* prefix) {
  std::string pre(prefix ? prefix : "");
  if (pre.size() > 3) pre.resize(3);
  removeLeftoverJobFiles(sdkJoinPath(sdkTempDirectory(), pre));
  // Made exclusively and empty; the job replaces it with its output.
  SdkString name;
  if (!sdkTempName(name, prefix)) return {};
  return name.str();
}

bool dropEmptyJobFile(const std::string& path) {
  return sdkFileSize(path.c_str()) == 0 && sdkDeleteFile(path.c_str()) == 1;
}

std::string lastPathComponent(const std::string& path) { return sdkFileNamePart(path); }

namespace {

int parallelSends(const OpContext& ctx) {
  if (ctx.parallel > 0) return ctx.parallel;
  AppConfig config(kAppName, "", ctx.configFile);
  long parallel = kDefaultParallelSends;
  config.readNumber(cfgkey::kParallelSends, parallel);
  return parallel >= 1 && parallel <= 64 ? static_cast<int>(parallel) : kDefaultParallelSends;
}

SendOutcome sendTo(const OpContext& ctx, const std::string& title, const std::string& file,
                   const SendWatch& watch) {
  if (ctx.send) return ctx.send(title, file, ctx.destination, watch);
  // Groups come from the same configuration file as everything else.
  std::string configFile = ctx.configFile;
  GroupReader readGroup = ctx.groupMembers;
  if (!readGroup) {
    readGroup = [configFile](const std::string& group) {
      AppFileConfig config(kAppName, "", configFile);
      return ReadPrinterGroup(config, group);
    };
  }
  return SendJob(ctx.spooler ? *ctx.spooler : systemSpooler(), readGroup, DirectRoutesFromConfig(configFile), title,
                 file, ctx.destination, watch, parallelSends(ctx));
}

// The send, then its record in the history.
struct Delivered {
  SendOutcome outcome;
  RecordedSend record;
};

Delivered sendNow(const OpContext& ctx, const std::string& title, const std::string& file, const SendWatch& watch) {
  Delivered d;
  SendTimes times;
  times.started = secondsNow();
  d.outcome = sendTo(ctx, title, file, watch);
  times.ended = secondsNow();
  d.record = recordSend(ctx.historyFile, title, ctx.destination, file, d.outcome, times);
  return d;
}

// The hand-over on a thread of its own, so that a spooler that is slow to
// take a big job holds up neither the window nor Cancel; this thread
// reports how far it has come and passes Cancel on.
Delivered sendWatched(const OpContext& ctx, const std::string& title, const std::string& file) {
  std::mutex mutex;
  std::condition_variable changed;
  SendProgress latest;
  bool done = false;
  std::atomic<bool> cancel{false};
  const SendWatch watch = [&](const SendProgress& progress) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      latest = progress;
    }
    return !cancel.load();
  };
  Delivered outcome;
  std::thread sender([&] {
    outcome = sendNow(ctx, title, file, watch);
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    changed.notify_all();
  });
  std::shared_ptr<const SendBoard> board;
  for (;;) {
    OpProgressStep step;
    step.phase = OpProgressStep::Phase::Sending;
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (changed.wait_for(lock, kOpProgressInterval, [&] { return done; })) break;
      step.item = latest.printer;
      step.bytes = latest.bytes;
      step.totalBytes = latest.total;
      step.file = static_cast<long>(latest.finished);
      step.files = static_cast<long>(latest.members);
      board = latest.board;
    }
    if (board && isGroupTarget(ctx.destination)) step.members = board->snapshot();
    if (step.totalBytes > 0) step.fraction = static_cast<double>(step.bytes) / static_cast<double>(step.totalBytes);
    if (!cancel.load() && !ctx.progress(step)) cancel = true;
  }
  sender.join();
  return outcome;
}

OpResult deliver(const OpContext& ctx, const std::string& title, const std::string& file) {
  OpResult r;
  r.title = title;
  r.jobFile = file;
  if (ctx.progress) {
    OpProgressStep sending;
    sending.phase = OpProgressStep::Phase::Sending;
    if (!ctx.progress(sending)) {
      r.kind = OpResult::Kind::Cancelled;
      return r;
    }
    Delivered d = sendWatched(ctx, title, file);
    r.outcome = std::move(d.outcome);
    r.historyWarning = std::move(d.record.warning);
    r.historyId = d.record.id;
  } else {
    Delivered d = sendNow(ctx, title, file, {});
    r.outcome = std::move(d.outcome);
    r.historyWarning = std::move(d.record.warning);
    r.historyId = d.record.id;
  }
  r.historyFile = ctx.historyFile;
  if (r.outcome.cancelled) {
    r.kind = OpResult::Kind::Cancelled;
  } else if (r.outcome.succeeded()) {
    r.kind = OpResult::Kind::Sent;
  } else {
    r.kind = OpResult::Kind::SendFailed;
    r.message = r.outcome.message;
  }
  return r;
}
}  // namespace

OpResult runJob(const OpContext& ctx, const std::string& title, const std::function<int(const char*)>& job) {
  OpResult r;
  r.title = title;
  std::string jobPath = ctx.jobOutputPath;
  bool temporary = jobPath.empty();
  if (temporary) {
    jobPath = createTempJobFile();
    if (jobPath.empty()) {
      r.kind = OpResult::Kind::TempFileFailed;
      r.message = tr("Quaymaster cannot create the temporary file.");
      return r;
    }
  }
  r.code = job(jobPath.c_str());
  r.jobFile = jobPath;
  if (r.code == kKrmCancelled) {
    // The job removed its own output; the empty file taken for its name
    // goes too.
    if (temporary) sdkDeleteFile(jobPath.c_str());
    r.kind = OpResult::Kind::Cancelled;
    r.jobFile.clear();
    return r;
  }
  if (r.code != kKrmOk) {
    const char* detail = krmGetLastArgument();
    r.kind = OpResult::Kind::JobFailed;
    r.message = resultMessage(r.code, detail ? detail : "");
    // Nothing to look into in the empty file a failed job leaves.
    if (temporary && dropEmptyJobFile(jobPath)) r.jobFile.clear();
    return r;
  }
  if (!temporary) {
    r.kind = OpResult::Kind::Written;
    return r;
  }
  OpResult sent;
  {
    // Marks the job as in use while the spooler reads it, so that a sweep
    // of another run leaves it alone.
    SdkFileHold inUse(jobPath.c_str());
    sent = deliver(ctx, title, jobPath);
  }
  sent.code = r.code;
  sdkDeleteFile(jobPath.c_str());
  sent.jobFile.clear();
  return sent;
}

OpResult deliverFile(const OpContext& ctx, const std::string& title, const std::string& file) {
  return deliver(ctx, title, file);
}
