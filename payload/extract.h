// The two extraction engines: each inflates one container member, a single
// zlib stream of C compressed bytes, into one file.
//
// Results are zlib's codes:
//    0  the member was written (also when C ran out before the stream's
//       end: the file then holds what was inflated)
//   -1  the output file could not be created or written, or (file engine)
//       a read failed
//   -3  the stream is corrupt, needs a preset dictionary, or its input
//       ran out before it ended (C is 0, or a read returned no bytes)
//   -4  zlib ran out of memory
//   -2, -6  inflateInit_ refused the stream or the version
// The output file is created (replacing an existing one) only after the
// stream was initialised; after that a failure leaves the partly written
// file in place. The engines do not check the output name: callers pass
// only names that IsSafeMemberName accepted.
#pragma once

#include <cstdint>
#include <functional>

#include <zlib.h>

#include "core/text.h"
#include "os/files.h"

namespace payload {

// Size of each of the engines' input and output buffers.
constexpr std::size_t kExtractBufferSize = 16384;

// Receives the progress position after every write of inflated bytes.
using ProgressSink = std::function<void(int position)>;

// counter / total * 100, computed in floating point and truncated toward
// zero. The counter counts inflated bytes while the total is a compressed
// size, so positions above 100 are normal. A total of 0 gives 0; values
// beyond the range of int are held at its limits.
int ProgressPosition(std::int32_t counter, std::int32_t total);

// zlib's allocation hooks for the stream state. The default (all null) is
// zlib's own allocator, which the product uses; tests supply failing ones.
struct InflateAllocator {
    alloc_func zalloc = Z_NULL;
    free_func zfree = Z_NULL;
    voidpf opaque = Z_NULL;
};

// Inflates `compressedLength` bytes at `source` (which must hold that many;
// a negative length counts as 0) into the file `outputPath`. Adds the number
// of inflated bytes written to *counter (held at INT32_MAX; a null counter
// is allowed) and reports ProgressPosition(*counter, total) to `progress`
// (may be empty) after every write.
int ExtractFromMemory(const std::uint8_t* source, std::int32_t compressedLength,
                      const core::u16& outputPath, std::int32_t* counter, std::int32_t total,
                      os::FileSystem& fs, const ProgressSink& progress);
int ExtractFromMemory(const std::uint8_t* source, std::int32_t compressedLength,
                      const core::u16& outputPath, std::int32_t* counter, std::int32_t total,
                      os::FileSystem& fs, const ProgressSink& progress,
                      const InflateAllocator& allocator);

// The same, reading at most `compressedLength` bytes from the current
// position of `file`. The caller positions the file on the member's data
// and seeks to the next entry itself afterwards: the engine leaves unread
// whatever follows the stream's end.
int ExtractFromImageFile(os::InputFile& file, std::int32_t compressedLength,
                         const core::u16& outputPath, std::int32_t* counter, std::int32_t total,
                         os::FileSystem& fs, const ProgressSink& progress);
int ExtractFromImageFile(os::InputFile& file, std::int32_t compressedLength,
                         const core::u16& outputPath, std::int32_t* counter, std::int32_t total,
                         os::FileSystem& fs, const ProgressSink& progress,
                         const InflateAllocator& allocator);

}  // namespace payload
