// ArchiveHandler: creates and unpacks KPC containers.
//
// A KPC container is a zip archive (deflated through minizip and zlib) or,
// when it has to be split into volumes, a tar archive. One handler belongs to
// one owner (the KX project, opaque here) and holds everything an operation
// needs: the status text and progress counters that its hooks see, the error
// text of the last operation and its unformatted template, the volume naming
// state, the found project entry and the cancel flags. Handlers share no
// state, so two of them may run side by side on different threads.
//
// The four archive operations (Create, Extract, ExtractProjectFile,
// ExtractNamed) start by resetting the handler and return the error text of
// the operation, empty on success; they never throw and never stop the
// process. Extraction writes only inside the target folder passed in (an
// empty folder means the current one); the process's working directory is
// never changed. An entry whose name is absolute, starts with a drive
// letter, holds a ".." component or would be written through a symbolic
// link is refused with internal tag kTagUnsafeName and nothing is written
// for it; the other entries still extract. A container in which two
// entries would land on one file (archiveNormalName: "\" as "/", "." and
// empty levels dropped, ASCII case folded) is refused by every operation
// that reads it, with internal tag kTagNameClash, before anything is
// written. Host paths use the host separator; entry names inside archives
// use "/".
//
// Cancel() may be called from a hook or from another thread while an
// operation runs; every other member belongs to one thread at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_messages.h"

inline constexpr int kArchiveFormatZip = 0;
inline constexpr int kArchiveFormatTar = 1;
// Volume sizes are counted in records of this many bytes.
inline constexpr int kArchiveRecordSize = 10240;

struct ArchiveState;

// One entry of a container to create: its name inside the archive ("/"
// separators, relative) and the file it is read from.
struct ArchiveMember {
  std::string entryName;
  std::string sourcePath;
};

// One entry written by an extraction: its name as stored and the host path
// of the file written for it.
struct ArchiveExtracted {
  std::string entryName;
  std::string path;
};

// maxTotalBytes of ArchiveExtractLimits: derived from the container's size.
inline constexpr std::int64_t kArchiveTotalFromContainer = -1;

// Bounds of extraction, against containers built to fill the disk (zip
// bombs, tar hard links repeating one big file). A zip entry is refused
// before anything is written for it when its stored size is over ratioFloor
// bytes and more than maxRatio times its compressed size (internal tag
// kTagRatioLimit); any entry, zip or tar, when it would take the bytes
// written over maxTotalBytes (kTagSizeLimit), linked and copied data
// counted like unpacked data; and any entry larger than the free space of
// the target folder (kTagNoSpace). The same bounds hold while zip data is
// inflated, whatever the entry claimed. A value of 0 switches a bound off.
// maxTotalBytes kArchiveTotalFromContainer stands for containerMultiple
// times the size of the container being read, at least totalFloor.
struct ArchiveExtractLimits {
  std::int64_t maxRatio = 250;
  std::int64_t ratioFloor = std::int64_t{1} << 20;  // 1 MiB
  std::int64_t maxTotalBytes = kArchiveTotalFromContainer;
  std::int64_t containerMultiple = 64;
  std::int64_t totalFloor = std::int64_t{1} << 30;  // 1 GiB
};

class ArchiveHandler {
 public:
  // Called when a file is started and after every piece copied, with the
  // status text (or kArchiveVolumeTransition / kArchiveVolumesComplete) and
  // the counters. Non-zero cancels the operation. Default: 0.
  using ProgressHook = std::function<int(ArchiveHandler& handler, const char* status, long fileCount,
                                         std::int64_t totalBytes, long currentIndex, std::int64_t bytesDone,
                                         const char* currentFile, std::int64_t currentFileSize,
                                         std::int64_t currentFileDone)>;
  // Called before a new volume file (second and later) is created, with its
  // file name and folder. Non-zero stops writing (tag kTagVolumeCancel).
  // Default: 0.
  using VolumeHook = std::function<int(ArchiveHandler& handler, const char* volumeFileName, const char* folder)>;
  // Asked before an existing file is replaced on extraction: 'N' skips the
  // entry, 'A' replaces this and every later file of the operation without
  // asking, anything else replaces this one. Default: 'Y'.
  using OverwriteHook = std::function<char(ArchiveHandler& handler, const char* filePath)>;

  // owner is handed back by GetOwner and otherwise not used.
  explicit ArchiveHandler(void* owner = nullptr);
  ~ArchiveHandler();
  ArchiveHandler(const ArchiveHandler&) = delete;
  ArchiveHandler& operator=(const ArchiveHandler&) = delete;

  // Packs the files, in order, into a new container (an existing one is
  // replaced). Zip or tar by GetArchiveFormat alone. A container name
  // without any "." gets ".kpc" appended. Each entry is named after the
  // path as passed, with "/" separators and without a leading root or drive
  // letter. Relative file paths are read from baseFolder when it is given.
  // With a tar format and a volume size, the output is cut into volumes
  // named by the volume name parts (see FormatVolumeNames).
  std::string Create(const std::string& containerName, const std::vector<std::string>& files,
                     const std::string& baseFolder = {});
  // The same with entry names chosen by the caller, each read from its own
  // source file (which may live anywhere).
  //
  // Either form writes the container (each volume) beside its name first
  // and commits it only when the whole archive was written: a failed
  // creation leaves no container and the file that was at that name, if
  // any, untouched. A cancelled one commits what it wrote (a closed, shorter
  // archive). A container (or volume) that is one of the files to pack is
  // refused with internal tag kTagOutputIsInput and nothing is written.
  std::string Create(const std::string& containerName, const std::vector<ArchiveMember>& members);
  // Unpacks every entry into targetFolder (created when missing), keeping
  // the folders it was stored with, as unzip and tar do, so two entries
  // never land on one file. A file whose first two bytes are "PK" is read as
  // zip, anything else as tar; a zip that cannot be opened is retried with
  // ".kpc" added. GetExtractedEntries lists what was written.
  std::string Extract(const std::string& containerPath, const std::string& targetFolder);
  // Unpacks only the entries whose stored names are listed, as Extract
  // does; the others are passed over without being inflated or written.
  std::string ExtractEntries(const std::string& containerPath, const std::vector<std::string>& entryNames,
                             const std::string& targetFolder);
  // The entries the last extraction wrote, in archive order.
  std::vector<ArchiveExtracted> GetExtractedEntries() const;
  // Unpacks the project file: the first file entry, in archive order, whose
  // name contains ".kpf" (zip: in any case; tar: ".kpf" or ".KPF"), zip
  // under its bare name. One entry only, so two never land on one file.
  // The found project entry is cleared first and names the entry afterwards.
  std::string ExtractProjectFile(const std::string& containerPath, const std::string& targetFolder);
  // Unpacks one entry: zip the first whose bare file name equals entryName,
  // tar the first whose whole stored name equals it.
  std::string ExtractNamed(const std::string& containerPath, const std::string& entryName,
                           const std::string& targetFolder);

  void* GetOwner() const;
  // Empties the status text, current file name, listing, error text and
  // template; zeroes the progress counters.
  void Reset();

  // 0 zip, anything else tar.
  void SetArchiveFormat(int format);
  int GetArchiveFormat() const;
  // Volume size in records of kArchiveRecordSize bytes; 0 means no volumes.
  void SetVolumeSize(int records);
  int GetVolumeSize() const;
  // Folder, base name, separator and extension of volume names. A lone "/"
  // or "\" separator stands for the host separator. When all four are empty
  // at creation, they are taken from the container name.
  void SetVolumeNameParts(const std::string& folder, const std::string& baseName, const std::string& separator,
                          const std::string& extension);
  // Formats the names of volume index (0-based): file name
  // base + "_%06ld_%06ld" (index + 1, volume count) + extension, and path
  // folder + separator + file name (just the file name without a folder).
  void FormatVolumeNames(long volumeIndex);
  std::string GetVolumeFileName() const;
  std::string GetVolumePath() const;
  // Number of volumes computed by the last volume-split creation.
  long GetVolumeCount() const;
  // Predicted size in bytes of the last tar creation.
  std::int64_t GetPredictedSize() const;

  // Stops the running operation at its next check and reports internal tag
  // kTagCancel with the current volume file name.
  void Cancel();
  bool IsCancelled() const;

  // Bounds of extraction (see ArchiveExtractLimits); kept until changed.
  // Without this call each operation counts its own bytes against the
  // total. With it, the call starts one count for all later extractions
  // of this handler, until it is called again: a caller opening a
  // container (project file, named entries, then the rest) sets the limits
  // first, and the opening as a whole stays under maxTotalBytes.
  void SetExtractLimits(const ArchiveExtractLimits& limits);
  ArchiveExtractLimits GetExtractLimits() const;

  // A null hook restores the default.
  void SetProgressHook(ProgressHook hook);
  void SetVolumeHook(VolumeHook hook);
  void SetOverwriteHook(OverwriteHook hook);

  // The last operation's error, formatted and as its template; empty when
  // it succeeded.
  std::string GetErrorText() const;
  std::string GetErrorTemplate() const;
  // Names handled by the last tar operation, one per line.
  std::string GetListing() const;

  // Found project entry: the entry name exactly as stored, and the host path
  // of the file written for it inside the target folder.
  std::string GetFoundProjectEntry() const;
  std::string GetFoundProjectFile() const;
  void ClearFoundProjectEntry();

  // Progress counters of the running or last operation.
  std::string GetStatusText() const;
  long GetFileCount() const;
  std::int64_t GetTotalBytes() const;
  long GetCurrentIndex() const;
  std::int64_t GetBytesDone() const;
  std::string GetCurrentFileName() const;
  std::int64_t GetCurrentFileSize() const;
  std::int64_t GetCurrentFileBytesDone() const;

  // The tar code with its command-line shape: argv[0] "pdtar_main", option
  // words ("-f" archive, "-c"/"-x"/"-t", "v", "b" factor, "T" names file
  // ...) and names. folder is where relative names are read from (create)
  // or written to (extract). Returns the error text.
  std::string RunTar(const std::vector<std::string>& argv, const std::string& folder);

 private:
  std::unique_ptr<ArchiveState> state_;
};
