// The operations of the seven pages, one function each. Every function
// takes the page's controls as plain data and does what the page's button
// does (see operation.h for the shared frame and the result).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "krmsdk/krm_printer_names.h"
#include "ops/operation.h"

// --- Install Tessel page -------------------------------------------------
struct InstallChoice {
  bool autoStart = false;     // "Automatically start up Tessel when printer is powered on."
  bool keepInMemory = false;  // its "Keep Tessel in printer's memory." (counts only with autoStart)
  bool errorHandler = false;  // "Use Tessel's own PS error handler."
};
OpResult installTessel(const OpContext& ctx, const InstallChoice& choice);

struct StartupChoice {
  bool keepInMemory = false;  // the start-up "Keep Tessel in printer's memory."
};
OpResult startupTessel(const OpContext& ctx, const StartupChoice& choice);

// --- Load Project Resources page -----------------------------------------
struct ProjectResource {
  std::string type;  // three letters, or "none"
  std::string path;  // local path
  std::string name;  // last component of the path
};
struct ProjectListing {
  OpResult result;  // JobFailed / TempFileFailed / Refused when the list is unavailable
  std::vector<ProjectResource> resources;
};
// The project's resources as the resource tree shows them (submission
// files only with includeSubmission, as the send-container page asks).
// One line of the library's listing, "type path"; false for a line without
// a path.
bool parseListingLine(const std::string& line, ProjectResource& resource);
ProjectListing listProjectResources(const OpContext& ctx, const std::string& projectPath, bool includeSubmission);
// The resources a load of the whole project leaves out because an earlier
// one has the same name but for letter case, each as a warning naming both;
// none when the project cannot be read.
std::vector<std::string> letterCaseWarnings(const OpContext& ctx, const std::string& projectPath);

struct LoadProjectChoice {
  std::string projectPath;
  std::vector<std::string> checkedNames;  // none checked: every resource
  bool noFolderShared = false;
  bool noGlobalShared = false;
  bool noOverwrite = false;
};
OpResult loadProjectResources(const OpContext& ctx, const LoadProjectChoice& choice);

// --- Send Container page -------------------------------------------------
// The submission files the page offers for a project: listed resources of
// type "sub" or "frm", by name, in listing order.
struct SubmissionChoices {
  OpResult result;
  std::vector<std::string> names;
};
SubmissionChoices submissionChoices(const OpContext& ctx, const std::string& projectPath);

// Where a printable container's resources come from: the printer already
// has them, they travel inside the job, or they travel and are stored.
// The numbers are the page's radio box positions.
enum class ContainerResources { OnPrinter = 0, Included = 1, IncludedAndStored = 2 };

struct SendContainerChoice {
  std::string projectPath;
  std::string submission;      // chosen name, or the external path
  bool externalSubmission = false;
  bool pageRange = false;
  int firstPage = 1;
  int lastPage = 1;
  bool embedTessel = false;
  ContainerResources resources = ContainerResources::OnPrinter;
  bool noFolderShared = false;
  bool noGlobalShared = false;
  bool noOverwrite = false;
  bool keepInMemory = false;
};
// The page's answer to an invalid page range: true = print the entire
// document, false = stop.
using PageRangeQuestion = std::function<bool()>;
OpResult sendContainer(const OpContext& ctx, const SendContainerChoice& choice, const PageRangeQuestion& onBadRange);
// Whether the keep box is enabled for these choices.
bool keepBoxEnabled(const SendContainerChoice& choice);

// --- Delete Files and List Printer Files pages ---------------------------
// What Delete Files removes and List Printer Files lists; the numbers are
// the pages' radio box positions.
enum class DeleteItem { TesselAndResources = 0, Tessel = 1, Resources = 2, Project = 3 };
enum class ListItem { TesselAndResources = 0, Fonts = 1, Project = 2 };

struct DeleteChoice {
  DeleteItem item = DeleteItem::TesselAndResources;
  std::string folder, project;
  bool noFolderShared = false;
  bool noGlobalShared = false;
};
OpResult deleteFiles(const OpContext& ctx, const DeleteChoice& choice);
// What the choice removes, for a question before it does ("every Tessel
// file", "the resource files of project F/P").
std::string describeDeletion(const DeleteChoice& choice);

struct ListChoice {
  ListItem item = ListItem::TesselAndResources;
  std::string folder, project;
  // For a destination that answers on its connection: the printer also
  // writes the listing back there (delivery/printer_listing.h reads it).
  bool answerOnConnection = false;
  // With answerOnConnection, false leaves out the printed page.
  bool printedPage = true;
};
OpResult listPrinterFiles(const OpContext& ctx, const ListChoice& choice);

// --- Manage Legacy Files and Load PS Fonts pages -------------------------
// The printer's own area a loose file would replace a file of under this
// printer name: its start-up, Tessel, or its fonts (unless the file is a
// font). Such a load happens only when the operator asked for it.
KrmSystemArea systemAreaOfLoad(const std::string& localPath, const std::string& printerName);
// Whom the area belongs to, for messages: "the printer's start-up",
// "Tessel", "the printer's fonts"; empty for none.
std::string systemAreaWords(KrmSystemArea area);
// The rows of a load list whose printer names lie in a system area.
std::vector<std::pair<std::string, std::string>> systemNameRows(
    const std::vector<std::pair<std::string, std::string>>& rows);
// (local path, printer name) rows of the load list. Unless allowSystemNames
// is set, a list holding a row of systemNameRows is refused whole.
OpResult loadLegacyFiles(const OpContext& ctx, const std::vector<std::pair<std::string, std::string>>& rows,
                         bool allowSystemNames = false);
OpResult removeLegacyFiles(const OpContext& ctx, const std::vector<std::string>& names);
OpResult sendSubmissionFile(const OpContext& ctx, const std::string& path);
OpResult loadFonts(const OpContext& ctx, const std::vector<std::string>& fontFiles);
