// Windows side of kxReplaceFile.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "base/sdk_fs.h"
#include "kpsdk/kx_file_replace.h"

namespace {

std::string systemText(DWORD code) {
  char buf[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof buf, nullptr);
  std::string text(buf, n);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == '.')) text.pop_back();
  return text;
}

}  // namespace

int kxReplaceFile(const std::string& path, std::string_view bytes, std::string& reason) {
  reason.clear();
  std::string dir = sdkDirPart(path);
  if (dir.empty()) dir = ".";
  char temp[MAX_PATH];
  if (GetTempFileNameA(dir.c_str(), "kpf", 0, temp) == 0) {
    reason = systemText(GetLastError());
    return 0;
  }
  HANDLE h = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    reason = systemText(GetLastError());
    DeleteFileA(temp);
    return 0;
  }
  DWORD error = 0;
  for (std::size_t done = 0; done < bytes.size() && !error;) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      error = GetLastError();
      if (!error) error = ERROR_DISK_FULL;
    }
    done += written;
  }
  if (!CloseHandle(h) && !error) error = GetLastError();
  if (!error) SetLastError(0);
  // A reader that has the file open (without delete sharing, as the C
  // library opens it) keeps it from being replaced for that moment: try
  // again for a few seconds before calling it a failure.
  for (int attempt = 0; !error; ++attempt) {
    if (sdkCommitFile(temp, path.c_str())) break;
    error = GetLastError();
    if (!error) error = ERROR_WRITE_FAULT;
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
    if (!busy || attempt >= 150) break;
    error = 0;
    Sleep(20);
  }
  if (error) {
    DeleteFileA(temp);
    reason = systemText(error);
    return 0;
  }
  return 1;
}
