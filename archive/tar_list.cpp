// Reading tar archives: the walk over the headers, extraction in its three
// modes (all entries, the first project file, one named entry) and the
// table of contents.
//
// Every header is checked before it is used: a damaged header, a size that
// is not a number, an archive that ends inside an entry or before its end
// blocks all end the walk with an internal error. Entries are written only
// inside the target folder (see archive_paths.h).
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "archive/archive_fs.h"
#include "archive/archive_paths.h"
#include "archive/tar.h"
#include "base/sdk_fs.h"
#include "base/sdk_string.h"

namespace {

// GNU long names and pax records are read into memory; nothing larger.
constexpr std::int64_t kMaxLongName = 65536;
constexpr std::int64_t kMaxExtended = 1 << 20;

const char* reasonFor(int tag) {
  switch (tag) {
    case kTagReadErrors: return "too many read errors";
    case kTagPartialBlock: return "archive ends inside a block";
    case kTagMissingEnd: return "archive ends without its end blocks";
    default: return "archive ends inside an entry's data";
  }
}

enum class Next { kEntry, kEnd, kFailed };

// Walks the headers of one pass, folding GNU long-name entries and pax
// extended headers into the entry they describe.
class TarWalker {
 public:
  TarWalker(ArchiveState& state, TarReader& reader, const std::string& archive)
      : state_(state), reader_(reader), archive_(archive) {}

  Next next(TarHeader& header);
  // Skips the data of an entry; false (error recorded) when it is cut.
  bool skipData(const TarHeader& header);

 private:
  bool readMeta(std::int64_t size, std::string& out);
  bool applyPax(const std::string& records, TarHeader& overrides, bool& haveSize);

  ArchiveState& state_;
  TarReader& reader_;
  std::string archive_;
};

bool TarWalker::readMeta(std::int64_t size, std::string& out) {
  out.clear();
  std::int64_t left = size;
  while (left > 0) {
    std::size_t available = 0;
    int tag = 0;
    const char* p = reader_.data(left, available, tag);
    if (!p) {
      state_.internal(tag == kTagReadErrors ? tag : kTagShortMeta, archive_, reasonFor(tag));
      return false;
    }
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(available)));
    out.append(p, n);
    left -= static_cast<std::int64_t>(n);
  }
  return true;
}

// pax records: "<length> <key>=<value>\n".
bool TarWalker::applyPax(const std::string& records, TarHeader& overrides, bool& haveSize) {
  std::size_t pos = 0;
  while (pos < records.size()) {
    if (records[pos] == '\0') break;  // padding
    std::size_t space = records.find(' ', pos);
    if (space == std::string::npos || space == pos || space - pos > 10) return false;
    std::size_t length = 0;
    for (std::size_t i = pos; i < space; ++i) {
      if (records[i] < '0' || records[i] > '9') return false;
      length = length * 10 + static_cast<std::size_t>(records[i] - '0');
    }
    if (length <= space - pos + 1 || pos + length > records.size() || records[pos + length - 1] != '\n') {
      return false;
    }
    std::string record = records.substr(space + 1, pos + length - 1 - (space + 1));
    std::size_t equals = record.find('=');
    if (equals == std::string::npos) return false;
    std::string key = record.substr(0, equals);
    std::string value = record.substr(equals + 1);
    if (key == "path") {
      overrides.name = value;
    } else if (key == "linkpath") {
      overrides.linkName = value;
    } else if (key == "size" || key == "mtime") {
      std::int64_t number = 0;
      std::size_t i = 0;
      for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        if (number > (INT64_MAX - 9) / 10) return false;
        number = number * 10 + (value[i] - '0');
      }
      if (i == 0 || (i < value.size() && value[i] != '.')) return false;
      if (key == "size") {
        overrides.size = number;
        haveSize = true;
      } else {
        overrides.mtime = number;
      }
    }
    pos += length;
  }
  return true;
}

Next TarWalker::next(TarHeader& header) {
  TarHeader overrides;
  overrides.mtime = -1;
  bool haveSize = false;
  for (;;) {
    int tag = 0;
    const char* block = reader_.block(tag);
    if (!block) {
      state_.internal(tag, archive_, reasonFor(tag));
      return Next::kFailed;
    }
    switch (tarDecodeHeader(block, header)) {
      case TarHeaderStatus::kEnd:
        return Next::kEnd;
      case TarHeaderStatus::kBadChecksum:
        state_.internal(kTagBadHeader, archive_, "damaged header (checksum mismatch)");
        return Next::kFailed;
      case TarHeaderStatus::kBadField:
        state_.internal(kTagBadField, archive_, "header size field is not a number");
        return Next::kFailed;
      case TarHeaderStatus::kValid:
        break;
    }
    char type = header.type;
    if (type != 'L' && type != 'K' && type != 'x' && type != 'g') break;
    if (header.size > (type == 'L' || type == 'K' ? kMaxLongName : kMaxExtended)) {
      state_.internal(kTagBadField, archive_, "extended header too large");
      return Next::kFailed;
    }
    std::string data;
    if (!readMeta(header.size, data)) return Next::kFailed;
    if (type == 'L') {
      overrides.name = data.c_str();
    } else if (type == 'K') {
      overrides.linkName = data.c_str();
    } else if (type == 'x' && !applyPax(data, overrides, haveSize)) {
      state_.internal(kTagBadField, archive_, "malformed extended header");
      return Next::kFailed;
    }
  }
  if (!overrides.name.empty()) header.name = overrides.name;
  if (!overrides.linkName.empty()) header.linkName = overrides.linkName;
  if (haveSize) header.size = overrides.size;
  if (overrides.mtime >= 0) header.mtime = overrides.mtime;
  return Next::kEntry;
}

bool TarWalker::skipData(const TarHeader& header) {
  int tag = 0;
  if (reader_.skip(tarDataBytes(header), tag)) return true;
  state_.internal(tag == kTagReadErrors ? tag : kTagDataCut, header.name, reasonFor(tag));
  return false;
}

// Adds an entry to the names seen; false (kTagNameClash recorded) when it
// lands on the file of an earlier one.
bool noteName(ArchiveState& state, ArchiveNameSet& names, const TarHeader& header) {
  std::string clash;
  const bool folder = header.type == '5' || (!header.name.empty() && archiveIsSeparator(header.name.back()));
  if (header.name.empty() || names.add(header.name, folder, clash)) return true;
  state.internal(kTagNameClash, header.name, clash);
  return false;
}

bool isProjectEntry(const std::string& name) {
  return name.find(".kpf") != std::string::npos || name.find(".KPF") != std::string::npos;
}

class TarExtraction {
 public:
  TarExtraction(ArchiveState& state, const TarOptions& options, const std::string& targetFolder)
      : state_(state),
        options_(options),
        target_(targetFolder.empty() ? std::string(".") : targetFolder),
        reader_(state, options.blocking),
        walker_(state, reader_, options.archive) {}

  void run();

 private:
  bool validate();
  bool selected(const std::string& name) const;
  // Each returns false when the walk must stop.
  bool extractEntry(const TarHeader& header);
  bool extractFolder(const std::string& path, const TarHeader& header);
  bool extractFile(const std::string& path, const TarHeader& header);
  bool extractLink(const std::string& path, const TarHeader& header);
  // Asks before replacing; false when the entry is to be skipped.
  bool mayReplace(const std::string& path, ArchivePathKind kind);

  ArchiveState& state_;
  const TarOptions& options_;
  std::string target_;
  TarReader reader_;
  TarWalker walker_;
  bool replaceAll_ = false;
  bool found_ = false;
};

// Reads every header first: counts the entries and their sizes and
// refuses an archive in which two entries would land on one file, before
// anything is written. The project-file mode walks without progress calls.
bool TarExtraction::validate() {
  if (!reader_.open(options_.archive)) {
    state_.error(kArchiveMsgCannotOpen, options_.archive.c_str(), options_.archive.c_str());
    return false;
  }
  long count = 0;
  std::int64_t total = 0;
  TarHeader header;
  ArchiveNameSet names;
  for (;;) {
    Next next = walker_.next(header);
    if (next == Next::kFailed) return false;
    if (next == Next::kEnd) break;
    if (!noteName(state_, names, header)) return false;
    ++count;
    total += tarDataBytes(header);
    if (!options_.projectMode) {
      state_.status = sdkFormat("Validating archive: %s", header.name.c_str());
      if (state_.progressWith(state_.status.c_str(), 1, header.size, 0, 0, header.name, header.size, 0) != 0) {
        state_.cancelWith(kTagCancelBeforeFile, header.name);
      }
    }
    if (state_.cancelled || !walker_.skipData(header)) return false;
  }
  reader_.close();
  state_.fileCount = count;
  state_.totalBytes = total;
  return true;
}

bool TarExtraction::selected(const std::string& name) const {
  if (options_.projectMode) return isProjectEntry(name);
  if (options_.namedMode) return name == options_.wantedName;
  if (state_.chosenOnly) return state_.isChosen(name);
  if (options_.names.empty()) return true;
  for (std::string wanted : options_.names) {
    while (!wanted.empty() && archiveIsSeparator(wanted.back())) wanted.pop_back();
    if (name == wanted || (name.size() > wanted.size() && name.compare(0, wanted.size(), wanted) == 0 &&
                           archiveIsSeparator(name[wanted.size()]))) {
      return true;
    }
  }
  return false;
}

void TarExtraction::run() {
  state_.startExtraction(options_.archive);
  if (!validate()) return;
  if (!reader_.open(options_.archive)) {
    state_.error(kArchiveMsgCannotOpen, options_.archive.c_str(), options_.archive.c_str());
    return;
  }
  state_.status = sdkFormat("Extracting archive: %s", options_.archive.c_str());
  TarHeader header;
  while (!state_.cancelled) {
    if (walker_.next(header) != Next::kEntry) break;
    if (!selected(header.name)) {
      if (!walker_.skipData(header)) break;
      continue;
    }
    bool goOn = extractEntry(header);
    // Only a file can be the project file: a folder, link or device whose
    // name holds ".kpf" is passed over (it left no found entry).
    if (options_.projectMode && goOn && state_.foundEntry.empty() && !state_.hasError()) continue;
    if (options_.projectMode || options_.namedMode) {
      found_ = true;
      break;
    }
    if (!goOn) break;
  }
  reader_.close();
  if ((options_.projectMode || options_.namedMode) && !found_ && !state_.hasError()) {
    state_.error(kArchiveMsgNoProjectFile, options_.archive.c_str());
  }
}

bool TarExtraction::extractEntry(const TarHeader& header) {
  std::vector<std::string> levels;
  if (!archiveSplitEntryName(header.name, levels)) {
    state_.internal(kTagUnsafeName, header.name, "entry name leaves the target folder");
    return walker_.skipData(header);
  }
  // Devices are not created.
  if (header.type == '3' || header.type == '4') return walker_.skipData(header);
  bool folder = header.type == '5' || archiveIsSeparator(header.name.back());
  std::string path, failed;
  switch (archivePrepareTarget(target_, levels, path, failed)) {
    case ArchiveTargetResult::kUnsafe:
      state_.internal(kTagUnsafeName, header.name, "entry path runs through a symbolic link");
      return walker_.skipData(header);
    case ArchiveTargetResult::kMakeFailed:
      state_.internal(folder ? kTagMakeFolder : kTagCreateTarget, failed, "parent folder cannot be made");
      return walker_.skipData(header);
    case ArchiveTargetResult::kOk:
      break;
  }
  if (folder) return extractFolder(path, header);
  switch (header.type) {
    case '0':
    case '\0':
    case '7':
      return extractFile(path, header);
    case '1':
      return extractLink(path, header);
    default:
      state_.internal(kTagUnknownType, header.name, "unknown entry type, written as a plain file");
      return extractFile(path, header);
  }
}

bool TarExtraction::extractFolder(const std::string& path, const TarHeader& header) {
  ArchivePathKind kind = archivePathKind(path);
  if (kind == ArchivePathKind::kLink) {
    state_.internal(kTagUnsafeName, header.name, "folder is a symbolic link");
  } else if (kind == ArchivePathKind::kMissing) {
    if (!archiveMakeDir(path)) state_.internal(kTagMakeFolder, path, archiveErrorText());
  } else if (kind != ArchivePathKind::kDirectory) {
    state_.internal(kTagMakeFolder, path, "a file of that name exists");
  }
  if (options_.verbose) state_.appendListing(header.name);
  return walker_.skipData(header);
}

bool TarExtraction::mayReplace(const std::string& path, ArchivePathKind kind) {
  if (kind == ArchivePathKind::kMissing) return true;
  if (options_.keep) {
    state_.internal(kTagCreateTarget, path, "file exists");
    return false;
  }
  if (!options_.projectMode && !replaceAll_) {
    char answer = state_.askOverwrite(path);
    if (answer == 'N') return false;
    if (answer == 'A') replaceAll_ = true;
  }
  if (kind == ArchivePathKind::kDirectory) {
    state_.internal(kTagCreateTarget, path, "a folder of that name exists");
    return false;
  }
  // The old file (or a link in its place) goes first; nothing is written
  // through a link.
  archiveRemoveFile(path);
  return true;
}

bool TarExtraction::extractFile(const std::string& path, const TarHeader& header) {
  if (!state_.mayWrite(header.name, tarDataBytes(header)) ||
      !state_.fitsOnDisk(header.name, target_, tarDataBytes(header))) {
    return false;
  }
  if (!mayReplace(path, archivePathKind(path))) return walker_.skipData(header);
  std::FILE* out = archiveCreateNew(path, header.mode & 0777);
  if (!out) {
    state_.internal(kTagCreateTarget, path, archiveErrorText());
    return walker_.skipData(header);
  }
  const bool quiet = options_.projectMode;  // no progress calls for the project file
  std::int64_t left = tarDataBytes(header);
  if (!quiet) {
    state_.startFile(header.name, left);
    if (state_.progress() != 0) state_.cancelWith(kTagCancelBeforeFile, header.name);
  }
  bool writeFailed = false;
  while (left > 0 && !state_.cancelled) {
    std::size_t available = 0;
    int tag = 0;
    const char* p = reader_.data(left, available, tag);
    if (!p) {
      state_.internal(tag == kTagReadErrors ? tag : kTagDataCut, header.name, reasonFor(tag));
      std::fclose(out);
      archiveRemoveFile(path);
      return false;
    }
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(available)));
    left -= static_cast<std::int64_t>(n);
    if (writeFailed) continue;  // the rest of the entry is skipped
    if (std::fwrite(p, 1, n, out) != n) {
      state_.internal(kTagShortWrite, path, archiveErrorText());
      writeFailed = true;
      continue;
    }
    state_.extractedBytes += static_cast<std::int64_t>(n);
    if (!quiet) {
      state_.addBytes(static_cast<std::int64_t>(n));
      if (state_.progress() != 0) state_.cancelWith(kTagCancelDuringCopy, header.name);
    }
  }
  if (std::fclose(out) != 0 && !writeFailed) {
    state_.internal(kTagCloseTarget, path, archiveErrorText());
    writeFailed = true;
  }
  // A file cut short by a failure or a cancel is not left behind.
  if (writeFailed || left > 0) {
    archiveRemoveFile(path);
    return left == 0;
  }
  archiveSetFileTime(path, header.mtime);
  state_.extracted.push_back({header.name, path});
  if (options_.projectMode) {
    state_.foundEntry = header.name;
    state_.foundFile = path;
  }
  if (options_.verbose) state_.appendListing(header.name);
  return true;
}

// A hard link is made to the file extracted earlier under the linked name
// (a copy where links are not possible); nothing when that file is absent.
bool TarExtraction::extractLink(const std::string& path, const TarHeader& header) {
  std::vector<std::string> levels;
  std::string existing, failed;
  if (!archiveSplitEntryName(header.linkName, levels) ||
      archivePrepareTarget(target_, levels, existing, failed) != ArchiveTargetResult::kOk) {
    state_.internal(kTagUnsafeName, header.name, "link target leaves the target folder");
    return true;
  }
  if (archivePathKind(existing) != ArchivePathKind::kFile || existing == path) return true;
  // A link is one more copy of the data for whoever reads the folder (each
  // is placed and sent as a file of its own): it counts like one.
  const std::int64_t size = sdkFileSize(existing.c_str());
  if (!state_.mayWrite(header.name, size)) return false;
  if (!mayReplace(path, archivePathKind(path))) return true;
  state_.extractedBytes += size;
  if (!archiveHardLink(existing, path) && !sdkCopyFile(existing.c_str(), path.c_str())) {
    state_.internal(kTagCreateTarget, path, archiveErrorText());
  } else {
    state_.extracted.push_back({header.name, path});
  }
  if (options_.verbose) state_.appendListing(header.name + " link to " + header.linkName);
  return true;
}

}  // namespace

void tarExtract(ArchiveState& state, const TarOptions& options, const std::string& targetFolder) {
  TarExtraction(state, options, targetFolder).run();
}

void tarList(ArchiveState& state, const TarOptions& options) {
  TarReader reader(state, options.blocking);
  if (!reader.open(options.archive)) {
    state.error(kArchiveMsgCannotOpen, options.archive.c_str(), options.archive.c_str());
    return;
  }
  TarWalker walker(state, reader, options.archive);
  TarHeader header;
  long count = 0;
  ArchiveNameSet names;
  while (walker.next(header) == Next::kEntry) {
    if (!noteName(state, names, header)) break;
    ++count;
    state.appendListing(header.type == '1' ? header.name + " link to " + header.linkName : header.name);
    if (!walker.skipData(header)) break;
  }
  state.fileCount = count;
}
