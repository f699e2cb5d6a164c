// The interpreter files of a self-contained printable container.
#include "krmsdk/krm_container_tessel.h"

#include <cstdio>
#include <memory>

#include "base/sdk_fs.h"
#include "base/sdk_list.h"
#include "kpsdk/kx_project.h"
#include "krmsdk/krm_builtin.h"
#include "krmsdk/krm_command_file.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_koro_texts.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krm_wildcard.h"
#include "krmsdk/krmsdk.h"

namespace {

constexpr std::size_t kCopyPiece = 256 * 1024;
constexpr std::string_view kEncrypted = "currentfile eexec";

// Index of the first module whose path matches pattern (case ignored).
int findModule(const std::vector<std::string>& modules, const char* pattern) {
  for (std::size_t i = 0; i < modules.size(); ++i)
    if (krmMatchName(pattern, modules[i].c_str(), 0)) return static_cast<int>(i);
  return -1;
}

std::string encodingDefinitionOpening(std::string_view name) { return "\n(" + krmPsString(name) + ") {\n"; }
constexpr const char* kEncodingDefinitionClosing = "\n} TQFRESDEF\n";

}  // namespace

KrmContainerTessel::KrmContainerTessel(KrmStream& stream, bool builtIn, bool resident, bool imaging,
                                       std::string koroPath, std::string startupFile)
    : stream_(stream),
      builtIn_(builtIn),
      resident_(resident),
      imaging_(imaging),
      koroPath_(std::move(koroPath)),
      startupFile_(std::move(startupFile)) {}

int KrmContainerTessel::prepare() {
  if (builtIn_ || !stream_.ok()) return stream_.result();
  SdkList operands;
  if (!krmGetCommandStrings(startupFile_.c_str(), "run", 1, 1, operands) || operands.count() == 0)
    return stream_.fail(kKrmParseError, startupFile_);
  modules_ = operands.toVector();
  return stream_.result();
}

int KrmContainerTessel::copyLocal(const std::string& path, bool& encrypted) {
  encrypted = false;
  if (stream_.refusesInput(path.c_str())) return stream_.result();
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file || sdkIsDirectory(path.c_str())) return stream_.fail(kKrmLoadError, path);
  krmProgressFile(KrmProgressStep::kWriting, sdkFileNamePart(path), sdkFileSize(path.c_str()));
  std::string piece(kCopyPiece, '\0');
  std::string tail;  // the end of the previous piece, for a mark across pieces
  std::size_t got;
  while ((got = std::fread(piece.data(), 1, piece.size(), file.get())) > 0) {
    std::string_view data(piece.data(), got);
    if (!encrypted) {
      std::string joined = tail + std::string(data.substr(0, std::min(got, kEncrypted.size())));
      encrypted = joined.find(kEncrypted) != std::string::npos || data.find(kEncrypted) != std::string_view::npos;
      tail = std::string(data.substr(got > kEncrypted.size() ? got - kEncrypted.size() : 0));
    }
    if (stream_.write(data) != kKrmOk) return stream_.result();
    krmProgressBytes(static_cast<std::int64_t>(got));
  }
  if (std::ferror(file.get())) return stream_.fail(kKrmLoadError, path);
  return stream_.result();
}

int KrmContainerTessel::writeProlog() {
  if (!stream_.ok()) return stream_.result();
  if (builtIn_) {
    const KrmBuiltInFile* prolog = krmBuiltInSet().prolog();
    if (prolog == nullptr) return stream_.fail(kKrmKoroFilesMissing, KrmBuiltInSet::kPrologPath);
    stream_.write(prolog->data);
    if (resident_) stream_.write(kKrmStartJobExit);
    return stream_.result();
  }
  int at = findModule(modules_, "*tqf.eeh");
  if (at < 0) return stream_.fail(kKrmSourceMissing, "tqf.eeh");
  const std::string prolog = modules_[static_cast<std::size_t>(at)];
  if (!sdkFileExists(prolog.c_str())) return stream_.fail(kKrmSourceMissing, "tqf.eeh");
  bool encrypted = false;
  if (copyLocal(prolog, encrypted) != kKrmOk) return stream_.result();
  if (resident_) stream_.write(kKrmStartJobExit);
  modules_.erase(modules_.begin() + at);

  at = findModule(modules_, "*koro.vsm");
  if (at >= 0) {
    const std::string services = modules_[static_cast<std::size_t>(at)];
    if (copyLocal(services, encrypted) != kKrmOk) return stream_.result();
    if (resident_ && encrypted) stream_.write(kKrmStartJobExit);
    modules_.erase(modules_.begin() + at);
  }
  return stream_.result();
}

int KrmContainerTessel::writeEncodings(const KxProject& project) {
  if (!stream_.ok()) return stream_.result();
  if (builtIn_) {
    for (const KrmBuiltInFile* f : krmBuiltInSet().encodings()) {
      stream_.write(encodingDefinitionOpening(sdkFileNamePart(f->path)));
      stream_.write(f->data);
      stream_.write(kEncodingDefinitionClosing);
    }
    return stream_.result();
  }
  SdkList exclusions;
  exclusions.add("*.afk");
  exclusions.add("*.AFK");
  for (int i = 0; i < project.GetResourceCount(); ++i)
    if (project.GetResource(i)->GetType() == "enc") exclusions.add(krmLiteralPattern(project.GetResource(i)->GetName()));
  const std::string dir = koroPath_ + "encoding";
  SdkList names;
  krmGetFileList(names, dir.c_str(), &exclusions);
  for (const std::string& name : names.toVector()) {
    const std::string path = sdkJoinPath(dir, name);
    // A file that can't be read is left out.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> probe(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!probe) continue;
    probe.reset();
    if (stream_.write(encodingDefinitionOpening(name)) != kKrmOk) break;
    bool encrypted = false;
    if (copyLocal(path, encrypted) != kKrmOk) break;
    stream_.write(kEncodingDefinitionClosing);
  }
  return stream_.result();
}

int KrmContainerTessel::writeModules() {
  if (!stream_.ok()) return stream_.result();
  if (builtIn_) {
    const KrmBuiltInSet& set = krmBuiltInSet();
    for (const std::string& path : set.runList(imaging_)) {
      const KrmBuiltInFile* module = set.find(path);
      if (module == nullptr) return stream_.fail(kKrmKoroFilesMissing, path);
      stream_.write(module->data);
      stream_.write(resident_ && krmIsEncryptedModule(module->data) ? kKrmStartJobExit : "\n");
    }
    return stream_.result();
  }
  for (const std::string& path : modules_) {
    bool encrypted = false;
    if (copyLocal(path, encrypted) != kKrmOk) break;
    stream_.write(resident_ && encrypted ? "\ntrue () startjob pop\n\n" : "\n\n");
  }
  return stream_.result();
}
