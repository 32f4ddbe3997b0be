#include "recovery/protect_series.h"

#include <algorithm>
#include <utility>

#include "platform/file_helpers.h"
#include "recovery/gf16.h"

namespace kv::par2 {

std::uint64_t SliceSizeForPieces(const std::vector<std::uint64_t>& lengths) {
  if (lengths.empty() || std::find(lengths.begin(), lengths.end(), 0) != lengths.end()) {
    return 0;
  }
  return (*std::max_element(lengths.begin(), lengths.end()) + 3) / 4 * 4;
}

ProtectResult ProtectSeries(const std::string& firstPiece, std::uint32_t recoverable,
                            std::function<bool()> stopAsked) {
  ProtectResult result;
  if (!FindSeriesPieces(firstPiece, result.pieces)) {
    result.refusal = ProtectRefusal::kNotFirstPiece;
    return result;
  }
  const SeriesPieces& pieces = result.pieces;
  if (pieces.names.size() > gf16::kMaxInputSlices) {
    result.refusal = ProtectRefusal::kTooManyPieces;
    return result;
  }
  if (recoverable > pieces.names.size()) {
    result.refusal = ProtectRefusal::kTooMuchRecovery;
    return result;
  }
  std::vector<std::uint64_t> lengths;
  for (const std::string& name : pieces.names) {
    const std::int64_t size = FileSize(pieces.folder + name);
    if (size < 0) {
      result.written.failure = LastFailure(pieces.folder + name);
      return result;
    }
    lengths.push_back(static_cast<std::uint64_t>(size));
  }
  result.sliceSize = SliceSizeForPieces(lengths);
  if (result.sliceSize == 0) {
    result.refusal = ProtectRefusal::kEmptyPiece;
    return result;
  }
  RecoveryRequest request;
  request.folder = pieces.folder;
  request.names = pieces.names;
  request.setName = pieces.setName;
  request.sliceSize = result.sliceSize;
  request.recoverySlices = recoverable;
  request.stopAsked = std::move(stopAsked);
  result.written = WriteRecoveryFiles(request);
  return result;
}

}  // namespace kv::par2
