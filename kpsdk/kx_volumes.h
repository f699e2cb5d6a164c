// Reading a container that was split into volumes.
//
// A container written in volumes is one tar stream cut into files named
// "<base>_<index>_<count>.kpv" (index from 1, both numbers at least six
// digits), in one folder. Every volume but the last holds the same whole
// number of 10240-byte records. To read the set, the volumes are joined in
// index order into one stream, which is then read like a single container.
// Any volume of the set may be named; all of them must be present.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// A failure with its catalogue format and formatted text.
struct KxVolumeError {
  std::string format;
  std::string text;
};

// 1 when the file name ends in ".kpv" (any case): the path names a volume.
int kxIsVolumeFile(std::string_view path);
// 1 when the path names a container rather than a project file: its name
// ends in a lower-case "c" (".kpc") or it names a volume (".kpv", any case).
int kxIsContainerPath(std::string_view path);
// Splits "<base>_<index>_<count>.kpv"; 0 when the name is malformed
// (missing numbers, index 0 or above count).
int kxParseVolumeName(std::string_view fileName, std::string& base, long& index, long& count);
// Told of every piece a join copies: the volume's file name, its number
// from 1, the number of volumes, the volume's size and bytes done of it,
// and the bytes done of the set and its size. False stops the join as
// cancelled.
using KxJoinProgress = std::function<bool(const std::string& volumeFile, long index, long count,
                                          std::int64_t volumeSize, std::int64_t volumeDone, std::int64_t done,
                                          std::int64_t total)>;

// Joins every volume of the set that volumePath belongs to into outPath.
// On failure returns 0, removes outPath and describes the problem with the
// volume texts: malformed name, missing volume, volume that cannot be
// opened or read (or whose size does not fit the set, or whose bytes do not
// follow on from the volumes before as one tar archive, kx_volume_flow.h),
// output that cannot be written, or cancellation.
int kxJoinVolumeSet(const std::string& volumePath, const std::string& outPath, KxVolumeError& error,
                    const std::atomic<bool>* cancelled = nullptr, const KxJoinProgress& progress = {});
// The container to read for path: path itself, or, for a volume of a tar
// set, the whole set joined into workDir. Empty on failure (error says why).
std::string kxReadableContainer(const std::string& path, const std::string& workDir, KxVolumeError& error,
                                const std::atomic<bool>* cancelled = nullptr, const KxJoinProgress& progress = {});
