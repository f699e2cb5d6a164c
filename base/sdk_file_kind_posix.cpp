// POSIX side of regular-file opening: lstat (or stat when following) to
// refuse early, then O_NOFOLLOW|O_NONBLOCK so that a link or FIFO put in
// place after the check neither leads elsewhere nor blocks, and fstat on the
// opened descriptor to confirm it is the same regular file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/sdk_file_kind.h"

namespace {

SdkFileKind kindOfStat(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return SdkFileKind::kRegular;
  if (S_ISDIR(st.st_mode)) return SdkFileKind::kDirectory;
  if (S_ISLNK(st.st_mode)) return SdkFileKind::kLink;
  return SdkFileKind::kSpecial;
}

bool statPath(const char* path, SdkLinks links, struct stat& st) {
  if (path == nullptr || *path == '\0') return false;
  return (links == SdkLinks::kRefuse ? lstat(path, &st) : stat(path, &st)) == 0;
}

}  // namespace

SdkFileKind sdkFileKindOf(const char* path, SdkLinks links, std::int64_t* size) {
  if (size) *size = 0;
  struct stat st;
  if (!statPath(path, links, st)) return SdkFileKind::kMissing;
  const SdkFileKind kind = kindOfStat(st);
  if (size && kind == SdkFileKind::kRegular) *size = static_cast<std::int64_t>(st.st_size);
  return kind;
}

SdkRegularFile sdkOpenRegularFile(const char* path, SdkLinks links) {
  SdkRegularFile out;
  struct stat before;
  if (!statPath(path, links, before)) return out;
  out.kind = kindOfStat(before);
  if (out.kind != SdkFileKind::kRegular) return out;
  int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
  if (links == SdkLinks::kRefuse) flags |= O_NOFOLLOW;
  const int fd = open(path, flags);
  if (fd < 0) return out;
  struct stat opened;
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != before.st_dev ||
      opened.st_ino != before.st_ino) {
    close(fd);
    return out;
  }
  // Reads of a regular file never wait anyway; the flag only guarded the open.
  const int status = fcntl(fd, F_GETFL);
  if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0) {
    close(fd);
    return out;
  }
  out.file.reset(fdopen(fd, "rb"));
  if (!out.file) {
    close(fd);
    return out;
  }
  out.size = static_cast<std::int64_t>(opened.st_size);
  return out;
}
