// project info|check, container create|extract|list: local tools on KX
// projects and KPC containers; nothing is sent.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <random>
#include <vector>

#include "archive/archive_handler.h"
#include "archive/container_listing.h"
#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "cli/cli_escape.h"
#include "cli/cli_json.h"
#include "cli/cli_suggest.h"
#include "cli/console.h"
#include "kpsdk/kx_project.h"
#include "kpsdk/kx_tree.h"
#include "kpsdk/kx_volumes.h"
#include "krmsdk/krm_koro_texts.h"
#include "krmsdk/krm_lifetime.h"

namespace fs = std::filesystem;

namespace {
const char* kScopeNames[] = {"local", "folder-shared", "global-shared"};
const std::vector<std::string> kProjectActions{"info", "check"};
const std::vector<std::string> kContainerActions{"create", "extract", "list"};

bool isContainerPath(const std::string& path) { return kxIsContainerPath(path) != 0; }

// A volume size: a whole number of records from 1 up; false otherwise.
bool parseVolumeSize(const std::string& text, int& records) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  long long n = std::stoll(text);
  if (n < 1 || n > 2147483647) return false;
  records = static_cast<int>(n);
  return true;
}

// The container as one readable file (a volume set joined into a private
// folder that goes with this object).
class ReadableContainer {
 public:
  explicit ReadableContainer(const std::string& path) : work_(kxIsVolumeFile(path) ? kxMakeTempFolder("_v") : "") {
    KxVolumeError error;
    path_ = kxReadableContainer(path, work_, error);
    error_ = error.text;
  }
  ~ReadableContainer() { kxRemoveTree(work_); }
  ReadableContainer(const ReadableContainer&) = delete;
  ReadableContainer& operator=(const ReadableContainer&) = delete;
  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

 private:
  std::string work_, path_, error_;
};

std::string scopeName(int scope) { return scope >= 0 && scope <= 2 ? kScopeNames[scope] : "?"; }

// The stub or start-up file that tells a project where its scopes live.
std::string stubFor(const OpContext& ctx) {
  InterpreterChoice ic = readInterpreterChoice(ctx);
  if (ic.useBuiltin) return ic.koroStub;
  if (ic.koroCore.empty()) return {};
  return krmLocalStartupFile(sdkJoinPath(ic.koroCore, "").c_str());
}

// Shows the archive's progress on a terminal.
KxProgressHook terminalProgress() {
  if (!stderrIsTerminal()) return nullptr;
  return [](const char* status, long files, std::int64_t, long current, std::int64_t, const char* fileName,
            std::int64_t, std::int64_t) {
    if (fileName && *fileName && status && *status != '_')
      std::cerr << "\r[" << current << "/" << files << "] " << cliShowable(fileName) << "\x1b[K" << std::flush;
    return 0;
  };
}

std::unique_ptr<KxProject> newProject(const OpContext& ctx) {
  std::string stub = stubFor(ctx);
  auto project = stub.empty() ? nullptr : kxProjectNew(stub);
  if (!project) sayError(stub.empty() ? "no stub file: give --stub FILE or configure a Tessel"
                                      : "cannot read the stub file '" + stub + "'");
  return project;
}

// info and check only read: a container gives its project file and its
// headers, and nothing of it is unpacked.
int openProject(KxProject& project, const std::string& path) {
  return isContainerPath(path) ? project.ReadContainer(path) : project.OpenProject(path);
}

// The project log, one message a line; on standard error with the program
// name when they report a failure.
std::vector<std::string> messageLines(const std::string& messages) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < messages.size()) {
    std::size_t end = messages.find('\n', pos);
    if (end == std::string::npos) end = messages.size();
    std::string line = messages.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

void printProjectInfo(const KxProject& project, const ParsedArgs& a) {
  if (a.has("json")) {
    JsonWriter json;
    json.beginObject()
        .key("folder").value(project.GetFolderName())
        .key("project").value(project.GetProjectName())
        .key("title").value(project.GetProjectTitle())
        .key("type").value(kxProjectTypeName(project.GetProjectType()))
        .key("version").value(project.GetProjectVersion())
        .key("resources").beginArray();
    for (int i = 0; i < project.GetResourceCount(); ++i) {
      const KxResource* r = project.GetResource(i);
      json.beginObject()
          .key("type").value(r->GetType())
          .key("scope").value(scopeName(r->GetScope()))
          .key("name").value(r->GetName())
          .key("path").value(r->GetPath())
          .endObject();
    }
    json.endArray().key("submissionFiles").beginArray();
    for (int i = 0; i < project.GetSubmissionFileCount(); ++i) json.value(project.GetSubmissionFilePath(i));
    json.endArray().key("messages").value(messageLines(project.GetMessages()));
    std::cout << json.endObject().str();
    return;
  }
  std::cout << "Project:   " << cliShowable(project.GetFolderName() + "/" + project.GetProjectName()) << "\n"
            << "Title:     " << cliShowable(project.GetProjectTitle()) << "\n"
            << "Type:      " << kxProjectTypeName(project.GetProjectType()) << "\n"
            << "Version:   " << cliShowable(project.GetProjectVersion()) << "\n"
            << "Resources: " << project.GetResourceCount() << "\n";
  for (int i = 0; i < project.GetResourceCount(); ++i) {
    const KxResource* r = project.GetResource(i);
    std::cout << "  " << cliShowable(r->GetType()) << "  " << scopeName(r->GetScope()) << "  "
              << cliShowable(r->GetName()) << "  " << cliShowable(r->GetPath()) << "\n";
  }
  for (int i = 0; i < project.GetSubmissionFileCount(); ++i)
    std::cout << "Submission: " << cliShowable(project.GetSubmissionFilePath(i)) << "\n";
}

int projectTool(const ParsedArgs& a, OpContext& ctx) {
  const auto& pos = a.positionals();
  auto project = newProject(ctx);
  if (!project) return kExitFailed;
  int flags = openProject(*project, pos[1]);
  // check reports what loading the project would meet.
  if (pos[0] == "check" && !(flags & kKxError))
    flags = isContainerPath(pos[1]) ? project->CheckContainerEntries(kKrmMaxEmbeddedFileSize)
                                    : project->CheckResourceFiles(kKrmMaxEmbeddedFileSize);
  bool failed = (flags & kKxError) != 0;
  const bool json = pos[0] == "info" && a.has("json");
  if (pos[0] == "info" && !failed) printProjectInfo(*project, a);
  for (const std::string& line : messageLines(project->GetMessages())) {
    if (failed) {
      sayError(line);
    } else if (!json) {
      std::cout << cliShowable(line) << "\n";
    }
  }
  if (pos[0] == "check" && !failed) std::cout << pos[1] << ": no errors\n";
  return failed ? kExitFailed : kExitOk;
}

// What stands in the way of writing base/relative, looking at the folders
// between them: a symbolic link (writing there would land outside base) or
// a file where a folder is needed. Empty when nothing does.
std::string obstacleOnTheWay(const fs::path& base, const fs::path& relative) {
  fs::path at = base;
  std::error_code ec;
  for (auto it = relative.begin(); it != relative.end(); ++it) {
    if (std::next(it) == relative.end()) break;
    at /= *it;
    fs::file_status status = fs::symlink_status(at, ec);
    if (fs::is_symlink(status)) return "would be written through the symbolic link '" + at.string() + "'";
    if (fs::exists(status) && !fs::is_directory(status)) return "needs a folder where '" + at.string() + "' is a file";
  }
  return {};
}

// Unpacks beside the files it may replace, then moves everything into
// place, so that a file already there stops the extraction before anything
// is changed, unless force.
int extractContainer(const std::string& container, const std::string& target, bool force) {
  std::error_code ec;
  // A failed extraction takes back what it placed: the files it moved in
  // (not those it replaced with --force), then the folders it made,
  // innermost first, the target's own levels included; a folder something
  // else has put files into meanwhile stays.
  struct Undo {
    std::vector<fs::path> files;
    std::vector<fs::path> dirs;
    bool done = false;
    ~Undo() {
      if (done) return;
      std::error_code ignored;
      for (auto it = files.rbegin(); it != files.rend(); ++it) fs::remove(*it, ignored);
      for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) fs::remove(*it, ignored);
    }
  } undo;
  auto makeDirs = [&](const fs::path& dir) {
    fs::path level;
    for (const fs::path& part : dir) {
      level /= part;
      if (fs::exists(fs::symlink_status(level, ec))) continue;
      if (fs::create_directory(level, ec)) undo.dirs.push_back(level);
    }
    return fs::is_directory(dir, ec);
  };
  if (!makeDirs(target)) {
    sayError("cannot create the folder '" + target + "'");
    return kExitFailed;
  }
  const fs::path staging = fs::path(target) / (".qm-extract-" + std::to_string(std::random_device{}()));
  if (!fs::create_directory(staging, ec)) {
    sayError("cannot write in the folder '" + target + "'");
    return kExitFailed;
  }
  struct Cleanup {
    fs::path dir;
    ~Cleanup() {
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    }
  } cleanup{staging};

  ArchiveHandler handler;
  if (auto hook = terminalProgress()) {
    handler.SetProgressHook([hook](ArchiveHandler&, const char* status, long files, std::int64_t total, long index,
                                   std::int64_t done, const char* file, std::int64_t size, std::int64_t fileDone) {
      return hook(status, files, total, index, done, file, size, fileDone);
    });
  }
  ReadableContainer readable(container);
  std::string error = readable.path().empty() ? readable.error() : handler.Extract(readable.path(), staging.string());
  if (stderrIsTerminal()) std::cerr << "\n";
  if (!error.empty()) {
    sayError(oneLine(error));
    return kExitFailed;
  }
  // Everything is checked before the first file moves.
  std::vector<fs::path> files;
  std::vector<fs::path> existing;
  for (auto it = fs::recursive_directory_iterator(staging, ec); it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_directory(ec)) continue;
    fs::path relative = fs::relative(it->path(), staging, ec);
    const fs::path destination = fs::path(target) / relative;
    if (std::string obstacle = obstacleOnTheWay(target, relative); !obstacle.empty()) {
      sayError("'" + destination.string() + "' " + obstacle + "; nothing extracted");
      return kExitFailed;
    }
    if (fs::is_directory(fs::symlink_status(destination, ec))) {
      sayError("'" + destination.string() + "' is a folder, where the container has a file; nothing extracted");
      return kExitFailed;
    }
    files.push_back(relative);
    if (fs::exists(fs::symlink_status(destination, ec))) existing.push_back(relative);
  }
  if (!existing.empty() && !force) {
    std::string more = existing.size() > 1 ? " and " + std::to_string(existing.size() - 1) + " more" : "";
    sayError("'" + (fs::path(target) / existing[0]).string() + "'" + more +
             " already there; nothing extracted (--force replaces them)");
    return kExitFailed;
  }
  for (const fs::path& relative : files) {
    const fs::path destination = fs::path(target) / relative;
    const bool replaces = fs::exists(fs::symlink_status(destination, ec));
    makeDirs(destination.parent_path());
    fs::rename(staging / relative, destination, ec);
    if (ec) {
      sayError("cannot write '" + destination.string() + "': " + ec.message());
      return kExitFailed;
    }
    if (!replaces) undo.files.push_back(destination);
  }
  undo.done = true;
  return kExitOk;
}

int listContainer(const ParsedArgs& a, const std::string& container) {
  ReadableContainer readable(container);
  std::vector<ContainerEntry> entries;
  std::string error = readable.path().empty() ? readable.error() : ListContainerEntries(readable.path(), entries);
  if (!error.empty()) {
    sayError(oneLine(error));
    return kExitFailed;
  }
  if (a.has("json")) {
    JsonWriter json;
    json.beginObject().key("container").value(container).key("entries").beginArray();
    for (const ContainerEntry& e : entries)
      json.beginObject().key("name").value(e.name).key("size").value(static_cast<std::int64_t>(e.size)).endObject();
    std::cout << json.endArray().endObject().str();
    return kExitOk;
  }
  for (const ContainerEntry& e : entries) std::cout << cliShowable(e.name) << "\n";
  return kExitOk;
}

int containerTool(const ParsedArgs& a, OpContext& ctx) {
  const auto& pos = a.positionals();
  if (pos[0] == "list") return listContainer(a, pos[1]);
  if (pos[0] == "extract") return extractContainer(pos[1], pos.size() == 3 ? pos[2] : ".", a.has("force"));
  // create
  auto project = newProject(ctx);
  if (!project) return kExitFailed;
  // The resources are checked as a load checks them, before anything is
  // packed: a link or special file is not followed into the container, and
  // a file too large to load is not packed for minutes first.
  if ((project->OpenProject(pos[1]) & kKxError) || (project->CheckResourceFiles(kKrmMaxEmbeddedFileSize) & kKxError)) {
    for (const std::string& line : messageLines(project->GetMessages())) sayError(line);
    return kExitFailed;
  }
  int volumeSize = 0;
  if (a.has("volume-size")) parseVolumeSize(a.value("volume-size"), volumeSize);
  if (a.has("tar") || volumeSize > 0) project->SetArchiveFormat(kArchiveFormatTar);
  if (volumeSize > 0) project->SetArchiveVolumeSize(volumeSize);
  if (auto hook = terminalProgress()) project->SetProjectProgressHook(hook);
  int flags = project->CreateContainer(pos[2]);
  if (stderrIsTerminal()) std::cerr << "\n";
  if (flags & kKxError) {
    for (const std::string& line : messageLines(project->GetMessages())) sayError(line);
    return kExitFailed;
  }
  if (volumeSize == 0) {
    std::cout << "Container written: " << pos[2] << "\n";
    return kExitOk;
  }
  // A split container is its volume files; the name given is not written.
  const long volumes = project->GetVolumeCount();
  std::cout << "Container written in " << volumes << (volumes == 1 ? " volume:" : " volumes:") << "\n";
  ArchiveHandler& handler = project->GetArchiveHandler();
  for (long i = 0; i < volumes; ++i) {
    handler.FormatVolumeNames(i);
    std::cout << "  " << handler.GetVolumePath() << "\n";
  }
  return kExitOk;
}

// "ACTION PATH..." with the counts each action takes.
bool checkAction(const std::string& command, const ParsedArgs& a, const std::vector<std::string>& actions,
                 std::size_t minimum, std::size_t maximum) {
  const auto& pos = a.positionals();
  std::string all;
  for (const std::string& x : actions) all += (all.empty() ? "" : ", ") + x;
  if (std::find(actions.begin(), actions.end(), pos[0]) == actions.end()) {
    usageError(command, "'" + pos[0] + "' is not one of " + all + didYouMean(pos[0], actions));
    return false;
  }
  return operandsFit(command, pos, minimum, maximum);
}
}  // namespace

std::vector<Command> projectToolCommands() {
  Command project{
      .name = "project",
      .summary = "show or check a KX project (KPF file or KPC container)",
      .usage = "info|check PROJECT.kpf|PROJECT.kpc [options]",
      .description = "info prints the project's information and resources; check reads it and reports every "
                     "problem found. The project's scopes are resolved through the Tessel stub file (--stub, or "
                     "the configured Tessel).",
      .options = {{"json", 0, "", "info: print JSON: folder, project, title, type, version, resources (type, "
                                  "scope, name, path), submissionFiles, messages"}},
      .config = ConfigUse::Optional,
      .tessel = TesselUse::TesselWithStub,
      .operandWords = kProjectActions,
      .operandHint = ValueHint::File,
      .minOperands = 2,
      .maxOperands = 2,
      .validate = [](const ParsedArgs& a) { return checkAction("project", a, kProjectActions, 2, 2); },
      .run = projectTool};
  Command container{
      .name = "container",
      .summary = "create, extract or list a KPC container",
      .usage = "create PROJECT.kpf OUT.kpc | extract CONTAINER.kpc [DIR] | list CONTAINER.kpc",
      .description = "create packs a project and its resources into a container (zip, or tar with --tar, split "
                     "into volumes with --volume-size); extract unpacks every entry, in the folders it was stored "
                     "with, into DIR (default: the current folder) and replaces no file that is already there "
                     "unless --force is given; list shows the entries.",
      .options = {{"tar", 0, "", "create a tar container instead of zip"},
                  {"volume-size", 0, "N", "split into volumes of N x 10240 bytes (tar)"},
                  {"force", 'f', "", "extract: replace files that are already there"},
                  {"json", 0, "", "list: print JSON: container, entries (name, size)"}},
      .config = ConfigUse::Optional,
      .tessel = TesselUse::TesselWithStub,
      .operandWords = kContainerActions,
      .operandHint = ValueHint::File,
      .minOperands = 2,
      .maxOperands = 3,
      .validate =
          [](const ParsedArgs& a) {
            const std::string& action = a.positionals()[0];
            if (action == "create") {
              int records = 0;
              if (a.has("volume-size") && !parseVolumeSize(a.value("volume-size"), records)) {
                usageError("container", "--volume-size takes a whole number of 10240-byte records, from 1 to "
                                        "2147483647, not '" + a.value("volume-size") + "'");
                return false;
              }
              return checkAction("container", a, kContainerActions, 3, 3);
            }
            if (action == "extract") return checkAction("container", a, kContainerActions, 2, 3);
            return checkAction("container", a, kContainerActions, 2, 2);
          },
      .needsTessel = [](const ParsedArgs& a) { return a.positionals()[0] == "create"; },
      .configNote = "create needs the Tessel settings of the configuration file, unless --tessel DIR or "
                    "--builtin-tessel --stub FILE is given; extract and list need no configuration file.",
      .run = containerTool};
  return {project, container};
}
