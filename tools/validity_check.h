#pragma once
// Judges one Type3 piece file without changing it: finds the header, walks
// it, sums the body with a fresh CRC-16 and compares the stored checksum.

#include <atomic>
#include <string>
#include <string_view>

#include "core/byte_source.h"
#include "core/marker_scan.h"
#include "tools/validity_body.h"
#include "tools/validity_verdict.h"

namespace kv {

// The marker search reads at most this many 1024-byte blocks.
inline constexpr int kCheckScanBlocks = 100;

// How the check looks for a header's marker in a piece of `length` bytes:
// within its first kCheckScanBlocks blocks, the partial last one included.
MarkerScan CheckMarkerScan(std::int64_t length);

// True when the path's last three characters are "d01" or "exe" (any case):
// such a file is judged as the first piece of a series.
bool IsCheckedAsFirstPiece(std::string_view path);

// Judges the piece held by `src` (its length taken from src.Size()).
// `runState` is read after each full 1024-byte portion of the body; when it
// holds kRunCancelRequested the result is kCancelled.
CheckVerdict CheckPieceSource(ByteSource& src, bool firstPiece, const std::atomic<int>& runState);
// The same, summing the body with the buffers of `summer` (one per check run).
CheckVerdict CheckPieceSource(ByteSource& src, bool firstPiece, const std::atomic<int>& runState,
                              BodySummer& summer);

// Opens the file read-only and judges it; anything but a regular file, or a
// file that cannot be opened, is kCannotOpen. The file is closed on return.
CheckVerdict CheckPieceFile(const std::string& path, const std::atomic<int>& runState);
CheckVerdict CheckPieceFile(const std::string& path, const std::atomic<int>& runState,
                            BodySummer& summer);

}  // namespace kv
