// Windows side of the file-system utilities.
#include <windows.h>
#include <direct.h>
#include <io.h>
#include <sys/stat.h>

#include <string>

#include "base/sdk_fs.h"

int sdkGetCwd(SdkString& out) {
  out.clear();
  char buf[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
  if (n == 0 || n >= MAX_PATH) return 0;
  out.set(buf);
  return 1;
}

int sdkSetCwd(const char* path) { return path && SetCurrentDirectoryA(path) ? 1 : 0; }

int sdkCanEnterDir(const char* path) {
  if (path == nullptr) return 0;
  DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

std::string sdkTempDirectory() {
  char buf[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, buf);
  if (n == 0 || n >= MAX_PATH) return "c:\\temp";
  std::string dir(buf, n);
  while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  return dir;
}

int sdkMakeDir(const char* path) { return path && CreateDirectoryA(path, nullptr) ? 1 : 0; }

int sdkRemoveDir(const char* path) { return path && RemoveDirectoryA(path) ? 1 : 0; }

int sdkFindFirst(SdkString& out, const char* pattern) {
  out.clear();
  if (pattern == nullptr) return 0;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return 0;
  out.set(data.cFileName);
  FindClose(h);
  return 1;
}

int sdkCopyFile(const char* source, const char* destination) {
  return source && destination && CopyFileA(source, destination, FALSE) ? 1 : 0;
}

int sdkMoveFile(const char* source, const char* destination) {
  return source && destination &&
                 MoveFileExA(source, destination,
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)
             ? 1
             : 0;
}

int sdkDeleteFile(const char* path) { return path && DeleteFileA(path) ? 1 : 0; }

int sdkRenameNoReplace(const char* source, const char* destination) {
  return source && destination && MoveFileExA(source, destination, MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int sdkCommitFile(const char* temporary, const char* path) {
  if (!temporary || !path) return 0;
  HANDLE h = CreateFileA(temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  bool ok = FlushFileBuffers(h) != 0;
  if (!CloseHandle(h)) ok = false;
  // Write-through: the rename is on the disk when the call returns.
  return ok && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int sdkSameFile(const char* a, const char* b) {
  if (!a || !b) return 0;
  auto identify = [](const char* path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
  };
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!identify(a, ia) || !identify(b, ib)) return 0;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
                 ia.nFileIndexLow == ib.nFileIndexLow
             ? 1
             : 0;
}

int sdkFileExists(const char* path) {
  struct _stat64 st;
  return path && _stat64(path, &st) == 0 ? 1 : 0;
}

int sdkIsDirectory(const char* path) {
  if (path == nullptr) return 0;
  DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

std::int64_t sdkFileSize(const char* path) {
  if (path == nullptr) return 0;
  struct _stat64 st;
  return _stat64(path, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}
