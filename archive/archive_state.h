// Inside of an ArchiveHandler, shared by its zip and tar code.
//
// One ArchiveState belongs to one handler; the zip and tar code receive it
// instead of reaching for anything process-wide. It reports errors (keeping
// the formatted text and the template), calls the hooks with the current
// counters and holds the volume naming state. Only the cancel flags and the
// error texts may be touched from another thread (ArchiveHandler::Cancel).
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "archive/archive_handler.h"

struct ArchiveState {
  explicit ArchiveState(ArchiveHandler& owningHandler, void* ownerPointer)
      : handler(owningHandler), owner(ownerPointer) {}

  ArchiveHandler& handler;
  void* owner;

  ArchiveHandler::ProgressHook progressHook;
  ArchiveHandler::VolumeHook volumeHook;
  ArchiveHandler::OverwriteHook overwriteHook;

  // Progress.
  std::string status;
  long fileCount = 0;
  std::int64_t totalBytes = 0;
  long currentIndex = 0;
  std::int64_t bytesDone = 0;
  std::string currentFile;
  std::int64_t currentSize = 0;
  std::int64_t currentDone = 0;

  std::string listing;

  // Format and volumes.
  int format = kArchiveFormatZip;
  int volumeSize = 0;
  std::int64_t predictedSize = 0;
  long volumeCount = 0;
  long volumeRecords = 0;  // records written into the current volume
  long volumeIndex = 0;    // 0-based index of the current volume
  std::string volumeFolder, volumeBase, volumeSeparator, volumeExtension;
  std::string volumeFileName, volumePath;  // written under the error lock

  ArchiveExtractLimits limits;
  // Written by the running extraction, or since SetExtractLimits when
  // countAcrossOperations.
  std::int64_t extractedBytes = 0;
  bool countAcrossOperations = false;
  std::int64_t totalCap = 0;  // of the running extraction, 0 for none

  std::string foundEntry;
  std::string foundFile;

  // Creation: the file each entry name is read from, when the caller named
  // entries itself (ArchiveHandler::Create with members).
  std::map<std::string, std::string> sources;
  // Set by ArchiveHandler::Create: a creation that fails leaves nothing
  // (the tar command shape keeps what it wrote, as tar does).
  bool wholeOrNothing = false;
  // Extraction: every entry written, in archive order.
  std::vector<ArchiveExtracted> extracted;
  // Extraction of chosen entries (ArchiveHandler::ExtractEntries): only
  // entries of these stored names are written, the others passed over.
  bool chosenOnly = false;
  std::unordered_set<std::string> chosen;
  bool isChosen(const std::string& name) const { return !chosenOnly || chosen.count(name) > 0; }

  // Set while the tar code runs: its internal errors carry the tar label.
  std::atomic<bool> tarRunning{false};

  std::atomic<bool> cancelled{false};
  std::atomic<bool> errorReported{false};

  // Starts an operation: clears texts, counters and the cancel flags.
  void begin();
  void reset();

  // Where creation reads the file of an entry: the caller's source for a
  // named member, else the path under baseFolder (archiveSourcePath).
  std::string sourceOf(const std::string& baseFolder, const std::string& file) const;
  // A creation that would write over one of the files it packs (named by
  // output, which need not exist yet) records internal tag kTagOutputIsInput
  // and returns true.
  bool refusesOutput(const std::string& output, const std::vector<std::string>& files, const std::string& baseFolder);
  // True when the operation failed (not when it was cancelled): a failed
  // creation removes what it wrote.
  bool failed() const { return hasError() && !cancelled; }

  // Records a formatted error and its template; later errors replace it.
  void error(const char* templ, ...) __attribute__((format(printf, 2, 3)));
  // Records an internal error unless one was already recorded.
  void internal(int tag, const std::string& file, const std::string& reason);
  // Internal error for a cancellation: sets the cancel flags too.
  void cancelWith(int tag, const std::string& file);
  // ArchiveHandler::Cancel: flags, then tag kTagCancel whatever was recorded.
  void cancelFromOutside();
  bool hasError() const;
  std::string errorText() const;
  std::string errorTemplate() const;

  // Works out totalCap from the limits and the container read.
  void startExtraction(const std::string& container);
  // False (kTagSizeLimit recorded for name) when writing bytes more would
  // pass totalCap.
  bool mayWrite(const std::string& name, std::int64_t bytes);
  // False (kTagNoSpace recorded for name) when bytes are more than the free
  // space of folder.
  bool fitsOnDisk(const std::string& name, const std::string& folder, std::int64_t bytes);

  // Sets the current file, counts it and resets its byte counter.
  void startFile(const std::string& name, std::int64_t size);
  // Adds to the byte counters.
  void addBytes(std::int64_t n) {
    bytesDone += n;
    currentDone += n;
  }
  // Progress hook with the status text (or the given status word) and the
  // current counters; non-zero means cancel.
  int progress(const char* statusWord = nullptr);
  // Progress hook with explicit values (validation pass of the tar reader).
  int progressWith(const char* statusText, long files, std::int64_t total, long index, std::int64_t done,
                   const std::string& file, std::int64_t size, std::int64_t fileDone);
  int volumeChange(const std::string& fileName, const std::string& folder);
  char askOverwrite(const std::string& path);

  void appendListing(const std::string& line);
  void formatVolumeNames(long index);
  // The names of a volume without making them current.
  void volumeNamesFor(long index, std::string& fileName, std::string& path) const;
  // The volume names are read by Cancel from another thread.
  std::string currentVolumeFileName() const;
  std::string currentVolumePath() const;

 private:
  const char* internalTemplate() const { return tarRunning ? kArchiveMsgTarInternal : kArchiveMsgInternal; }

  mutable std::mutex errorMutex_;
  std::string errorText_;
  std::string errorTemplate_;
};

// Zip side (zip_create.cpp, zip_extract.cpp): argument vectors
// "zip_main", options, container, files... and "unzip_main", options,
// container [, entry name].
void zipMain(ArchiveState& state, const std::vector<std::string>& argv, const std::string& baseFolder);
void unzipMain(ArchiveState& state, const std::vector<std::string>& argv, const std::string& targetFolder);
// Tar side (tar.cpp): "pdtar_main", options, names...
void tarMain(ArchiveState& state, const std::vector<std::string>& argv, const std::string& folder);

// A container name completed with ".kpc" when it holds no "." at all.
std::string archiveCompleteName(const std::string& name);
