#include "plan/divide_recovery.h"

#include <algorithm>

#include "core/job_end.h"
#include "core/job_state.h"
#include "core/piece_names.h"
#include "core/text_fill.h"
#include "divide/recovery_tap.h"
#include "plan/recovery_texts.h"
#include "recovery/protect_series.h"
#include "recovery/series_pieces.h"

namespace kv {

namespace rt = recovery_texts;

std::uint32_t RecoveryPiecesFor(const DivideSettings& settings, std::int64_t pieceCount) {
  if (!settings.Recovery || settings.RecoveryPieces < 1) {
    return 0;
  }
  const auto wanted = static_cast<std::int64_t>(settings.RecoveryPieces);
  return static_cast<std::uint32_t>(pieceCount > 0 ? std::min(wanted, pieceCount) : wanted);
}

std::string RecoverySummary(const DivideSettings& settings, std::int64_t divideSize,
                            std::int64_t pieceCount) {
  const std::uint32_t pieces = RecoveryPiecesFor(settings, pieceCount);
  if (pieces == 0) {
    return "";
  }
  const std::string count = FormatGrouped(pieces);
  if (divideSize == kDivideSizeFitsFreeSpace) {
    return FormatText(rt::kSummarySizeUnknown, count.c_str());
  }
  // One slice a piece, as long as the longest piece.
  const std::int64_t slice = (std::int64_t{divideSize} + 3) / 4 * 4;
  return FormatText(rt::kSummary, count.c_str(), FormatGrouped(slice * pieces).c_str());
}

std::string NotWrittenText(const Failure& failure) {
  std::string text = rt::kNotWritten;
  if (failure.error) {
    text += "\r\n" + FailureText(failure.path, failure.error);
  }
  return text;
}

std::string NamesText(const char* heading, const std::string& folder,
                      const std::vector<std::string>& names) {
  std::string text = heading;
  for (const std::string& name : names) {
    text += "\r\n" + folder + name;
  }
  return text;
}

std::string WrittenText(const std::string& folder, const std::vector<std::string>& names) {
  return NamesText(rt::kWritten, folder, names);
}

std::string StreamedRecoveryRemark(const RecoveryTap* tap, bool onRemovable) {
  if (tap != nullptr && tap->Written()) {
    return WrittenText(tap->Folder(), tap->Outcome().written);
  }
  std::string text = NotWrittenText(tap == nullptr ? Failure{} : tap->Outcome().failure);
  return onRemovable ? text + rt::kPiecesWhole : text;
}

std::string ProtectDividedSeries(const std::string& firstPiece, std::uint32_t recoverable) {
  SeriesPieces pieces;
  if (FindSeriesPieces(firstPiece, pieces)) {
    recoverable =
        std::min<std::uint32_t>(recoverable, static_cast<std::uint32_t>(pieces.names.size()));
  }
  const par2::ProtectResult result = par2::ProtectSeries(firstPiece, recoverable);
  if (result.refusal != par2::ProtectRefusal::kNone || !result.written.done) {
    return NotWrittenText(result.written.failure);
  }
  return WrittenText(result.pieces.folder, result.written.written);
}

}  // namespace kv
