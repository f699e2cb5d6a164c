// POSIX side of the file-system utilities.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/sdk_fs.h"

int sdkGetCwd(SdkString& out) {
  out.clear();
  std::vector<char> buf(4096);
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE || buf.size() > (1u << 20)) return 0;
    buf.resize(buf.size() * 2);
  }
  out.set(buf.data());
  return 1;
}

int sdkSetCwd(const char* path) { return path && chdir(path) == 0 ? 1 : 0; }

int sdkCanEnterDir(const char* path) {
  if (path == nullptr) return 0;
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode) && access(path, X_OK) == 0 ? 1 : 0;
}

std::string sdkTempDirectory() {
  const char* env = std::getenv("TMPDIR");
  std::string dir = env && *env ? env : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

int sdkMakeDir(const char* path) { return path && mkdir(path, 0777) == 0 ? 1 : 0; }

int sdkRemoveDir(const char* path) { return path && rmdir(path) == 0 ? 1 : 0; }

int sdkFindFirst(SdkString& out, const char* pattern) {
  out.clear();
  if (pattern == nullptr) return 0;
  std::string dir = sdkDirPart(pattern);
  std::string name = sdkFileNamePart(pattern);
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return 0;
  std::vector<std::string> found;
  while (dirent* e = readdir(d)) {
    if (fnmatch(name.c_str(), e->d_name, FNM_PERIOD) == 0) found.emplace_back(e->d_name);
  }
  closedir(d);
  if (found.empty()) return 0;
  out.set(*std::min_element(found.begin(), found.end()));
  return 1;
}

int sdkCopyFile(const char* source, const char* destination) {
  if (!source || !destination) return 0;
  int in = open(source, O_RDONLY | O_CLOEXEC);
  if (in < 0) return 0;
  struct stat st;
  if (fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(in);
    return 0;
  }
  int out = open(destination, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    close(in);
    return 0;
  }
  std::vector<char> buf(1 << 16);
  bool ok = true;
  for (;;) {
    ssize_t n = read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t off = 0; off < n;) {
      ssize_t w = write(out, buf.data() + off, n - off);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      off += w;
    }
    if (!ok) break;
  }
  close(in);
  if (close(out) != 0) ok = false;
  return ok ? 1 : 0;
}

int sdkMoveFile(const char* source, const char* destination) {
  if (!source || !destination) return 0;
  if (rename(source, destination) == 0) return 1;
  if (errno != EXDEV) return 0;
  // Across file systems: copy, flush to disk, then remove the source.
  if (!sdkCopyFile(source, destination)) return 0;
  int fd = open(destination, O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return unlink(source) == 0 ? 1 : 0;
}

int sdkDeleteFile(const char* path) { return path && unlink(path) == 0 ? 1 : 0; }

int sdkRenameNoReplace(const char* source, const char* destination) {
  // A hard link fails when the name is taken, which rename would not.
  if (!source || !destination || link(source, destination) != 0) return 0;
  return unlink(source) == 0 ? 1 : 0;
}

namespace {

// fsync of a file or folder by path.
bool syncPath(const char* path, int flags) {
  int fd = open(path, flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  if (close(fd) != 0) ok = false;
  return ok;
}

}  // namespace

int sdkCommitFile(const char* temporary, const char* path) {
  if (!temporary || !path) return 0;
  if (!syncPath(temporary, O_RDONLY) || rename(temporary, path) != 0) return 0;
  std::string folder = sdkDirPart(path);
  // Some file systems cannot sync a folder; the rename itself has happened.
  syncPath(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  return 1;
}

int sdkSameFile(const char* a, const char* b) {
  struct stat sa, sb;
  if (!a || !b || stat(a, &sa) != 0 || stat(b, &sb) != 0) return 0;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino ? 1 : 0;
}

int sdkFileExists(const char* path) {
  struct stat st;
  return path && stat(path, &st) == 0 ? 1 : 0;
}

int sdkIsDirectory(const char* path) {
  struct stat st;
  return path && stat(path, &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

std::int64_t sdkFileSize(const char* path) {
  if (path == nullptr) return 0;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st;
  std::int64_t size = fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
  close(fd);
  return size;
}
