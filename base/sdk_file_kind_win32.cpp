// Windows side of regular-file opening. A reparse point (symbolic link,
// junction, mount point) is refused when links are, and opened as itself
// rather than followed, so nothing swapped in after the check can lead
// elsewhere; the opened handle must be a disk file (not a device such as
// NUL or CON, nor a pipe) and no folder.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include "base/sdk_file_kind.h"

namespace {

SdkFileKind kindOfAttributes(DWORD a, SdkLinks links) {
  if (links == SdkLinks::kRefuse && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return SdkFileKind::kLink;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return SdkFileKind::kDirectory;
  if (a & FILE_ATTRIBUTE_DEVICE) return SdkFileKind::kSpecial;
  return SdkFileKind::kRegular;
}

HANDLE openForReading(const char* path, SdkLinks links) {
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  if (links == SdkLinks::kRefuse) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, flags, nullptr);
}

}  // namespace

// A device name (NUL, CON, ...) may have no attributes at all (Wine, some
// Windows versions): an opened handle that is no disk file tells it from a
// name that is not there.
SdkFileKind deviceOrMissing(const char* path, SdkLinks links) {
  HANDLE h = openForReading(path, links);
  if (h == INVALID_HANDLE_VALUE) return SdkFileKind::kMissing;
  const bool disk = GetFileType(h) == FILE_TYPE_DISK;
  CloseHandle(h);
  return disk ? SdkFileKind::kMissing : SdkFileKind::kSpecial;
}

SdkFileKind sdkFileKindOf(const char* path, SdkLinks links, std::int64_t* size) {
  if (size) *size = 0;
  if (path == nullptr || *path == '\0') return SdkFileKind::kMissing;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return deviceOrMissing(path, links);
  SdkFileKind kind = kindOfAttributes(data.dwFileAttributes, links);
  if (kind != SdkFileKind::kRegular) return kind;
  // Device names (NUL, COM1, ...) have attributes like files; only an
  // opened handle tells. Opening one of them does not block.
  HANDLE h = openForReading(path, links);
  if (h != INVALID_HANDLE_VALUE) {
    if (GetFileType(h) != FILE_TYPE_DISK) kind = SdkFileKind::kSpecial;
    CloseHandle(h);
  }
  if (size && kind == SdkFileKind::kRegular)
    *size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  return kind;
}

SdkRegularFile sdkOpenRegularFile(const char* path, SdkLinks links) {
  SdkRegularFile out;
  if (path == nullptr || *path == '\0') return out;
  const DWORD a = GetFileAttributesA(path);
  if (a == INVALID_FILE_ATTRIBUTES) {
    out.kind = deviceOrMissing(path, links);
    return out;
  }
  out.kind = kindOfAttributes(a, links);
  if (out.kind != SdkFileKind::kRegular) return out;
  HANDLE h = openForReading(path, links);
  if (h == INVALID_HANDLE_VALUE) return out;
  BY_HANDLE_FILE_INFORMATION info;
  LARGE_INTEGER size;
  if (GetFileType(h) != FILE_TYPE_DISK) {
    out.kind = SdkFileKind::kSpecial;
    CloseHandle(h);
    return out;
  }
  if (!GetFileInformationByHandle(h, &info) || !GetFileSizeEx(h, &size) ||
      kindOfAttributes(info.dwFileAttributes, links) != SdkFileKind::kRegular) {
    CloseHandle(h);
    return out;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return out;
  }
  out.file.reset(_fdopen(fd, "rb"));
  if (!out.file) {
    _close(fd);
    return out;
  }
  out.size = static_cast<std::int64_t>(size.QuadPart);
  return out;
}
