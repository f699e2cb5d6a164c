#include "ops/operation.h"

#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "delivery/printer_groups.h"
#include "krmsdk/krmsdk.h"
#include "ops/result_message.h"
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

std::string createTempJobFile(const char* prefix) {
  SdkString name;
  if (!sdkTempName(name, prefix)) return {};
  // The page handlers get an existing empty file from the platform; keep
  // that, so the name stays taken until the job replaces it.
  if (!sdkWriteTextFile(name.text(), "")) return {};
  return name.str();
}

std::string lastPathComponent(const std::string& path) { return sdkFileNamePart(path); }

namespace {
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
  }
  if (ctx.send) {
    r.outcome = ctx.send(title, file, ctx.destination);
  } else {
    // Groups come from the same configuration file as everything else.
    std::string configFile = ctx.configFile;
    GroupReader readGroup = [configFile](const std::string& group) {
      AppFileConfig config(kAppName, "", configFile);
      return ReadPrinterGroup(config, group);
    };
    r.outcome = SendJob(systemSpooler(), readGroup, title, file, ctx.destination);
  }
  if (r.outcome.succeeded()) {
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
    return r;
  }
  if (!temporary) {
    r.kind = OpResult::Kind::Written;
    return r;
  }
  OpResult sent = deliver(ctx, title, jobPath);
  sent.code = r.code;
  sdkDeleteFile(jobPath.c_str());
  sent.jobFile.clear();
  return sent;
}

OpResult deliverFile(const OpContext& ctx, const std::string& title, const std::string& file) {
  return deliver(ctx, title, file);
}
