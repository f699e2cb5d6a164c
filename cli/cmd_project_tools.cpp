// project info|check, container create|extract|list: local tools on KX
// projects and KPC containers; nothing is sent.
#include <filesystem>
#include <iostream>

#include "archive/archive_handler.h"
#include "archive/container_listing.h"
#include "base/sdk_fs.h"
#include "cli/cli_command.h"
#include "kpsdk/kx_project.h"
#include "kpsdk/kx_tree.h"
#include "kpsdk/kx_volumes.h"
#include "krmsdk/krm_koro_texts.h"
#include "krmsdk/krm_lifetime.h"

namespace {
const char* kScopeNames[] = {"local", "folder-shared", "global-shared"};

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

// The stub or start-up file that tells a project where its scopes live.
std::string stubFor(const ParsedArgs& a, const OpContext& ctx) {
  if (a.has("stub")) return a.value("stub");
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
      std::cerr << "\r[" << current << "/" << files << "] " << fileName << "\x1b[K" << std::flush;
    return 0;
  };
}

std::unique_ptr<KxProject> newProject(const ParsedArgs& a, const OpContext& ctx) {
  std::string stub = stubFor(a, ctx);
  auto project = stub.empty() ? nullptr : kxProjectNew(stub);
  if (!project) sayError(stub.empty() ? "no stub file: give --stub FILE or configure a Tessel"
                                      : "cannot read the stub file " + stub);
  return project;
}

int openProject(KxProject& project, const std::string& path) {
  return isContainerPath(path) ? project.OpenContainerPrintAndForget(path) : project.OpenProject(path);
}

int projectTool(const ParsedArgs& a, OpContext& ctx) {
  const auto& pos = a.positionals();
  if (pos.size() != 2 || (pos[0] != "info" && pos[0] != "check")) return kExitUsage;
  auto project = newProject(a, ctx);
  if (!project) return kExitFailed;
  int flags = openProject(*project, pos[1]);
  // check reports what loading the project would meet.
  if (pos[0] == "check" && !(flags & kKxError)) flags = project->CheckResourceFiles(kKrmMaxEmbeddedFileSize);
  bool failed = (flags & kKxError) != 0;
  if (pos[0] == "info" && !failed) {
    std::cout << "Project:   " << project->GetFolderName() << "/" << project->GetProjectName() << "\n"
              << "Title:     " << project->GetProjectTitle() << "\n"
              << "Type:      " << kxProjectTypeName(project->GetProjectType()) << "\n"
              << "Version:   " << project->GetProjectVersion() << "\n"
              << "Resources: " << project->GetResourceCount() << "\n";
    for (int i = 0; i < project->GetResourceCount(); ++i) {
      const KxResource* r = project->GetResource(i);
      int scope = r->GetScope();
      std::cout << "  " << r->GetType() << "  " << (scope >= 0 && scope <= 2 ? kScopeNames[scope] : "?") << "  "
                << r->GetName() << "  " << r->GetPath() << "\n";
    }
    for (int i = 0; i < project->GetSubmissionFileCount(); ++i)
      std::cout << "Submission: " << project->GetSubmissionFilePath(i) << "\n";
  }
  const std::string& messages = project->GetMessages();
  if (!messages.empty()) (failed ? std::cerr : std::cout) << messages << (messages.back() == '\n' ? "" : "\n");
  if (pos[0] == "check" && !failed) std::cout << pos[1] << ": no errors\n";
  if (isContainerPath(pos[1])) project->RemovePrintAndForget();
  return failed ? kExitFailed : kExitOk;
}

int containerTool(const ParsedArgs& a, OpContext& ctx) {
  const auto& pos = a.positionals();
  if (pos.empty()) return kExitUsage;
  if (pos[0] == "list" && pos.size() == 2) {
    ReadableContainer container(pos[1]);
    std::vector<ContainerEntry> entries;
    std::string error = container.path().empty() ? container.error() : ListContainerEntries(container.path(), entries);
    if (!error.empty()) {
      sayError(error);
      return kExitFailed;
    }
    for (const ContainerEntry& e : entries) std::cout << e.name << "\n";
    return kExitOk;
  }
  if (pos[0] == "extract" && (pos.size() == 2 || pos.size() == 3)) {
    ArchiveHandler handler;
    if (auto hook = terminalProgress()) {
      handler.SetProgressHook([hook](ArchiveHandler&, const char* status, long files, std::int64_t total, long index,
                                     std::int64_t done, const char* file, std::int64_t size, std::int64_t fileDone) {
        return hook(status, files, total, index, done, file, size, fileDone);
      });
    }
    std::string target = pos.size() == 3 ? pos[2] : ".";
    ReadableContainer container(pos[1]);
    std::string error = container.path().empty() ? container.error() : handler.Extract(container.path(), target);
    if (stderrIsTerminal()) std::cerr << "\n";
    if (!error.empty()) {
      sayError(error);
      return kExitFailed;
    }
    return kExitOk;
  }
  if (pos[0] == "create" && pos.size() == 3) {
    int volumeSize = 0;
    if (a.has("volume-size") && !parseVolumeSize(a.value("volume-size"), volumeSize)) {
      sayError("--volume-size takes a whole number of 10240-byte records, from 1 to 2147483647");
      return kExitUsage;
    }
    auto project = newProject(a, ctx);
    if (!project) return kExitFailed;
    if (project->OpenProject(pos[1]) & kKxError) {
      sayError(project->GetMessages());
      return kExitFailed;
    }
    if (a.has("tar") || a.has("volume-size")) project->SetArchiveFormat(kArchiveFormatTar);
    if (volumeSize > 0) project->SetArchiveVolumeSize(volumeSize);
    if (auto hook = terminalProgress()) project->SetProjectProgressHook(hook);
    int flags = project->CreateContainer(pos[2]);
    if (stderrIsTerminal()) std::cerr << "\n";
    if (flags & kKxError) {
      sayError(project->GetMessages());
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
  return kExitUsage;
}

std::vector<OptionSpec> withConfig(std::vector<OptionSpec> specs) {
  specs.push_back({"config", 'c', "FILE", "configuration file instead of the installed quaymaster.ini"});
  for (auto& o : interpreterOptions()) specs.push_back(o);
  return specs;
}
}  // namespace

std::vector<Command> projectToolCommands() {
  Command project{"project",
                  "show or check a KX project (KPF file or KPC container)",
                  "info|check PROJECT.kpf|PROJECT.kpc [options]",
                  "info prints the project's information and resources; check reads it and reports\n"
                  "every problem found. The project's scopes are resolved through the Tessel stub\n"
                  "file (--stub, or the configured Tessel).",
                  withConfig({}),
                  false,
                  projectTool};
  Command container{"container",
                    "create, extract or list a KPC container",
                    "create PROJECT.kpf OUT.kpc | extract CONTAINER.kpc [DIR] | list CONTAINER.kpc",
                    "create packs a project and its resources into a container (zip, or tar with\n"
                    "--tar, split into volumes with --volume-size); extract unpacks every entry, in\n"
                    "the folders it was stored with, into DIR (default: the current folder); list\n"
                    "shows the entries.",
                    withConfig({{"tar", 0, "", "create a tar container instead of zip"},
                                {"volume-size", 0, "N", "split into volumes of N x 10240 bytes (tar)"}}),
                    false,
                    containerTool};
  return {project, container};
}
