#pragma once
// The recovery data a divide of the window adds: the sentence of the
// information field, and what the end of the divide says of its files,
// computed while dividing or read back from pieces on a fixed drive.

#include <cstdint>
#include <string>
#include <vector>

#include "core/divide_settings.h"
#include "core/result.h"

namespace kv {

class RecoveryTap;

// How many pieces the recovery rebuilds: the setting, at most `pieceCount`
// (0 when not known); 0 when recovery is off.
std::uint32_t RecoveryPiecesFor(const DivideSettings& settings, std::int64_t pieceCount);

// The information field's sentence for a divide at `divideSize` (or fit to
// free space) into `pieceCount` pieces (0 when not known); "" when off.
std::string RecoverySummary(const DivideSettings& settings, std::int64_t divideSize,
                            std::int64_t pieceCount);

// "修復データは作成できませんでした" and the failure's cause, on lines of their own.
std::string NotWrittenText(const Failure& failure);
// "修復データを作成しました：" and the recovery files `names` in `folder`, one a line.
std::string WrittenText(const std::string& folder, const std::vector<std::string>& names);
// `heading`, then each of `names` in `folder` on a line of its own.
std::string NamesText(const char* heading, const std::string& folder,
                      const std::vector<std::string>& names);

// Writes recovery for `recoverable` pieces (at most the series' count) beside
// the divided series of `firstPiece`; returns what the end of the divide
// adds: the files written, or that none were and why.
std::string ProtectDividedSeries(const std::string& firstPiece, std::uint32_t recoverable);

// What the end of the divide adds for recovery data computed while dividing
// (`tap`, null when it could not be set up): the files written, or that none
// were and why; on removable media also that the pieces themselves are whole.
std::string StreamedRecoveryRemark(const RecoveryTap* tap, bool onRemovable);

}  // namespace kv
