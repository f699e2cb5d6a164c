// Copying a range of one open file to the end of another without passing
// the bytes through the job's own buffers where the system can do it
// (copy_file_range on Linux), with a bounded read-and-write loop elsewhere
// or when the system refuses (different file systems, special files).
//
// The files are given as C runtime descriptors (fileno / _fileno). The
// destination's file position is where the bytes go; it advances by the
// bytes copied. Nothing raises.
#pragma once

#include <cstddef>
#include <cstdint>

struct KrmCopyResult {
  std::size_t copied = 0;   // bytes written to the destination
  bool readFailed = false;  // the source could not be read at some point
  bool writeFailed = false; // the destination could not be written
};

// Copies up to size bytes of the source from offset on. Fewer bytes are
// copied only at the end of the source or on a failure.
KrmCopyResult krmCopyFileRange(int sourceFd, std::int64_t offset, int destinationFd, std::size_t size);
