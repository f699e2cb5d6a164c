#include "ops/kept_jobs.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "base/sdk_fs.h"
#include "base/sdk_fs_unique.h"
#include "delivery/send_history.h"

std::string keptJobFolder(const std::string& historyFile) {
  const std::string history = historyFile.empty() ? SendHistory::defaultPath() : historyFile;
  return history.empty() ? std::string() : sdkJoinPath(sdkDirPart(history), "jobs");
}

namespace {
// A digest is 64 hexadecimal digits: nothing else (a history file edited
// to hold "../x", say) becomes a file name.
bool isDigest(const std::string& sha256) {
  return sha256.size() == 64 && sha256.find_first_not_of("0123456789abcdef") == std::string::npos;
}
}  // namespace

std::string keptJobPath(const std::string& historyFile, const std::string& sha256) {
  const std::string folder = keptJobFolder(historyFile);
  return folder.empty() || !isDigest(sha256) ? std::string() : sdkJoinPath(folder, sha256 + ".job");
}

bool keepJobFile(const std::string& historyFile, const std::string& jobFile, const std::string& sha256) {
  const std::string kept = keptJobPath(historyFile, sha256);
  if (kept.empty()) return false;
  if (sdkFileExists(kept.c_str())) return true;
  sdkMakeDirs(kept.c_str());
  SdkNewFile part = sdkCreatePartFile(kept);
  if (!part) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(jobFile.c_str(), "rb"), &std::fclose);
  bool ok = in != nullptr;
  std::vector<char> piece(1 << 16);
  std::size_t got;
  while (ok && (got = std::fread(piece.data(), 1, piece.size(), in.get())) > 0)
    ok = std::fwrite(piece.data(), 1, got, part.file) == got;
  ok = ok && in && !std::ferror(in.get());
  ok = std::fclose(part.file) == 0 && ok;
  if (ok && sdkRenameNoReplace(part.path.c_str(), kept.c_str()) == 1) return true;
  sdkDeleteFile(part.path.c_str());
  return sdkFileExists(kept.c_str()) == 1;
}
