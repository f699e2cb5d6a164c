// Fresh names and the sweep for leftovers; the exclusive creation itself is
// the platform's (sdk_fs_unique_posix.cpp, sdk_fs_unique_win32.cpp).
#include "base/sdk_fs_unique.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <string_view>
#include <system_error>
#include <thread>

#include "base/sdk_fs.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLength = 6;
constexpr int kAttempts = 100;
constexpr const char* kPartSuffix = ".part";

std::string randomPart() {
  // Seeded per thread from the system's entropy, the time and the thread, so
  // that processes started together do not walk the same names.
  thread_local std::mt19937_64 engine([] {
    std::random_device device;
    std::seed_seq seed{static_cast<std::uint64_t>(device()), static_cast<std::uint64_t>(device()),
                       static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()),
                       static_cast<std::uint64_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()))};
    return std::mt19937_64(seed);
  }());
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::string s(kRandomLength, ' ');
  for (char& c : s) c = kAlphabet[pick(engine)];
  return s;
}

bool taken() { return errno == EEXIST; }

}  // namespace

SdkNewFile sdkCreateUniqueFile(const std::string& stem, const std::string& suffix, SdkFileAccess access) {
  SdkNewFile made;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string path = stem + randomPart() + suffix;
    errno = 0;
    if (std::FILE* f = sdkCreateNewFile(path, access)) {
      made.file = f;
      made.path = std::move(path);
      return made;
    }
    // Only a taken name is worth another try; a missing folder or a denied
    // one fails the same way for every name.
    if (!taken()) break;
  }
  return made;
}

SdkNewFile sdkCreatePartFile(const std::string& path) {
  sdkRemoveAbandonedUnique(path + ".", kPartSuffix, std::chrono::seconds(0));
  return sdkCreateUniqueFile(path + ".", kPartSuffix, SdkFileAccess::Shared);
}

int sdkMakeUniqueDir(SdkString& out, const std::string& parent, const char* prefix) {
  out.clear();
  const std::string stem = sdkJoinPath(parent, prefix ? prefix : "");
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string path = stem + randomPart();
    errno = 0;
    if (sdkMakePrivateDir(path.c_str())) {
      out.set(path);
      return 1;
    }
    if (!taken()) break;
  }
  return 0;
}

bool sdkIsUniqueName(const std::string& name, const std::string& stem, const std::string& suffix) {
  if (name.size() != stem.size() + kRandomLength + suffix.size()) return false;
  if (name.compare(0, stem.size(), stem) != 0 || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  for (std::size_t i = stem.size(); i < stem.size() + kRandomLength; ++i)
    if (kAlphabet.find(name[i]) == std::string_view::npos) return false;
  return true;
}

int sdkVisitUnique(const std::string& stem, const std::string& suffix, std::chrono::seconds minAge,
                   const std::function<bool(const std::string& path)>& visit) {
  std::string folder = sdkDirPart(stem);
  const std::string nameStem = sdkFileNamePart(stem);
  if (folder.empty()) folder = ".";
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  int answered = 0;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!sdkIsUniqueName(it->path().filename().string(), nameStem, suffix)) continue;
    std::error_code timeError;
    const auto changed = fs::last_write_time(it->path(), timeError);
    if (timeError || now - changed < minAge) continue;
    if (visit(it->path().string())) ++answered;
  }
  return answered;
}

int sdkRemoveAbandonedUnique(const std::string& stem, const std::string& suffix, std::chrono::seconds minAge) {
  return sdkVisitUnique(stem, suffix, minAge, [](const std::string& path) { return sdkRemoveAbandoned(path.c_str()); });
}

SdkFileHold::SdkFileHold(const char* path) : handle_(path ? sdkHoldOpen(path) : -1) {}

void SdkFileHold::release() {
  if (handle_ != -1) sdkHoldClose(handle_);
  handle_ = -1;
}
