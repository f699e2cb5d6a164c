// Output writers of the jobs.
//
// krmWriteWholeText writes a job built in memory in one piece. A KrmStream
// is the writer of jobs that embed files: it creates the parent
// directories, takes the output's lock file, and writes piece after piece,
// each written and flushed at once. The first failure (a write, or a job
// step that reports one through fail()) is kept and stops every later
// write. krmCloseStream closes the file, releases the lock, removes the part
// file of a failed job and records the job's result as the last message.
//
// Both writers put the job beside the output first, in a part file made
// exclusively under a fresh name (the output's name, six random characters,
// ".part"), and rename it over the output once it is complete. A failed or
// killed job thus leaves the file that was at the output as it was, and a
// link planted beside the output is never written through. Part files that
// killed writers of the same output left are removed by the next writer
// (only those no live process still has open). An output that exists and is
// not a regular file (a device, a pipe) is written directly.
//
// Once the caller of the running job has cancelled it (krm_progress.h), a
// stream writes nothing more and fails with kKrmCancelled.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "krmsdk/krm_lock.h"

// 1 when the text was written whole, else 0 (parent directories are
// created; the output's lock file is held while writing).
int krmWriteWholeText(const char* outputPath, std::string_view text);

class KrmStream {
 public:
  KrmStream(std::string function, std::string outputPath);
  ~KrmStream();
  KrmStream(const KrmStream&) = delete;
  KrmStream& operator=(const KrmStream&) = delete;

  // Directories, lock (1004) and file (1005). Returns the result so far.
  int open();
  // Writes and flushes one piece; 1001, or the job's failure code.
  int write(std::string_view piece);
  // Records a failure of the job (the first one wins); returns result().
  int fail(int code, std::string_view argument);
  // A job never writes its output over a file it reads: true, with the job
  // failed (1017, "krmVOS.outputPath"), when path names the output file,
  // which is then left as it is.
  bool refusesInput(const char* path);
  // The job's result so far (1001 while everything worked).
  int result() const { return result_; }
  bool ok() const { return result_ == 1001; }
  const std::string& function() const { return function_; }
  const std::string& outputPath() const { return outputPath_; }
  // The output file, flushed, for data written to it by other means (a
  // system copy into its descriptor); null once the job has failed. Such
  // writers report their failures through fail().
  std::FILE* flushedFile();
  // Close, unlock, clean up and record; returns the final result.
  int close();

 private:
  struct Closer {
    void operator()(std::FILE* f) const {
      if (f) std::fclose(f);
    }
  };
  std::string function_;
  std::string outputPath_;
  std::string argument_;
  std::unique_ptr<std::FILE, Closer> file_;
  std::string writePath_;  // the part file, or the output itself
  KrmLockHandle lock_;
  int result_ = 1001;
  bool closed_ = false;
};

// Opens where a writer of outputPath writes before the rename: a new part
// file beside it (path filled in), or, for an existing non-regular output,
// the output itself. Null on failure.
std::FILE* krmOpenPart(const std::string& outputPath, std::string& partPath);
// Renames a complete part file over its output; 1 on success (always 1
// when the part file is the output).
int krmCommitPart(const std::string& partPath, const std::string& outputPath);

// The named entry points of the streaming writer.
std::unique_ptr<KrmStream> krmOpenStream(const char* function, const char* outputPath);
int krmCloseStream(std::unique_ptr<KrmStream>& stream);
