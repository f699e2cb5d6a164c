#include "kpsdk/kx_volumes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/sdk_fs.h"
#include "kpsdk/kx_tree.h"
#include "kpsdk/kx_volume_flow.h"

namespace {

constexpr std::int64_t kRecord = 10240;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Parses a run of at least six digits ending at end (exclusive); returns the
// start of the run or npos.
std::size_t digitsBefore(std::string_view s, std::size_t end, long& value) {
  std::size_t start = end;
  while (start > 0 && s[start - 1] >= '0' && s[start - 1] <= '9') --start;
  if (end - start < 6 || end - start > 9) return std::string_view::npos;
  value = std::stol(std::string(s.substr(start, end - start)));
  return start;
}

bool endsWithKpv(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ext(name.substr(name.size() - 4));
  sdkLowerAscii(ext);
  return ext == ".kpv";
}

int fail(KxVolumeError& error, const char* format, const std::string& a, const std::string& b = {}) {
  error.format = format;
  error.text = sdkFormat(format, a.c_str(), b.c_str());
  return 0;
}

}  // namespace

int kxIsVolumeFile(std::string_view path) { return endsWithKpv(sdkFileNamePart(path)) ? 1 : 0; }

int kxIsContainerPath(std::string_view path) {
  if (path.empty()) return 0;
  return path.back() == 'c' || kxIsVolumeFile(path) ? 1 : 0;
}

std::string kxReadableContainer(const std::string& path, const std::string& workDir, KxVolumeError& error,
                                const std::atomic<bool>* cancelled, const KxJoinProgress& progress) {
  if (!kxIsVolumeFile(path) || kxIsZipFile(path)) return path;
  if (workDir.empty()) {
    fail(error, "Error writing archive volume '%s' - reason '%s'", "volumes.tar", "no temporary folder");
    return std::string();
  }
  std::string joined = sdkJoinPath(workDir, "volumes.tar");
  return kxJoinVolumeSet(path, joined, error, cancelled, progress) ? joined : std::string();
}

int kxParseVolumeName(std::string_view fileName, std::string& base, long& index, long& count) {
  if (!endsWithKpv(fileName)) return 0;
  std::size_t end = fileName.size() - 4;
  std::size_t countStart = digitsBefore(fileName, end, count);
  if (countStart == std::string_view::npos || countStart == 0 || fileName[countStart - 1] != '_') return 0;
  std::size_t indexStart = digitsBefore(fileName, countStart - 1, index);
  if (indexStart == std::string_view::npos || indexStart == 0 || fileName[indexStart - 1] != '_') return 0;
  if (count < 1 || index < 1 || index > count) return 0;
  base = std::string(fileName.substr(0, indexStart - 1));
  return 1;
}

int kxJoinVolumeSet(const std::string& volumePath, const std::string& outPath, KxVolumeError& error,
                    const std::atomic<bool>* cancelled, const KxJoinProgress& progress) {
  std::string fileName = sdkFileNamePart(volumePath);
  std::string base;
  long index = 0, count = 0;
  if (!kxParseVolumeName(fileName, base, index, count))
    return fail(error, "Archive volume name '%s' is malformed", volumePath);
  std::string folder = sdkDirPart(volumePath);
  std::string ext = fileName.substr(fileName.size() - 4);

  // Every volume present, all but the last of one size in whole records.
  std::vector<std::string> paths;
  std::vector<std::int64_t> sizes;
  std::int64_t firstSize = 0, total = 0;
  for (long i = 1; i <= count; ++i) {
    std::string name = sdkFormat("%s_%06ld_%06ld%s", base.c_str(), i, count, ext.c_str());
    std::string path = folder.empty() ? name : sdkJoinPath(folder, name);
    if (!sdkFileExists(path.c_str())) return fail(error, "Could not find archive file '%s'", path);
    std::int64_t size = sdkFileSize(path.c_str());
    bool fits = i == 1 ? size > 0 && (count == 1 || size % kRecord == 0)
                       : size > 0 && (i == count ? size <= firstSize : size == firstSize);
    if (i == 1) firstSize = size;
    if (!fits) return fail(error, "Error reading archive volume '%s' - reason '%s'", path, "unexpected volume size");
    paths.push_back(std::move(path));
    sizes.push_back(size);
    total += size;
  }

  FilePtr out(std::fopen(outPath.c_str(), "wb"));
  if (!out) return fail(error, "Error writing archive volume '%s' - reason '%s'", outPath, std::strerror(errno));
  std::vector<char> buf(1 << 16);
  auto abandon = [&] {
    out.reset();
    sdkDeleteFile(outPath.c_str());
    return 0;
  };
  auto stop = [&] {
    error.format = error.text = "Operation cancelled";
    return abandon();
  };
  // The joined stream must be one tar archive across every cut.
  KxVolumeFlow flow;
  auto broken = [&] {
    fail(error, "Error reading archive volume '%s' - reason '%s'",
         paths[static_cast<std::size_t>(flow.brokenVolume() - 1)], flow.reason());
    return abandon();
  };
  std::int64_t done = 0;
  for (std::size_t v = 0; v < paths.size(); ++v) {
    const std::string& path = paths[v];
    const std::string volumeFile = sdkFileNamePart(path);
    std::int64_t volumeDone = 0;
    auto tell = [&] {
      return !progress || progress(volumeFile, static_cast<long>(v) + 1, count, sizes[v], volumeDone, done, total);
    };
    if ((cancelled && cancelled->load()) || !tell()) return stop();
    FilePtr in(std::fopen(path.c_str(), "rb"));
    if (!in) {
      fail(error, "Could not open archive file '%s' - reason '%s'", path, std::strerror(errno));
      return abandon();
    }
    flow.startVolume(static_cast<long>(v) + 1);
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), in.get())) > 0) {
      if (!flow.feed(buf.data(), n)) return broken();
      if (std::fwrite(buf.data(), 1, n, out.get()) != n) {
        fail(error, "Error writing archive volume '%s' - reason '%s'", outPath, std::strerror(errno));
        return abandon();
      }
      volumeDone += static_cast<std::int64_t>(n);
      done += static_cast<std::int64_t>(n);
      if (!tell()) return stop();
    }
    if (std::ferror(in.get())) {
      fail(error, "Error reading archive volume '%s' - reason '%s'", path, std::strerror(errno));
      return abandon();
    }
  }
  if (!flow.finish()) return broken();
  if (std::fclose(out.release()) != 0) {
    fail(error, "Error writing archive volume '%s' - reason '%s'", outPath, std::strerror(errno));
    sdkDeleteFile(outPath.c_str());
    return 0;
  }
  return 1;
}
