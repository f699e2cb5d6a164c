// Names read from projects and containers, and where they may lead.
//
// A KPF file or container comes from someone else. The names it holds
// (folder and project name, resource and submission names) are joined to
// folders that the program chose: the scope directories of the stub file
// and the print-and-forget directory. Such a name must stay a name inside
// the folder it is joined to. A folder or project name is one level; a
// resource name is one or more levels. Refused, on every platform alike:
// empty names and empty levels, absolute names, drive letters and any
// ":" (which on Windows also names a data stream), levels made of dots
// and blanks only ("." and ".." and what Windows reads as them), and
// control characters (a NUL would cut the name short). Both "/" and "\"
// count as level separators here, since Windows reads both. So do the
// names Windows keeps for its devices (CON, PRN, AUX, NUL, COM0-9, LPT0-9,
// CONIN$, CONOUT$, any case, with or without an extension) and levels
// ending in a dot or a blank, which Windows trims into another name: a
// container made on one system is opened on the other.
//
// Some names belong to the program itself on the printer disk: the record
// of the shared files a project uses (".krmuses" in the project's folder)
// and the part file of a transfer (the target name plus ".krmtmp"). A
// resource stored under such a name would overwrite or forge them, so no
// level of a name read from a project may be one (kxIsReservedPrinterName).
// On the printer, "tqfc/<folder>/fshared/" holds a folder's shared files
// and "tqfc/gshared/" the global ones; a project named "fshared" or a
// folder named "gshared" would put its own files among them.
//
// Placing a file under a folder goes through kxPrepareTarget, which also
// refuses to pass through symbolic links below that folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// 1 when name is a single safe level (a folder or project name).
bool kxIsSafeFolderName(std::string_view name);
// 1 when name is a safe relative name of one or more levels.
bool kxIsSafeRelativeName(std::string_view name);
// 1 when a level of name is one the program keeps on the printer disk.
bool kxIsReservedPrinterName(std::string_view name);
// The printer's level names of the folder-shared and global-shared scopes.
inline constexpr std::string_view kKxFolderSharedLevel = "fshared";
inline constexpr std::string_view kKxGlobalSharedLevel = "gshared";
// 1 when a folder name (kKxGlobalSharedLevel) or a project name
// (kKxFolderSharedLevel) is that level, in any case.
bool kxIsSharedLevel(std::string_view name, std::string_view level);
// Replaces "$$FOLDER." and "$$PROJECT." of a directory pattern by the
// names, each placeholder once where the pattern holds it: a name holding
// a placeholder is not substituted again.
std::string kxSubstitutePlaceholders(std::string_view pattern, std::string_view folder, std::string_view project);
// The name for a message: control characters shown as "?", so that a
// refused name cannot break the log into lines of its own.
std::string kxPrintableName(std::string_view name);
// dir joined with a safe relative name; empty when the name is not safe.
std::string kxJoinContained(std::string_view dir, std::string_view name);

// Makes the folders a file at path needs, where path is root joined with
// the relative name (kxJoinContained). Levels of the name below root that
// are missing are created and appended to created; a level that is a
// symbolic link or not a folder, and a file level that is a symbolic link,
// fail. On POSIX only "/" separates the levels of a name on disk (a "\" is
// part of a file name there). 1 on success.
int kxPrepareTarget(const std::string& path, std::string_view name, std::vector<std::string>& created);

// Creates every missing level of dir, appending those it created to created,
// outermost first. 1 when dir exists as a folder afterwards.
int kxMakeDirsRecorded(const std::string& dir, std::vector<std::string>& created);
