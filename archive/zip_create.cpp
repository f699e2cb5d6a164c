// Zip creation: "zip_main", option words, container name, files...
//
// Every digit in an option word sets the deflate level (none: zlib's
// default level; 0 stores). Entries carry the file's local modification
// time as DOS date and time and no attributes.
#include <zip.h>
#include <zlib.h>

#include <cstdio>
#include <ctime>
#include <new>

#include "archive/archive_fs.h"
#include "archive/archive_paths.h"
#include "archive/archive_state.h"
#include "base/sdk_fs.h"
#include "base/sdk_string.h"

namespace {

constexpr std::size_t kAddPiece = 16384;

// DOS dates run from 1980 to 2107; times outside are clamped.
void fillZipTime(std::int64_t mtime, tm_zip& out) {
  struct tm local {};
  if (!archiveLocalTime(mtime, local) || local.tm_year + 1900 < 1980) {
    out = tm_zip{0, 0, 0, 1, 0, 1980};
    return;
  }
  if (local.tm_year + 1900 > 2107) {
    out = tm_zip{58, 59, 23, 31, 11, 2107};
    return;
  }
  out.tm_sec = static_cast<uInt>(local.tm_sec > 59 ? 59 : local.tm_sec);
  out.tm_min = static_cast<uInt>(local.tm_min);
  out.tm_hour = static_cast<uInt>(local.tm_hour);
  out.tm_mday = static_cast<uInt>(local.tm_mday);
  out.tm_mon = static_cast<uInt>(local.tm_mon);
  out.tm_year = static_cast<uInt>(local.tm_year + 1900);
}

enum class AddResult { kAdded, kFailed, kCancelled };

AddResult addFile(ArchiveState& state, zipFile zf, const std::string& file, const std::string& source,
                  int method, int level, std::vector<char>& buffer) {
  ArchiveFileInfo info;
  bool known = archiveStat(source, info);
  state.startFile(file, known ? info.size : 0);
  // Asked before the entry is opened, so a cancel here leaves no empty entry.
  if (state.progress() != 0) {
    state.cancelWith(kTagCancelBeforeFile, file);
    return AddResult::kCancelled;
  }
  zip_fileinfo zi{};
  fillZipTime(known ? info.mtime : static_cast<std::int64_t>(std::time(nullptr)), zi.tmz_date);
  std::string entry = archiveEntryName(file);
  int zip64 = known && info.size >= 0xffffffffLL ? 1 : 0;
  if (zipOpenNewFileInZip64(zf, entry.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, method, level, zip64) !=
      ZIP_OK) {
    state.error(kArchiveMsgOpenInZip, file.c_str());
    return AddResult::kFailed;
  }
  std::FILE* in = known && info.kind == ArchivePathKind::kFile ? archiveOpenRead(source) : nullptr;
  if (!in) {
    state.error(kArchiveMsgReadInZip, file.c_str());
    zipCloseFileInZip(zf);
    return AddResult::kFailed;
  }
  AddResult result = AddResult::kAdded;
  for (;;) {
    std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
    if (n < buffer.size() && std::ferror(in)) {
      state.error(kArchiveMsgReadInZip, file.c_str());
      result = AddResult::kFailed;
      break;
    }
    if (n > 0) {
      if (zipWriteInFileInZip(zf, buffer.data(), static_cast<unsigned>(n)) < 0) {
        state.error(kArchiveMsgWriteInZip, file.c_str());
        result = AddResult::kFailed;
        break;
      }
      state.addBytes(static_cast<std::int64_t>(n));
      if (state.progress() != 0) {
        state.cancelWith(kTagCancelDuringCopy, file);
        result = AddResult::kCancelled;
        break;
      }
      if (state.cancelled) {
        result = AddResult::kCancelled;
        break;
      }
    }
    if (n < buffer.size()) break;
  }
  std::fclose(in);
  // A cancelled file is finished off as far as it got.
  if (zipCloseFileInZip(zf) != ZIP_OK && result == AddResult::kAdded) {
    state.error(kArchiveMsgCloseInZip, file.c_str());
    result = AddResult::kFailed;
  }
  return result;
}

}  // namespace

void zipMain(ArchiveState& state, const std::vector<std::string>& argv, const std::string& baseFolder) {
  int level = Z_DEFAULT_COMPRESSION;
  std::string container;
  bool haveContainer = false;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < argv.size(); ++i) {
    const std::string& word = argv[i];
    if (!haveContainer && !word.empty() && word[0] == '-') {
      for (char c : word) {
        if (c >= '0' && c <= '9') level = c - '0';
      }
      continue;
    }
    if (!haveContainer) {
      container = word;
      haveContainer = true;
    } else {
      files.push_back(word);
    }
  }
  int method = level == 0 ? 0 : Z_DEFLATED;

  std::vector<char> buffer;
  try {
    buffer.resize(kAddPiece);
  } catch (const std::bad_alloc&) {
    state.error(kArchiveMsgNoMemory);
    return;
  }

  container = archiveCompleteName(container);
  state.status = sdkFormat("Creating archive: %s", container.c_str());
  // Written beside the container and renamed over it at the end, so a
  // process killed while writing leaves an older container whole.
  const std::string part = container + ".part";
  zipFile zf = zipOpen64(part.c_str(), APPEND_STATUS_CREATE);
  if (!zf) {
    state.error(kArchiveMsgCannotCreate, container.c_str());
    return;
  }
  state.fileCount = static_cast<long>(files.size());
  for (const std::string& file : files) {
    ArchiveFileInfo info;
    if (archiveStat(archiveSourcePath(baseFolder, file), info)) state.totalBytes += info.size;
  }

  for (const std::string& file : files) {
    if (state.cancelled) break;
    if (addFile(state, zf, file, archiveSourcePath(baseFolder, file), method, level, buffer) != AddResult::kAdded) break;
  }
  if (zipClose(zf, nullptr) != ZIP_OK) {
    state.error(kArchiveMsgCloseZip, container.c_str());
    sdkDeleteFile(part.c_str());
  } else if (!sdkMoveFile(part.c_str(), container.c_str())) {
    state.error(kArchiveMsgCloseZip, container.c_str());
    sdkDeleteFile(part.c_str());
  }
}
