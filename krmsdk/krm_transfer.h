// The transfer command: one local file sent to a printer path as
// "\n\n" count " (" target ") " options " load_file\n" and the encoded data
// (hexadecimal: count is the number of bytes; ASCII85: count 0, the data
// ends at "~>"). A DOS EPS binary file loses its header and preview first.
// Data is read, encoded and written in bounded pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "krmsdk/krm_source.h"
#include "krmsdk/krm_stream.h"

// Input bytes encoded per written piece.
inline constexpr std::size_t kKrmTransferPiece = 256 * 1024;

// "\n\n" count " (" target ") " options " load_file\n"; the target becomes a
// string operand (krmPsString).
std::string krmTransferCommand(std::uint64_t count, std::string_view target, std::string_view options);

// Sends content that is already in memory. Returns 1001 or 1005 (recorded
// in the stream with outputPath).
int krmDiskLoadFile(const char* function, const void* content, std::size_t size, std::string_view target,
                    std::string_view options, bool hex, KrmStream& stream, const char* outputPath);

// Sends the given ranges of an open local file. A read failure gives 1012
// with localPath; write failures 1005.
int krmDiskLoadRanges(KrmStream& stream, KrmFileSource& source, const KrmRanges& ranges,
                      std::string_view target, std::string_view options, bool hex, const char* localPath);

// Checks and sends one local file: missing 1003, larger than the embedding
// limit 1023, unreadable 1012 (argument: the local path). An empty file is
// sent and stored as an empty file.
int krmSendLocalFile(KrmStream& stream, const char* localPath, std::string_view target,
                     std::string_view options, bool hex);
