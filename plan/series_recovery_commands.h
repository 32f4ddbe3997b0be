#pragma once
// The window's two recovery commands over a series already on disk, without
// widgets: writing its recovery data, and repairing it from that data. Each
// runs off the user interface thread and gives the text of its closing box.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/prompter.h"

namespace kv {

// How many pieces the series of `firstPiece` has, or the message refusing
// it when it is not a first piece or has more pieces than a set can number.
struct SeriesToProtect {
  std::uint32_t pieceCount = 0;
  std::optional<std::string> refusal;
};
SeriesToProtect ExamineSeriesToProtect(const std::string& firstPiece);

// The closing box of a protect command: a notice, or a warning when nothing
// was written.
struct RecoveryCommandEnd {
  std::string text;
  bool done = false;
};

// Writes recovery for `recoverable` pieces beside the series of `firstPiece`;
// `stopAsked` true gives the set up, leaving none of its files.
RecoveryCommandEnd ProtectSeriesCommand(const std::string& firstPiece, std::uint32_t recoverable,
                                        const std::function<bool()>& stopAsked);

// Examines the series of `path` (a first piece or a recovery file) and, when
// its recovery data can rebuild what is missing or damaged and `prompter`'s
// user agrees, rebuilds it. Nothing to say (a No) gives an empty text.
RecoveryCommandEnd RepairSeriesCommand(const std::string& path, Prompter& prompter,
                                       const std::function<bool()>& stopAsked);

}  // namespace kv
