// Whole-text and streaming output writers.
#include "krmsdk/krm_stream.h"

#include <filesystem>
#include <system_error>

#include "base/sdk_fs.h"
#include "base/sdk_fs_unique.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krmsdk.h"

std::FILE* krmOpenPart(const std::string& outputPath, std::string& partPath) {
  std::error_code ec;
  // A device or a pipe the user named (also through a link, as
  // /dev/stdout is) takes the job as it comes.
  std::filesystem::file_status status = std::filesystem::status(outputPath, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    partPath = outputPath;
    return std::fopen(outputPath.c_str(), "wb");
  }
  SdkNewFile part = sdkCreatePartFile(outputPath);
  partPath = part.path;
  return part.file;
}

int krmCommitPart(const std::string& partPath, const std::string& outputPath) {
  if (partPath == outputPath) return 1;
  return sdkMoveFile(partPath.c_str(), outputPath.c_str());
}

int krmWriteWholeText(const char* outputPath, std::string_view text) {
  if (outputPath == nullptr) return 0;
  sdkMakeDirs(outputPath);
  KrmLockHandle lock = krmLockFile(outputPath);
  if (!lock.valid()) return 0;
  std::string part;
  std::FILE* file = krmOpenPart(outputPath, part);
  int ok = 0;
  if (file) {
    ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0) ok = 0;
    ok = ok && krmCommitPart(part, outputPath);
    if (!ok && part != outputPath) sdkDeleteFile(part.c_str());
  }
  krmUnlockFile(lock);
  return ok;
}

KrmStream::KrmStream(std::string function, std::string outputPath)
    : function_(std::move(function)), outputPath_(std::move(outputPath)) {}

KrmStream::~KrmStream() {
  if (!closed_) {
    if (result_ == kKrmOk) fail(kKrmWriteError, outputPath_);
    close();
  }
}

int KrmStream::open() {
  sdkMakeDirs(outputPath_.c_str());
  lock_ = krmLockFile(outputPath_.c_str());
  if (!lock_.valid()) return fail(kKrmAccessError, outputPath_);
  file_.reset(krmOpenPart(outputPath_, writePath_));
  if (!file_) {
    writePath_.clear();
    return fail(kKrmWriteError, outputPath_);
  }
  return result_;
}

int KrmStream::write(std::string_view piece) {
  if (result_ != kKrmOk) return result_;
  if (krmProgressCancelled()) return fail(kKrmCancelled, outputPath_);
  if (!file_) return fail(kKrmWriteError, outputPath_);
  if (std::fwrite(piece.data(), 1, piece.size(), file_.get()) != piece.size() ||
      std::fflush(file_.get()) != 0)
    return fail(kKrmWriteError, outputPath_);
  return result_;
}

std::FILE* KrmStream::flushedFile() {
  if (result_ == kKrmOk && krmProgressCancelled()) fail(kKrmCancelled, outputPath_);
  if (result_ != kKrmOk) return nullptr;
  if (!file_ || std::fflush(file_.get()) != 0) {
    fail(kKrmWriteError, outputPath_);
    return nullptr;
  }
  return file_.get();
}

bool KrmStream::refusesInput(const char* path) {
  if (path == nullptr || !sdkSameFile(path, outputPath_.c_str())) return false;
  fail(kKrmBadParameter, "krmVOS.outputPath");
  return true;
}

int KrmStream::fail(int code, std::string_view argument) {
  if (result_ == kKrmOk && code != kKrmOk) {
    result_ = code;
    argument_ = argument;
  }
  return result_;
}

int KrmStream::close() {
  if (closed_) return result_;
  closed_ = true;
  // A job cancelled after its last write is still cancelled: its output
  // goes like that of any failed job.
  if (krmProgressCancelled()) fail(kKrmCancelled, outputPath_);
  if (file_) {
    if (std::fclose(file_.release()) != 0) fail(kKrmWriteError, outputPath_);
  }
  if (result_ == kKrmOk && !writePath_.empty() && !krmCommitPart(writePath_, outputPath_))
    fail(kKrmWriteError, outputPath_);
  // A failed job leaves whatever was at the output before it; only its own
  // part file goes.
  if (result_ != kKrmOk && !writePath_.empty() && writePath_ != outputPath_) sdkDeleteFile(writePath_.c_str());
  krmUnlockFile(lock_);
  return krmReportResult(function_, result_, result_ == kKrmOk ? outputPath_ : argument_);
}

std::unique_ptr<KrmStream> krmOpenStream(const char* function, const char* outputPath) {
  auto stream = std::make_unique<KrmStream>(function ? function : "", outputPath ? outputPath : "");
  stream->open();
  return stream;
}

int krmCloseStream(std::unique_ptr<KrmStream>& stream) {
  if (!stream) return kKrmWriteError;
  int result = stream->close();
  stream.reset();
  return result;
}
