#include "delivery/direct_send.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "base/sdk_fs.h"
#include "delivery/app_config.h"
#include "delivery/printer_socket.h"

namespace {

using Clock = std::chrono::steady_clock;
using Result = DirectSendResult;

Result failed(Result r, std::string error) {
  r.status = Result::Status::Failed;
  r.error = std::move(error);
  return r;
}

Result cancelled(Result r) {
  r.status = Result::Status::Cancelled;
  r.error = "cancelled";
  return r;
}

}  // namespace

DirectSendResult SendDirect(const DirectAddress& address, const std::string& printer, const std::string& filePath,
                            const DirectSendOptions& options, const SendWatch& watch) {
  Result r;
  const std::chrono::milliseconds idle = options.settings.idleLimit;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(filePath.c_str(), "rb"), &std::fclose);
  if (!file) return failed(r, "cannot read the job file '" + filePath + "'");
  if (const std::int64_t size = sdkFileSize(filePath.c_str()); size > 0) r.jobSize = static_cast<std::uint64_t>(size);

  SendProgress progress{printer, 0, r.jobSize};
  bool stopped = false;
  const StopCheck stop = [&] {
    if (!stopped && watch && !watch(progress)) stopped = true;
    return stopped;
  };

  PrinterSocket socket;
  SocketResult step = socket.connect(address.host, address.port, idle, stop);
  if (step.status == SocketStatus::Cancelled) return cancelled(r);
  if (!step.ok()) return failed(r, step.error);

  // The printer may answer while it reads (an error early in the job, then
  // its "Flushing" while it reads the rest).
  AnswerReader reader(options.settings.answerCap);
  const IncomingBytes incoming = [&reader](const char* data, std::size_t size) {
    reader.feed(std::string_view(data, size));
  };
  std::vector<char> buffer(kDirectChunkSize);
  for (;;) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (got == 0) {
      if (std::ferror(file.get())) return failed(r, "cannot read the job file '" + filePath + "'");
      break;
    }
    step = socket.writeAll(buffer.data(), got, idle, stop, incoming);
    r.bytesSent += step.bytes;
    progress.bytes = r.bytesSent;
    if (!step.ok()) {
      // What the printer said before it stopped taking the job is kept; an
      // error in it is the reason the job did not get through.
      reader.finish();
      r.answer = reader.answer();
      if (r.answer.total > 0) r.answerEnd = Result::AnswerEnd::Broken;
      if (step.status == SocketStatus::Cancelled) return cancelled(r);
      if (r.answer.failed()) {
        r.status = Result::Status::PrinterError;
        r.error = "the printer answered: " + AnswerErrorLine(r.answer);
        return r;
      }
      return failed(r, step.error + " (" + std::to_string(r.bytesSent) + " of " + std::to_string(r.jobSize) +
                           " bytes sent; the job did not get through whole)");
    }
    if (stop()) return cancelled(r);
  }
  file.reset();
  step = socket.shutdownWrite();
  if (!step.ok()) return failed(r, step.error + " (the job may not have got through whole)");

  const Clock::time_point answerDeadline = Clock::now() + options.answerTime;
  for (;;) {
    if (Clock::now() >= answerDeadline) {
      r.answerEnd = Result::AnswerEnd::TimeLimit;
      break;
    }
    step = socket.readSome(buffer.data(), buffer.size(), idle, stop);
    if (step.status == SocketStatus::Cancelled) {
      reader.finish();
      r.answer = reader.answer();
      return cancelled(r);
    }
    if (step.status == SocketStatus::Closed) {
      r.answerEnd = Result::AnswerEnd::Closed;
      break;
    }
    if (step.status == SocketStatus::TimedOut) {
      r.answerEnd = Result::AnswerEnd::Silent;
      break;
    }
    if (!step.ok()) {
      // The printer had the whole job, but a reset may mean it dropped
      // what it had not read yet: that is not a success.
      reader.finish();
      r.answer = reader.answer();
      r.answerEnd = Result::AnswerEnd::Broken;
      return failed(r, step.error + " (after the job was sent; it may not have been taken whole)");
    }
    reader.feed(std::string_view(buffer.data(), step.bytes));
  }
  socket.close();
  reader.finish();
  r.answer = reader.answer();
  if (r.answer.failed()) {
    r.status = Result::Status::PrinterError;
    r.error = "the printer answered: " + AnswerErrorLine(r.answer);
    return r;
  }
  r.status = Result::Status::Sent;
  return r;
}

DirectRoutes DirectRoutesFromConfig(const std::string& configFile) {
  DirectRoutes routes;
  {
    AppFileConfig config(kAppName, "", configFile);
    routes.options.settings = ReadDirectSettings(config);
  }
  const bool twoWayQueues = routes.options.settings.twoWayQueues;
  routes.find = [configFile, twoWayQueues](const std::string& name) {
    std::optional<DirectAddress> kept;
    {
      AppFileConfig config(kAppName, "", configFile);
      kept = ReadDirectPrinter(config, name);
    }
    if (kept || !twoWayQueues) return kept;
    return SpoolerQueueSocketAddress(name);
  };
  return routes;
}

std::optional<AddressCheck> FindDirectTarget(const DirectRoutes& routes, const std::string& destination) {
  if (isSocketUri(destination)) return ParseSocketUri(destination);
  if (!routes.find) return std::nullopt;
  std::optional<DirectAddress> kept = routes.find(destination);
  if (!kept) return std::nullopt;
  AddressCheck check;
  check.address = *kept;
  return check;
}
