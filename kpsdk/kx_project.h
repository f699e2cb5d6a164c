// KxProject: one KX project in memory.
//
// A project holds its descriptive information, its resources (each in one
// of three scopes), the submission files and job tickets among them kept in
// their order, its modification history, opaque PRIVATE sections, the
// project paths that tell where each scope lives on disk, and a message log.
// It is created from the interpreter's stub file (kxProjectNew), filled from
// a KPF file, a KPC container or an extracted folder, or through the
// setters, and written back as a KPF file or a container.
//
// Failures are values: operations log what went wrong (see KxMessageLog) and
// return the OR of the levels they logged; callers test kKxError (8). The
// opening, saving and resource operations clear the log first, so the log
// describes the last of them. Nothing throws. Texts passed in are copied;
// references returned stay valid until the project changes that value.
// Paths on the host are joined with the host separator; directory patterns
// from the stub file may be Windows-style or POSIX paths.
//
// One project is used by one thread at a time. Archive work and token
// scanning of all projects are serialised on kpsdkProjectLock(); no project
// operation changes the process's working directory.
#pragma once

#include <array>
#include <cstdarg>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/sdk_fs.h"
#include "kpsdk/kx_messages.h"
#include "kpsdk/kx_resource.h"
#include "kpsdk/kx_types.h"

class ArchiveHandler;
struct ArchiveExtracted;
class KpfTokenStream;
class KxWorkFolder;

// How a container is opened: what is unpacked and where.
enum class KxOpening {
  kInstall,         // every entry, the resources into their scopes
  kPrintAndForget,  // the project's own entries, into a private folder
  kInspect,         // the project file only (the scope folders are made)
  kRead,            // the project file only, as print-and-forget reads it
};

// Hooks of a project. The progress hook receives a status text (such as
// "_VOLUMES_COMPLETE_") and the archive's counters; a non-zero answer cancels.
// The volume hook receives the next volume's file name and folder; non-zero
// cancels. The overwrite hook receives an existing target path and answers
// 1 to overwrite, 0 to keep it, 2 to overwrite it and every later one of the
// same operation.
using KxProgressHook = std::function<int(const char* status, long files, std::int64_t totalBytes, long current,
                                         std::int64_t bytesDone, const char* fileName, std::int64_t fileSize,
                                         std::int64_t fileBytesDone)>;
using KxVolumeHook = std::function<int(const char* volumeFileName, const char* folder)>;
using KxOverwriteHook = std::function<int(const char* targetPath)>;

// All information texts, type and flags at once (GetInformation).
struct KxProjectInformation {
  std::string kpfPath, kpfVersion, copyright, folderName, projectName, projectVersion, projectTitle,
      projectDescription, author, keywords, generator, creationDate, currentDate, currentUser;
  int projectType = 0;
  int modified = 0;
  int recordModifications = 0;
  // GetInformation2 only.
  std::string encoding;
  int printAndForget = 0;
  int loaded = 0;
};

struct KxPrivateSection {
  std::string identifier;
  std::string content;
};

// The lock that serialises archive work and token scanning across projects.
SdkLock& kpsdkProjectLock();

// Substitution hook for stub-file paths holding "%": called with the path
// text, which it may change in place. The default leaves it alone; a null
// hook restores the default.
using KpsdkSubstitutionHook = std::function<void(std::string& path)>;
void kpsdkSetSubstitutionHook(KpsdkSubstitutionHook hook);

// Type of the project in a KPF file: 0..3 from its "<PROJECT_TYPE>" element,
// 0 when it has none, -1 for an unknown type or an unreadable file (then
// error receives "Could not open file '%s'").
int kpsdkPeekProjectType(std::string& error, const std::string& kpfPath);
// The same for the project file inside a container; -1 on any failure with
// the archive's error text in error. progress, when given, hears of the
// work as a project's progress hook does, and may stop it.
int kpsdkPeekContainerProjectType(std::string& error, const std::string& kpcPath,
                                  const KxProgressHook& progress = {});

class KxProject {
 public:
  explicit KxProject(const std::string& stubPath);
  ~KxProject();
  KxProject(const KxProject&) = delete;
  KxProject& operator=(const KxProject&) = delete;

  // --- Opening and saving -------------------------------------------------
  // Opens a KPF file: Reset, remember the path, ReadKpf, mark loaded.
  int OpenProject(const std::string& kpfPath);
  // Installs a container: resources land in the directories of their scopes.
  int OpenContainer(const std::string& kpcPath);
  // Extracts a container for one-time printing: everything goes to the
  // print-and-forget directory at local scope.
  int OpenContainerPrintAndForget(const std::string& kpcPath);
  // Reads the project of a container without installing anything.
  int InspectContainer(const std::string& kpcPath);
  // Reads the project of a container as print-and-forget opens it (every
  // resource local) and finds each resource's entry from the headers,
  // writing nothing but the project file into a private temporary folder,
  // which goes again. Resource paths name where print-and-forget would
  // put the files, without the private folder of an opening.
  int ReadContainer(const std::string& kpcPath);
  // After ReadContainer: logs, as errors, what loading the resources would
  // meet: a name listed twice, a resource without an entry, an entry over
  // maxSize bytes (0: no limit; tar headers are not read for sizes).
  int CheckContainerEntries(std::int64_t maxSize);
  int ExtractContainer(const std::string& kpcPath, int printAndForget, int inspect);
  // Opens a folder holding an extracted container.
  int OpenExtracted(const std::string& directory);
  int OpenExtractedPrintAndForget(const std::string& directory);
  int ImportExtracted(const std::string& directory, int printAndForget, int move, int removeDirectory);
  // Deletes what a print-and-forget extraction placed, then its folders.
  // Nothing to do (and no error) after ReadContainer or after an opening
  // that failed, which removes what it placed itself.
  int RemovePrintAndForget();
  // Packs the project file and every resource into a container.
  int CreateContainer(const std::string& kpcPath);
  // Derives the volume naming of the archive handler from a container path.
  void SetVolumeNaming(const std::string& kpcPath);
  // Extracts entry 0 (the project file) or resource n - 1 of a container.
  int ExtractEntry(const std::string& kpcPath, int entry);
  // Writes the KPF to the project file path (derived when empty).
  int SaveProject();
  int ReadKpf(const std::string& path);
  int WriteKpf(const std::string& path);

  // --- Messages -----------------------------------------------------------
  int AddMessage(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void ClearMessages();
  int GetMessageFlags() const { return log_.Flags(); }
  int GetStatus() const { return GetMessageFlags(); }
  const std::string& GetMessages() const { return log_.Text(); }
  const std::string& GetMessageRecords() const { return log_.Records(); }

  // --- Information --------------------------------------------------------
  const std::string& GetKpfPath() const { return kpfPath_; }
  void SetKpfPath(std::string_view path) { kpfPath_ = path; }
  const std::string& GetKpfVersion() const { return kpfVersion_; }
  void SetKpfVersion(std::string_view v) { kpfVersion_ = v; }
  const std::string& GetCopyright() const { return copyright_; }
  void SetCopyright(std::string_view v) { setInfo(copyright_, v); }
  int GetProjectType() const { return projectType_; }
  // 0..3; logs "Invalid project type: '%d'" and returns 8 otherwise.
  int SetProjectType(int type);
  int GetPathMismatchAction() const { return mismatchAction_; }
  int SetPathMismatchAction(int action);
  // Effective project paths; null when not set.
  const char* GetLocalProjectPath() const { return effectivePath(0); }
  const char* GetFolderProjectPath() const { return effectivePath(1); }
  const char* GetGlobalProjectPath() const { return effectivePath(2); }
  const std::string& GetFolderName() const { return folderName_; }
  const std::string& GetProjectName() const { return projectName_; }
  // Sets both names and derives the scope directory patterns.
  void SetFolderProjectNames(std::string_view folder, std::string_view project);
  // All three or none (null or empty counts as missing).
  int SetProjectPaths(const char* local, const char* folder, const char* global);
  const std::string& GetProjectVersion() const { return projectVersion_; }
  void SetProjectVersion(std::string_view v) { setInfo(projectVersion_, v); }
  const std::string& GetProjectTitle() const { return projectTitle_; }
  void SetProjectTitle(std::string_view v) { setInfo(projectTitle_, v); }
  const std::string& GetProjectDescription() const { return projectDescription_; }
  void SetProjectDescription(std::string_view v) { setInfo(projectDescription_, v); }
  const std::string& GetAuthor() const { return author_; }
  void SetAuthor(std::string_view v) { setInfo(author_, v); }
  const std::string& GetKeywords() const { return keywords_; }
  void SetKeywords(std::string_view v) { setInfo(keywords_, v); }
  const std::string& GetGenerator() const { return generator_; }
  void SetGenerator(std::string_view v) { setInfo(generator_, v); }
  const std::string& GetCreationDate() const { return creationDate_; }
  void SetCreationDate(std::string_view v) { setInfo(creationDate_, v); }
  const std::string& GetCurrentDate() const { return currentDate_; }
  void SetCurrentDate(std::string_view v) { currentDate_ = v; }
  const std::string& GetCurrentUser() const { return currentUser_; }
  void SetCurrentUser(std::string_view v) { currentUser_ = v; }
  KxProjectInformation GetInformation() const;
  KxProjectInformation GetInformation2() const;
  const std::string& GetEncoding() const { return encoding_; }
  void SetEncoding(std::string_view e) { encoding_ = e; }
  int IsModified() const { return modified_ ? 1 : 0; }
  void SetRecordModifications(int flag) { recordModifications_ = flag != 0; }

  // --- PRIVATE sections ---------------------------------------------------
  const std::vector<KxPrivateSection>& GetPrivateSections() const { return privateSections_; }
  // Content of the last section with that identifier, or null.
  const char* GetPrivateSection(std::string_view identifier) const;
  // Replaces the first match; null content removes it; new ones append.
  void SetPrivateSection(std::string_view identifier, const char* content);

  // --- Resources ----------------------------------------------------------
  // Adds a resource (refused resources are dropped); returns the flags.
  int AddResource(std::unique_ptr<KxResource> resource);
  int InsertResource(std::unique_ptr<KxResource> resource, int position);
  // Index of the resource of that name (case-sensitive), or -1.
  int FindResource(std::string_view name) const;
  int ContainsResource(const KxResource& resource) const { return FindResource(resource.GetName()) >= 0 ? 1 : 0; }
  void ModifyResource(const KxResource& resource);
  void RemoveResource(const KxResource& resource);
  // Takes a resource out of the project and hands it to the caller.
  std::unique_ptr<KxResource> DetachResource(const KxResource& resource);
  int SetResourceDescription(std::string_view name, std::string_view description);
  int GetResourceCount() const { return static_cast<int>(resources_.size()); }
  // The resource at index, or null outside the list.
  KxResource* GetResource(int index) const;
  int AddSubmissionFile(KxResource* resource);
  void RemoveSubmissionFile(KxResource* resource);
  int AddJobTicket(KxResource* resource);
  void RemoveJobTicket(KxResource* resource);
  void LinkJobTickets();
  int GetSubmissionFileCount() const { return static_cast<int>(submissionFiles_.size()); }
  // Path of the submission file at index, or an empty text.
  std::string GetSubmissionFilePath(int index) const;
  int IsSubmissionFileUnordered(int index) const;
  int GetJobTicketCount() const { return static_cast<int>(jobTickets_.size()); }
  // Linked job ticket name of the submission file at index, or empty.
  std::string GetSubmissionJobTicket(int index) const;
  int HasJobTicketOrder() const { return jobTicketOrderSeen_ ? 1 : 0; }
  int HasJobTicketId() const { return jobTicketIdSeen_ ? 1 : 0; }
  // Appends an action to the current modification while recording is on.
  void RecordAction(std::string_view action);
  int GetModificationCount() const { return static_cast<int>(modifications_.size()); }
  KxModification* GetModification(int index) const;
  // The modification being filled (written after the recorded ones).
  const KxModification& GetCurrentModification() const { return *currentModification_; }
  // Derives the project file path from the project name.
  int DeriveKpfPath();
  // 0: file name of the project file; 1..n: name of resource n - 1.
  std::string GetEntryName(int entry) const;
  // 0: project file path (or "KPF" when empty); 1..n: path of resource n - 1.
  std::string GetEntryPath(int entry) const;

  // --- Scopes -------------------------------------------------------------
  std::vector<std::string> GetLocalDirectories(std::string_view folder, std::string_view project, int mustExist) const;
  std::vector<std::string> GetFolderDirectories(std::string_view folder, int mustExist) const;
  std::vector<std::string> GetGlobalDirectories(int mustExist) const;
  int CreateProjectDirectories();
  // The path of a file name in a scope: the first candidate directory that
  // holds the file; with mustExist 0 and no such file, the first candidate.
  // Empty while folder or project name is unset or when nothing is found.
  std::string ResolveLocalPath(std::string_view name, int mustExist) const;
  std::string ResolveFolderPath(std::string_view name, int mustExist) const;
  std::string ResolveGlobalPath(std::string_view name, int mustExist) const;
  // Resolution in the scope of the number (1 folder, 2 global, else local),
  // first among existing files, then the first candidate.
  std::string ResolveInScope(int scope, std::string_view name) const;
  int ExistsLocal(std::string_view name) const { return ResolveLocalPath(name, 1).empty() ? 0 : 1; }
  int ExistsFolder(std::string_view name) const { return ResolveFolderPath(name, 1).empty() ? 0 : 1; }
  int ExistsGlobal(std::string_view name) const { return ResolveGlobalPath(name, 1).empty() ? 0 : 1; }
  // Bit 1 local, 2 folder, 4 global: the scopes that hold the file.
  int GetScopeFlags(std::string_view name) const;
  int IsHidden(std::string_view name) const;
  int ReportHiding(std::string_view name);

  // --- Stub file and project paths ----------------------------------------
  int LoadStubFile(const std::string& path);
  int ParseLegacyStub(const std::string& path);
  int ParseStub(const std::string& path);
  // Type of a "KX_PROJECT_PDLTYPE: " line; typeText receives the word.
  int ParseStubTypeLine(std::string_view line, std::string& typeText);
  int ParseStubTypePaths(const std::array<std::string, 3>& lines, int type, std::string_view typeText);
  void DeriveScopePatterns(int onePerScope);
  static void NormalisePath(std::string& path);
  static std::string ToForwardSlashDirectory(std::string_view path);
  int ValidateProjectPaths();
  int HasProjectPaths() const;
  int ReconcileProjectPaths(int type, int mismatchAction);
  const std::string& GetPrintAndForgetPath() const { return printAndForgetPath_; }
  const std::string& GetRawSetppath() const { return rawSetppath_; }
  // Scope directory patterns (0 local, 1 folder, 2 global).
  const std::vector<std::string>& GetScopePatterns(int scope) const { return scopePatterns_.at(scope); }
  // Stub-file project paths of type 1..3 (three entries).
  const std::vector<std::string>& GetStubTypePaths(int type) const { return stubTypePaths_.at(type - 1); }
  int ParseProjectType(std::string_view text) const { return kxParseProjectType(text); }

  // --- Validation and state -----------------------------------------------
  int ValidateInformation(int checkVersion);
  // Logs, as errors, what loading the resources would meet: a name listed
  // twice (in any scope), a file that is missing, not a file or unreadable,
  // one over maxSize bytes (0: no limit). Adds to the log; returns the flags.
  int CheckResourceFiles(std::int64_t maxSize);
  // Empties the content; keeps what came from the stub file.
  void Reset();
  int IsPrintAndForget() const { return printAndForget_ ? 1 : 0; }
  int IsLoaded() const { return loaded_ ? 1 : 0; }
  void SetTemporaryExport(int flag) { temporaryExport_ = flag != 0; }

  // --- Archive ------------------------------------------------------------
  int GetArchiveFormat() const { return archiveFormat_; }
  void SetArchiveFormat(int format);
  int GetArchiveVolumeSize() const;
  void SetArchiveVolumeSize(int records);
  std::string GetVolumeFileName() const;
  std::string GetVolumePath() const;
  long GetVolumeCount() const;
  ArchiveHandler& GetArchiveHandler() { return *archive_; }
  void SetProjectProgressHook(KxProgressHook hook);
  void SetProjectVolumeHook(KxVolumeHook hook);
  void SetProjectOverwriteHook(KxOverwriteHook hook);
  // The hooks as the archive handler reaches them.
  int CallProgressHook(const char* status, long files, std::int64_t totalBytes, long current, std::int64_t done,
                       const char* fileName, std::int64_t fileSize, std::int64_t fileDone);
  int CallVolumeHook(const char* volumeFileName, const char* folder);
  int CallOverwriteHook(const char* targetPath);
  void Cancel();
  int IsCancelled() const { return cancelled_ ? 1 : 0; }

  // --- Caller-owned values ------------------------------------------------
  int GetOptionA() const { return optionA_; }
  void SetOptionA(int v) { optionA_ = v; }
  int GetOptionB() const { return optionB_; }
  void SetOptionB(int v) { optionB_ = v; }
  double GetNumber() const { return number_; }
  void SetNumber(double v) { number_ = v; }
  int GetUserValue() const { return userValue_; }
  void SetUserValue(int v) { userValue_ = v; }

  // --- Reader steps -------------------------------------------------------
  std::unique_ptr<KxResource> ParseResource(KpfTokenStream& tokens, std::string& missing, int ignoreScope);
  int ParseProjectPathScope(KpfTokenStream& tokens, std::string& path);
  static int ParsePrivateHeader(std::string_view text, std::string& identifier, std::string& content);
  int CheckReaderEnd();

  // Called by a listed resource whose name changed.
  void ResourceRenamed() { indexDirty_ = true; }

 private:
  struct ReaderState {
    bool modificationsOpen = false;
    bool modificationOpen = false;
    bool dateSeen = false;
    bool userSeen = false;
    bool actionsOpen = false;
    bool actionSeen = false;
    bool resourcesOpen = false;
    bool resourceSeen = false;
    bool headerSeen = false;
    bool endSeen = false;
  };

  int log(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
  int logV(int level, const char* format, va_list args);
  // Logs text whose format is the text itself (already formatted).
  int logFormatted(int level, std::string_view text);
  // Copies the archive handler's error text into the log; returns 1 when
  // there was one.
  int takeArchiveError();
  void setInfo(std::string& field, std::string_view value) {
    field = value;
    modified_ = true;
  }
  const char* effectivePath(std::size_t index) const {
    return index < projectPaths_.size() ? projectPaths_[index].c_str() : nullptr;
  }
  std::string resolveIn(const std::vector<std::string>& candidates, std::string_view name, int mustExist) const;
  int addResourceAt(std::unique_ptr<KxResource> resource, int position);
  void appendResource(std::unique_ptr<KxResource> resource);
  int indexOfResource(const KxResource* resource) const;
  void rebuildIndex() const;
  void dropFromOrderedLists(KxResource* resource);
  void usePaths(const std::array<std::string, 3>& paths, bool fromKpf);
  void readKpfTokens(const std::string& path, KpfTokenStream& tokens);
  void readResourceTag(KpfTokenStream& tokens);
  std::string collectElementText(KpfTokenStream& tokens, int closeKind);
  int openContainer(const std::string& kpcPath, KxOpening how);
  int importExtracted(const std::string& directory, int printAndForget, int move, int removeDirectory);
  // Unpacks into staging the entries that hold the project's files (and the
  // project file's), chosen from the container's headers.
  void unpackProjectEntries(const std::string& container, const std::string& staging);
  // Deletes the files this opening placed and the folders it made,
  // innermost first; "could not be located" only with reportNothing.
  void removePlaced(bool reportNothing);
  // Makes the container readable as one file: a volume set is joined into
  // workDir. Empty (with the error logged) on failure.
  std::string readableContainer(const std::string& kpcPath, const std::string& workDir);
  // For each resource, the index of the unpacked entry that holds its file
  // (kxMatchEntries), or -1; kpfIndex is the project file's entry, named
  // kpfEntry (or only by its file name).
  std::vector<int> entriesOfResources(const std::vector<ArchiveExtracted>& entries, const std::string& kpfEntry,
                                      int& kpfIndex) const;
  // Moves every resource's own entry to its place (entries unpacked by the
  // archive handler; kpfEntry is the project file's entry).
  void placeExtractedFiles(const std::vector<ArchiveExtracted>& entries, const std::string& kpfEntry,
                           const std::string& localDir);
  // Extracts the file of resource index into targetDir; returns the error
  // text (logged as well).
  std::string extractResource(const std::string& container, int index, const std::string& targetDir);
  // Copies (or moves) a file to target, which is a folder of the project
  // joined with name, and records it for print-and-forget removal; logs
  // "Could not create file" on failure.
  bool placeFile(const std::string& from, const std::string& target, std::string_view name, bool move);
  // Before a container's files are placed: the project must have a folder
  // and project name, and its own project paths must not be in use.
  int requireSafeInstall();
  // Asks the overwrite hook about an existing target; 2 answers this and
  // every later question of the operation.
  bool mayOverwrite(const std::string& target);
  // Makes the private print-and-forget folder of this opening (see
  // printAndForgetDir_); returns the flags.
  int makePrintAndForgetFolder();

  // The project file's entry name in the container it was opened from.
  std::string kpfEntry_;
  std::string kpfPath_, kpfVersion_, copyright_, folderName_, projectName_, projectVersion_, projectTitle_,
      projectDescription_, author_, keywords_, generator_, creationDate_, currentDate_, currentUser_;

  std::vector<std::unique_ptr<KxResource>> resources_;
  // Name -> index of the first resource of that name; rebuilt after changes
  // other than appends.
  mutable std::unordered_map<std::string, int> nameIndex_;
  mutable bool indexDirty_ = false;
  std::vector<KxResource*> submissionFiles_;  // by submission order
  std::vector<KxResource*> jobTickets_;       // by job ticket order or ID
  std::vector<std::unique_ptr<KxModification>> modifications_;
  std::unique_ptr<KxModification> currentModification_;
  ReaderState reader_;

  bool recordModifications_ = false;
  bool modified_ = false;
  bool temporaryExport_ = false;
  bool printAndForget_ = false;
  int optionA_ = 1;
  int optionB_ = 1;
  std::string printAndForgetPath_;
  // The print-and-forget pattern of the current opening: a folder of its
  // own below the print-and-forget root, with the usual levels below it
  // ("kpcpfd/_pfXXXXXX/$$FOLDER./$$PROJECT./"). Two processes opening the
  // same container at once thus never share a file, since each one
  // removes what it placed. Empty outside a print-and-forget opening.
  std::string printAndForgetDir_;
  KxMessageLog log_;
  std::string rawSetppath_;
  double number_ = 0;
  std::array<std::vector<std::string>, 3> scopePatterns_;
  std::vector<KxPrivateSection> privateSections_;
  std::unique_ptr<ArchiveHandler> archive_;
  std::array<std::string, 3> kpfProjectPaths_;  // as read from the file
  bool kpfPathsFixed_ = false;                  // first RESOURCE seen while reading
  int projectType_ = kKxTypeKoro;
  int mismatchAction_ = 0;
  std::vector<std::string> projectPaths_;                 // effective: local, folder, global
  std::array<std::vector<std::string>, 3> stubTypePaths_;  // PS, PDF, PPML-GA
  bool jobTicketOrderSeen_ = false;
  bool jobTicketIdSeen_ = false;
  std::string encoding_ = "ISO-8859-1";
  int archiveFormat_ = 0;
  std::atomic<bool> cancelled_{false};
  bool loaded_ = false;
  int userValue_ = 0;

  KxProgressHook progressHook_;
  KxVolumeHook volumeHook_;
  KxOverwriteHook overwriteHook_;
  bool overwriteAll_ = false;  // an overwrite answer of 2 in this operation
  // What the last container opening placed: the files and the folders it
  // made, so that print-and-forget removal deletes these and nothing else.
  std::vector<std::string> placedFiles_;
  std::vector<std::string> createdDirs_;
  // The private print-and-forget folder, locked while this project has it
  // (kx_work_folder.h).
  std::unique_ptr<KxWorkFolder> pfFolder_;
  // Nothing was placed that RemovePrintAndForget should remove.
  bool nothingToRemove_ = false;
  // ReadContainer: the container's entries (no files behind them), their
  // sizes, and for each resource the index of its entry or -1.
  std::vector<ArchiveExtracted> listedEntries_;
  std::vector<std::int64_t> listedSizes_;
  std::vector<int> resourceEntries_;
  // The scope patterns came from a KPF file's project paths (mismatch
  // action 2), not from the stub file. Kept, like the raw SETPPATH value,
  // across Reset.
  bool scopesFromKpf_ = false;
};

// A project loaded with its stub file, or null when the stub file does not
// exist. Messages of the stub load are in the project's log.
std::unique_ptr<KxProject> kxProjectNew(const std::string& stubPath);
