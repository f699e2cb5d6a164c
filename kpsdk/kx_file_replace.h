// Replacing a file's contents safely.
//
// The new contents are written to a temporary file in the same folder and
// committed over the old file (sdkCommitFile: flushed to the disk, renamed,
// the rename flushed), so a failed or interrupted write, or a power cut,
// never leaves a truncated file behind: the old file stays whole until the
// new one is complete. An existing file keeps its permissions.
#pragma once

#include <string>
#include <string_view>

// 1 on success; on failure 0, the old file untouched, no temporary file
// left, and reason set to the system's text for the error.
int kxReplaceFile(const std::string& path, std::string_view bytes, std::string& reason);
