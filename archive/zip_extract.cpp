// Zip extraction: "unzip_main", option words, container [, entry name].
//
// Option letters (any case): "e" all entries, "v" project-file entries,
// "a" the entry of one bare name, "o" replace existing files without
// asking. "e" keeps the folders an entry was stored with, as unzip and tar
// do, so two entries never land on one file; a name that would leave the
// target folder (absolute, a drive, a ".." level, a level that is a link)
// is refused. "v" (the first entry holding ".kpf") and "a" write their one
// entry under its bare file name.
#include <unzip.h>

#include <cstdio>
#include <ctime>
#include <new>

#include "archive/archive_fs.h"
#include "archive/archive_paths.h"
#include "archive/archive_state.h"
#include "archive/zip_entry.h"
#include "base/sdk_fs.h"
#include "base/sdk_string.h"

namespace {

constexpr std::size_t kExtractPiece = 8192;

enum class EntryResult { kDone, kSkipped, kFailed, kCancelled };

struct UnzipRun {
  ArchiveState& state;
  unzFile zip;
  std::string targetFolder;
  std::string opened;  // the container path that was opened
  bool overwrite;
  bool keepFolders;
  std::vector<char> buffer;
  std::string writtenPath;  // of the last entry extracted
};

std::int64_t entryTime(const tm_unz& date) {
  struct tm local {};
  local.tm_sec = static_cast<int>(date.tm_sec);
  local.tm_min = static_cast<int>(date.tm_min);
  local.tm_hour = static_cast<int>(date.tm_hour);
  local.tm_mday = static_cast<int>(date.tm_mday);
  local.tm_mon = static_cast<int>(date.tm_mon);
  local.tm_year = static_cast<int>(date.tm_year) - 1900;
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&local));
}

// An entry's stored size against the extraction bounds; false (internal
// error recorded) when it must not be extracted.
bool withinLimits(UnzipRun& run, const std::string& name, std::int64_t size, std::int64_t compressed) {
  ArchiveState& state = run.state;
  const ArchiveExtractLimits& limits = state.limits;
  if (limits.maxRatio > 0 && size > limits.ratioFloor && size / limits.maxRatio > compressed) {
    state.internal(kTagRatioLimit, name,
                   sdkFormat("entry inflates more than %lld times its compressed size",
                             static_cast<long long>(limits.maxRatio)));
    return false;
  }
  if (!state.mayWrite(name, size)) return false;
  return state.fitsOnDisk(name, run.targetFolder, size);
}

// The data inflated so far against the bounds; false (internal error
// recorded) when the copy must stop.
bool inflateWithinLimits(ArchiveState& state, const std::string& name, std::int64_t declared,
                         std::int64_t compressed) {
  const ArchiveExtractLimits& limits = state.limits;
  if (state.currentDone > declared) {
    state.internal(kTagSizeLimit, name, "entry inflates past its stored size");
    return false;
  }
  if (limits.maxRatio > 0 && state.currentDone > limits.ratioFloor &&
      state.currentDone / limits.maxRatio > compressed) {
    state.internal(kTagRatioLimit, name,
                   sdkFormat("entry inflates more than %lld times its compressed size",
                             static_cast<long long>(limits.maxRatio)));
    return false;
  }
  return state.mayWrite(name, 0);
}

// Entry data the library cannot open, inflate or check: the container is
// damaged (or lies in its headers), and the user learns which entry.
void damaged(UnzipRun& run, const std::string& name, int err, const char* call) {
  const char* what = err == UNZ_CRCERROR ? "data fails its check" : "data cannot be read";
  run.state.error(kArchiveMsgDamaged, run.opened.c_str(), name.c_str(),
                  sdkFormat("%s, error %d in %s", what, err, call).c_str());
}

// Name and information of the current entry.
bool currentEntry(UnzipRun& run, ZipEntryInfo& entry) {
  int err = zipCurrentEntry(run.zip, entry);
  if (err == UNZ_OK) return true;
  run.state.error(kArchiveMsgGetFileInfo, err);
  return false;
}

// The host path an entry is written to, in path: its bare name in the
// target folder, or with folders kept, its stored levels under it (missing
// folders made, a folder entry made itself). False, for the entry to be
// skipped, for an unsafe name, a folder entry, or a folder that cannot be
// made (error recorded).
bool targetOf(UnzipRun& run, const std::string& name, std::string& path) {
  ArchiveState& state = run.state;
  const std::string root = run.targetFolder.empty() ? std::string(".") : run.targetFolder;
  std::vector<std::string> levels;
  if (!run.keepFolders) {
    std::string shortName = archiveBaseName(name);
    if (shortName.empty()) return false;
    if (!archiveSplitEntryName(shortName, levels)) {
      state.internal(kTagUnsafeName, name, "entry name leaves the target folder");
      return false;
    }
    path = sdkJoinPath(root, shortName);
    return true;
  }
  if (!archiveSplitEntryName(name, levels)) {
    state.internal(kTagUnsafeName, name, "entry name leaves the target folder");
    return false;
  }
  std::string failed;
  switch (archivePrepareTarget(root, levels, path, failed)) {
    case ArchiveTargetResult::kUnsafe:
      state.internal(kTagUnsafeName, name, "entry path runs through a symbolic link");
      return false;
    case ArchiveTargetResult::kMakeFailed:
      state.error(kArchiveMsgMakeDir, failed.c_str());
      return false;
    case ArchiveTargetResult::kOk:
      break;
  }
  if (!archiveIsSeparator(name.back())) return true;
  ArchivePathKind kind = archivePathKind(path);
  if (kind == ArchivePathKind::kLink) {
    state.internal(kTagUnsafeName, name, "folder is a symbolic link");
  } else if (kind == ArchivePathKind::kMissing && !archiveMakeDir(path)) {
    state.error(kArchiveMsgMakeDir, path.c_str());
  }
  return false;
}

EntryResult extractCurrent(UnzipRun& run) {
  ArchiveState& state = run.state;
  ZipEntryInfo info;
  if (!currentEntry(run, info)) return EntryResult::kFailed;
  const std::string& name = info.name;
  if (!state.isChosen(name)) return EntryResult::kSkipped;
  std::string shortName = archiveBaseName(name);
  std::string path;
  if (!targetOf(run, name, path)) return EntryResult::kSkipped;
  const std::int64_t declared = info.size;
  const std::int64_t compressed = info.compressed;
  if (!withinLimits(run, name, declared, compressed)) return EntryResult::kFailed;

  int err = unzOpenCurrentFile(run.zip);
  if (err != UNZ_OK) {
    damaged(run, name, err, "unzOpenCurrentFile");
    return EntryResult::kFailed;
  }
  ArchivePathKind existing = archivePathKind(path);
  if (existing != ArchivePathKind::kMissing && !run.overwrite) {
    char answer = state.askOverwrite(path);
    if (answer == 'N') {
      unzCloseCurrentFile(run.zip);
      return EntryResult::kSkipped;
    }
    if (answer == 'A') run.overwrite = true;
  }
  // Replacing removes the old file first, so a link standing in its place
  // is replaced rather than written through.
  if (existing != ArchivePathKind::kMissing && existing != ArchivePathKind::kDirectory) archiveRemoveFile(path);
  std::FILE* out = archiveCreateNew(path, 0666);
  if (!out) {
    state.error(kArchiveMsgOpenTarget, path.c_str());
    unzCloseCurrentFile(run.zip);
    return EntryResult::kSkipped;
  }

  state.startFile(shortName, declared);
  EntryResult result = EntryResult::kDone;
  if (state.progress() != 0) {
    state.cancelWith(kTagCancelBeforeFile, shortName);
    result = EntryResult::kCancelled;
  }
  while (result == EntryResult::kDone) {
    int n = unzReadCurrentFile(run.zip, run.buffer.data(), static_cast<unsigned>(run.buffer.size()));
    if (n == 0) break;
    if (n < 0) {
      damaged(run, name, n, "unzReadCurrentFile");
      result = EntryResult::kFailed;
      break;
    }
    if (std::fwrite(run.buffer.data(), 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n)) {
      state.error(kArchiveMsgWriteTarget);
      result = EntryResult::kFailed;
      break;
    }
    state.addBytes(n);
    state.extractedBytes += n;
    // Whatever the entry claimed, inflating stops at the bounds.
    if (!inflateWithinLimits(state, name, declared, compressed)) {
      result = EntryResult::kFailed;
    } else if (state.progress() != 0) {
      state.cancelWith(kTagCancelDuringCopy, shortName);
      result = EntryResult::kCancelled;
    } else if (state.cancelled) {
      result = EntryResult::kCancelled;
    }
  }
  if (std::fclose(out) != 0 && result == EntryResult::kDone) {
    state.error(kArchiveMsgWriteTarget);
    result = EntryResult::kFailed;
  }
  // Data that ends before the size the entry claims is cut (the check of a
  // short entry is never reached, so it would pass unnoticed).
  if (result == EntryResult::kDone && state.currentDone != declared) {
    state.internal(kTagDataCut, name, "entry data shorter than its stored size");
    result = EntryResult::kFailed;
  }
  // A half-written file is not left behind looking complete.
  if (result != EntryResult::kDone) archiveRemoveFile(path);

  err = unzCloseCurrentFile(run.zip);
  if (result != EntryResult::kDone) return result;
  if (err != UNZ_OK) {
    // The data failed its check (CRC): the file written from it is dropped.
    damaged(run, name, err, "unzCloseCurrentFile");
    archiveRemoveFile(path);
    return EntryResult::kFailed;
  }
  archiveSetFileTime(path, entryTime(info.date));
  run.writtenPath = path;
  state.extracted.push_back({name, path});
  return EntryResult::kDone;
}

// Counts the entries and their sizes; false (error recorded) when the
// directory cannot be walked or two entries would land on one file.
bool preScan(UnzipRun& run, long& entries) {
  ArchiveState& state = run.state;
  unz_global_info64 global;
  int err = unzGetGlobalInfo64(run.zip, &global);
  if (err != UNZ_OK) {
    state.error(kArchiveMsgGlobalInfo, err);
    return false;
  }
  entries = 0;
  ArchiveNameSet names;
  for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
    ZipEntryInfo info;
    if (!currentEntry(run, info)) return false;
    const std::string& name = info.name;
    std::string clash;
    if (!name.empty() && !names.add(name, archiveIsSeparator(name.back()), clash)) {
      state.internal(kTagNameClash, name, clash);
      return false;
    }
    ++entries;
    // Only the chosen entries count towards the work to do.
    if (state.isChosen(name)) state.totalBytes += info.size;
    err = unzGoToNextFile(run.zip);
    if (err == UNZ_END_OF_LIST_OF_FILE || (err != UNZ_OK && i + 1 == global.number_entry)) break;
    if (err != UNZ_OK) {
      state.error(kArchiveMsgNextFile, err);
      return false;
    }
  }
  if (entries > 0) unzGoToFirstFile(run.zip);
  return true;
}

// Moves to the next entry; false (error recorded) when that fails.
bool nextEntry(UnzipRun& run) {
  int err = unzGoToNextFile(run.zip);
  if (err == UNZ_OK) return true;
  run.state.error(kArchiveMsgNextFile, err);
  return false;
}

void extractAll(UnzipRun& run, long entries) {
  run.state.fileCount = entries;
  for (long i = 0; i < entries; ++i) {
    if (run.state.cancelled) return;
    EntryResult result = extractCurrent(run);
    if (result == EntryResult::kFailed || result == EntryResult::kCancelled) return;
    if (i + 1 < entries && !nextEntry(run)) return;
  }
}

// The first entry whose name holds ".kpf" in any case, under its bare
// name: one project file, as on the tar side, so that two project entries
// never land on one file. A folder entry of such a name is passed over.
void extractProjectFile(UnzipRun& run, long entries, const std::string& opened) {
  bool extracted = false;
  for (long i = 0; i < entries && !extracted; ++i) {
    if (run.state.cancelled) return;
    ZipEntryInfo info;
    if (!currentEntry(run, info)) break;
    const std::string& name = info.name;
    std::string lower = name;
    sdkLowerAscii(lower);
    if (lower.find(".kpf") != std::string::npos) {
      EntryResult result = extractCurrent(run);
      if (result == EntryResult::kDone) {
        extracted = true;
        run.state.foundEntry = name;
        run.state.foundFile = run.writtenPath;
        break;
      }
      if (result == EntryResult::kFailed || result == EntryResult::kCancelled || run.state.hasError()) return;
    }
    if (i + 1 < entries && !nextEntry(run)) return;
  }
  if (!extracted && !run.state.cancelled) run.state.error(kArchiveMsgNoProjectFile, opened.c_str());
}

void extractNamed(UnzipRun& run, long entries, const std::string& wanted, const std::string& opened) {
  bool done = false;
  for (long i = 0; i < entries; ++i) {
    ZipEntryInfo info;
    if (!currentEntry(run, info)) break;
    const std::string& name = info.name;
    std::string base = archiveBaseName(name);
    if (!base.empty() && base == wanted) {
      done = extractCurrent(run) == EntryResult::kDone;
      break;
    }
    if (i + 1 < entries && !nextEntry(run)) break;
  }
  if (!done && !run.state.cancelled) run.state.error(kArchiveMsgNoProjectFile, opened.c_str());
}

}  // namespace

void unzipMain(ArchiveState& state, const std::vector<std::string>& argv, const std::string& targetFolder) {
  bool all = false, project = false, named = false, overwrite = false;
  std::vector<std::string> words;
  for (std::size_t i = 1; i < argv.size(); ++i) {
    const std::string& word = argv[i];
    if (words.empty() && !word.empty() && word[0] == '-') {
      for (char c : word) {
        switch (c) {
          case 'e': case 'E': all = true; break;
          case 'o': case 'O': overwrite = true; break;
          case 'v': case 'V': project = true; break;
          case 'a': case 'A': named = true; break;
          default: break;
        }
      }
      continue;
    }
    words.push_back(word);
  }
  std::string path = words.empty() ? std::string() : words[0];
  std::string wanted = words.size() > 1 ? words[1] : std::string();

  std::string opened = path;
  unzFile zip = unzOpen64(path.c_str());
  if (!zip) {
    opened = path + ".kpc";
    zip = unzOpen64(opened.c_str());
  }
  state.status = sdkFormat("Extracting archive: %s", opened.c_str());
  state.startExtraction(opened);
  if (!zip) {
    state.error(kArchiveMsgCannotOpen, path.c_str(), path.c_str());
    return;
  }
  UnzipRun run{state, zip, targetFolder, opened, overwrite || project || named, all && !project && !named, {}, {}};
  try {
    run.buffer.resize(kExtractPiece);
  } catch (const std::bad_alloc&) {
    state.error(kArchiveMsgNoMemory);
    unzClose(zip);
    return;
  }
  long entries = 0;
  if (preScan(run, entries)) {
    if (project) {
      extractProjectFile(run, entries, opened);
    } else if (named) {
      extractNamed(run, entries, wanted, opened);
    } else if (all) {
      extractAll(run, entries);
    }
  }
  unzClose(zip);
}
