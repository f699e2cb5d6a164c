// Progress of a running job, and the caller's way to stop it.
//
// A caller that wants to follow a job gives its output record a hook
// (krmVOSSetProgressHook). The project jobs (resource loader, resource
// list, printable container) and the file and font loaders call it on the
// caller's own thread, from inside the job function: while a container is
// unpacked to open the project (for every piece the archive copies), when
// the job starts embedding a file, for every piece of a file it streams
// (at most 256 KiB of input, 10 MiB for a printable container's
// submission file), and every 20 ms or so of a walk over resources that
// sends nothing. A non-zero answer cancels: the job writes nothing more, deletes
// its part file (an earlier output stays) and the files that opening a container
// unpacked, and returns kKrmCancelled. Without a hook every job writes the
// same bytes as ever.
//
// Inside the library a job function opens a KrmProgressScope from its
// output record; the helpers below report into the scope of the job that
// runs on the calling thread and do nothing when there is none or it has
// no hook.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class krmVOS;

enum class KrmProgressStep {
  kOpening,  // the project's container is being unpacked
  kWriting,  // the job file is being written
};

struct KrmProgress {
  KrmProgressStep step = KrmProgressStep::kWriting;
  // The file being unpacked or embedded, as the job names it (a resource
  // or entry name, or a local file's name); empty between files.
  std::string_view item;
  // Position among the step's files or resources, from 1; count 0 when
  // the job cannot tell how many there are.
  long index = 0;
  long count = 0;
  // Bytes of the current file: its size and how much of it is done.
  std::int64_t itemSize = 0;
  std::int64_t itemDone = 0;
  // Bytes of the whole step where it knows them (unpacking); total 0
  // otherwise.
  std::int64_t done = 0;
  std::int64_t total = 0;
};

// Non-zero cancels the job.
using KrmProgressHook = std::function<int(const KrmProgress& progress)>;

// The progress of the job that runs on this thread, for the length of one
// job function. Scopes nest; the inner one is current until it ends.
class KrmProgressScope {
 public:
  explicit KrmProgressScope(const krmVOS* vos);
  ~KrmProgressScope();
  KrmProgressScope(const KrmProgressScope&) = delete;
  KrmProgressScope& operator=(const KrmProgressScope&) = delete;

 private:
  friend struct KrmProgressAccess;
  const KrmProgressHook* hook_ = nullptr;
  KrmProgressScope* outer_ = nullptr;
  KrmProgress progress_;
  std::string item_;
  unsigned walkCount_ = 0;
  std::chrono::steady_clock::time_point lastReport_{};
  bool cancelled_ = false;
};

// True when the running job reports progress at all.
bool krmProgressWanted();
// A new file of the step: name, size in bytes and position (count 0 when
// unknown). False once the caller has cancelled.
bool krmProgressFile(KrmProgressStep step, std::string_view item, std::int64_t size, long index = 0,
                     long count = 0);
// More bytes of the current file done.
bool krmProgressBytes(std::int64_t bytes);
// A position of a walk over resources that may send nothing for a long
// while; reported only when the last report is some 20 ms ago.
bool krmProgressWalk(long index, long count);
// The archive's counters while a container is unpacked.
bool krmProgressArchive(const char* item, long index, long count, std::int64_t done, std::int64_t total,
                        std::int64_t itemSize, std::int64_t itemDone);
// True once the caller of the running job has cancelled it.
bool krmProgressCancelled();
