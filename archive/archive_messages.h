// Message templates and internal error tags of the archive layer.
//
// Every error an archive operation reports is one of these printf-style
// templates, formatted. The handler keeps both the formatted text and the
// template itself, so that callers can recognise a message by its template
// (the project layer keeps a numbered catalogue of them). The texts are part
// of the stored and logged behaviour and must not change. Internal errors of
// the file-system, tar and volume code use kArchiveMsgInternal with one of
// the tags below; tags name the failing place, not the system error.
#pragma once

// Zip side and common texts.
inline constexpr const char* kArchiveMsgMakeDir = "ERROR (Minizip): Could not create directory %s";
inline constexpr const char* kArchiveMsgGetFileInfo = "ERROR (Minizip): Error# %d in unzGetCurrentFileInfo";
inline constexpr const char* kArchiveMsgOpenCurrent = "ERROR (Minizip): Error# %d in unzOpenCurrentFile";
inline constexpr const char* kArchiveMsgOpenTarget = "ERROR (Minizip): Could not open file %s";
inline constexpr const char* kArchiveMsgReadCurrent = "ERROR (Minizip): Error# %d in unzReadCurrentFile";
inline constexpr const char* kArchiveMsgWriteTarget = "ERROR (Minizip): Unexpected problem writing file (disk full?)";
inline constexpr const char* kArchiveMsgCloseCurrent = "ERROR (Minizip): Error# %d in unzCloseCurrentFile";
inline constexpr const char* kArchiveMsgGlobalInfo = "ERROR (Minizip): Error# %d in unzGetGlobalInfo";
inline constexpr const char* kArchiveMsgNextFile = "ERROR (Minizip): Error# %d unzGoToNextFile";
inline constexpr const char* kArchiveMsgNoMemory = "ERROR (Minizip): Could not allocate memory";
inline constexpr const char* kArchiveMsgNotInArchive = "ERROR (Minizip): File %s not found in archive";
inline constexpr const char* kArchiveMsgCannotOpen = "ERROR (Minizip): Cannot open %s or %s.kpc";
inline constexpr const char* kArchiveMsgCannotCreate = "ERROR (Minizip): Cannot create archive %s";
inline constexpr const char* kArchiveMsgOpenInZip = "ERROR (Minizip): Could not open %s in archive";
inline constexpr const char* kArchiveMsgReadInZip = "ERROR (Minizip): Could not read %s in archive";
// No colon after the prefix in this one; stored logs depend on it.
inline constexpr const char* kArchiveMsgWriteInZip = "ERROR (Minizip) Unexpected problem writing %s (disk full?)";
inline constexpr const char* kArchiveMsgCloseInZip = "ERROR (Minizip): Could not close %s in archive";
inline constexpr const char* kArchiveMsgCloseZip = "ERROR (Minizip): Could not close archive %s";
inline constexpr const char* kArchiveMsgNoProjectFile = "ERROR (Minizip): No .kpf file found in archive %s";
inline constexpr const char* kArchiveMsgBadIndex = "ERROR (Minizip): Index %d invalid in archive %s";
inline constexpr const char* kArchiveMsgInternal = "ERROR (Minizip): Internal - tag: %d, file: %s, reason: %s";
// The same for the tar code, so that a tar container's faults are not
// put down to the zip library.
inline constexpr const char* kArchiveMsgTarInternal = "ERROR (Tar): Internal - tag: %d, file: %s, reason: %s";
// Entry data that fails its check or cannot be inflated: the archive, the
// entry and what went wrong (library function and error number).
inline constexpr const char* kArchiveMsgDamaged = "ERROR (Minizip): Archive %s is damaged at entry %s (%s)";

// Volume texts. No archive operation formats these; the project layer uses
// them for its own checks of volume settings and volume sets.
inline constexpr const char* kArchiveMsgVolumeSizeZero = "Archive volume size must be greater than zero";
inline constexpr const char* kArchiveMsgVolumeMissing = "Could not find archive file '%s'";
inline constexpr const char* kArchiveMsgVolumeOpen = "Could not open archive file '%s' - reason '%s'";
inline constexpr const char* kArchiveMsgVolumeCompressed = "Compressed archives cannot be split into volumes";
inline constexpr const char* kArchiveMsgVolumeRead = "Error reading archive volume '%s' - reason '%s'";
inline constexpr const char* kArchiveMsgVolumeWrite = "Error writing archive volume '%s' - reason '%s'";
inline constexpr const char* kArchiveMsgVolumeName = "Archive volume name '%s' is malformed";
inline constexpr const char* kArchiveMsgCancelled = "Operation cancelled";
inline constexpr const char* kArchiveMsgVolumeSizePositive = "Volume size must be greater than zero";

// Reason text of every cancellation.
inline constexpr const char* kArchiveReasonCancelled = "CANCELLED";

// Tags of kArchiveMsgInternal.
enum ArchiveTag : int {
  kTagWriteRecord = 5,        // writing a record failed
  kTagOpenInput = 7,          // a file to add cannot be examined or opened
  kTagReadInput = 8,          // reading a file to add failed
  kTagCreateTarget = 9,       // a target file cannot be created
  kTagShortWrite = 10,        // writing a target file fell short
  kTagCloseTarget = 11,       // closing a target file failed
  kTagMakeFolder = 17,        // a folder cannot be created
  kTagNamesFile = 18,         // the names file cannot be opened
  kTagRecordAlloc = 50,       // the record buffer cannot be allocated
  kTagShortRecordWrite = 52,  // a record was written short
  kTagReadErrors = 53,        // too many read errors in a row
  kTagPartialBlock = 54,      // the archive ends inside a block
  kTagMissingEnd = 55,        // the archive ends where a header was due
  kTagShortMeta = 56,         // a long-name or extended header is cut short
  kTagBadHeader = 57,         // a header fails its checksum
  kTagBadField = 58,          // a header field holds nonsense (size, extended data)
  kTagUnsafeName = 59,        // an entry would be written outside the target folder
  kTagInputShrank = 61,       // a file to add shrank while being added
  kTagTooLarge = 62,          // a file to add is too large for a header
  kTagOutputIsInput = 60,     // a creation would write over a file it packs
  kTagRatioLimit = 63,        // a zip entry inflates past the ratio limit
  kTagSizeLimit = 64,         // an extraction would pass the size limit
  kTagNoSpace = 65,           // an entry is larger than the free space
  kTagNameClash = 66,         // two entries would land on one file
  kTagUnsupportedKind = 69,   // a file to add is of an unsupported kind
  kTagNameTooLong = 70,       // an entry name is 100 characters or longer
  kTagUnknownType = 71,       // an entry of unknown type was written as a plain file
  kTagDataCut = 75,           // the archive ended inside an entry's data
  kTagBadMode = 76,           // contradictory or missing mode letters
  kTagNamesWithList = 77,     // file names given together with a names file
  kTagListNameTooLong = 78,   // a name in the names list is cut to 100 characters
  kTagVolumeCancel = 83,      // cancelled at a volume change
  kTagCancelBeforeFile = 84,  // cancelled before a file
  kTagCancelDuringCopy = 85,  // cancelled while copying a file
  kTagCancel = 86,            // cancelled through ArchiveHandler::Cancel
};

// Status words handed to the progress hook instead of the status text.
inline constexpr const char* kArchiveVolumeTransition = "_VOLUME_TRANSITION_";
inline constexpr const char* kArchiveVolumesComplete = "_VOLUMES_COMPLETE_";
