// Zip creation: "zip_main", option words, container name, files...
//
// Every digit in an option word sets the deflate level (none: zlib's
// default level; 0 stores). Entries carry the file's local modification
// time as DOS date and time and no attributes.
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <new>
#include <string_view>

#include "archive/archive_fs.h"
#include "archive/archive_paths.h"
#include "archive/archive_state.h"
#include "base/sdk_fs.h"
#include "base/sdk_fs_unique.h"
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

// General-purpose flag bit 11: the entry name is UTF-8.
constexpr uLong kZipFlagUtf8 = 0x800;

bool isAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t value = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// A non-ASCII name that is UTF-8 is marked as such, so that readers do not
// take it for the old DOS code page; other names are stored unmarked.
bool markedUtf8(std::string_view entry) { return !isAscii(entry) && isUtf8(entry); }

// "Version made by" of a marked entry: Unix, zip 2.0. unzip converts the
// names of entries made on DOS from the DOS code page whatever the flag
// says; a Unix entry carries its permission bits (as a regular file) in the
// upper half of the external attributes. Other entries keep the DOS host
// and no attributes.
constexpr uLong kMadeByUnix = (3u << 8) | 20u;

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
  const bool utf8 = markedUtf8(entry);
  if (utf8) zi.external_fa = (0100000u | ((known ? info.mode : 0644u) & 0777u)) << 16;
  int zip64 = known && info.size >= 0xffffffffLL ? 1 : 0;
  if (zipOpenNewFileInZip4_64(zf, entry.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, method, level, 0, -MAX_WBITS,
                              DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, utf8 ? kMadeByUnix : 0,
                              utf8 ? kZipFlagUtf8 : 0, zip64) != ZIP_OK) {
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

// The zip writer works on the part file already open, never reopening it
// by name; its other file functions are the C runtime's as usual.
struct OpenPart {
  std::FILE* file = nullptr;
  bool closed = false;
};

voidpf ZCALLBACK openOpenPart(voidpf opaque, const void*, int) { return static_cast<OpenPart*>(opaque)->file; }

int ZCALLBACK closeOpenPart(voidpf opaque, voidpf stream) {
  static_cast<OpenPart*>(opaque)->closed = true;
  return std::fclose(static_cast<std::FILE*>(stream));
}

// part must live until the zip is closed.
zipFile openZipOn(OpenPart& part, const std::string& name) {
  zlib_filefunc64_def functions;
  fill_fopen64_filefunc(&functions);
  functions.zopen64_file = openOpenPart;
  functions.zclose_file = closeOpenPart;
  functions.opaque = &part;
  zipFile zf = zipOpen2_64(name.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
  if (!zf && !part.closed) std::fclose(part.file);
  return zf;
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
  // Written beside the container and committed over it at the end, so a
  // process killed while writing, or a failure, leaves an older container
  // whole.
  if (state.refusesOutput(container, files, baseFolder)) return;
  SdkNewFile made = sdkCreatePartFile(container);
  if (!made) {
    state.error(kArchiveMsgCannotCreate, container.c_str());
    return;
  }
  const std::string part = made.path;
  // Closing the zip drops the writer's own mark; this one keeps the part
  // file in use until it is renamed, so that a sweep by another writer of
  // the same container cannot take it in between.
  SdkFileHold inUse(part.c_str());
  OpenPart opened{made.file, false};
  zipFile zf = openZipOn(opened, part);
  if (!zf) {
    state.error(kArchiveMsgCannotCreate, container.c_str());
    sdkDeleteFile(part.c_str());
    return;
  }
  state.fileCount = static_cast<long>(files.size());
  for (const std::string& file : files) {
    ArchiveFileInfo info;
    if (archiveStat(state.sourceOf(baseFolder, file), info)) state.totalBytes += info.size;
  }

  for (const std::string& file : files) {
    if (state.cancelled) break;
    if (addFile(state, zf, file, state.sourceOf(baseFolder, file), method, level, buffer) != AddResult::kAdded) break;
  }
  if (zipClose(zf, nullptr) != ZIP_OK) {
    state.error(kArchiveMsgCloseZip, container.c_str());
    sdkDeleteFile(part.c_str());
  } else if (state.failed()) {
    sdkDeleteFile(part.c_str());
  } else if (!sdkCommitFile(part.c_str(), container.c_str())) {
    state.error(kArchiveMsgCloseZip, container.c_str());
    sdkDeleteFile(part.c_str());
  }
}
