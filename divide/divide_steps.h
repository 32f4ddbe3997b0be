#pragma once
// Small steps both divide engines share: filling a "%s" text, the refusals
// and error boxes they show, and creating a piece file.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/binary_file.h"
#include "core/text_fill.h"

namespace kv {

class Prompter;

// Reads the source into `block` behind its `filled` bytes until at least
// `needed` are there (more when they come at once, up to the block's end).
// False when the source (or its absence) cannot give them: a short or failed read.
bool FillSteps(BinaryFile* source, std::span<std::byte> block, std::int64_t& filled,
               std::int64_t needed);

// Shows the input/output error box (OK, stop icon).
void ShowIoError(Prompter& prompter);
// Shows "予期せぬエラーが発生しました。" (OK, stop icon).
void ShowUnexpectedError(Prompter& prompter);

// True when `piece` is the source itself; the refusal has then been shown
// (caption "Kolvanto", warning icon, OK) and the job must stop.
bool RefuseWritingOverSource(Prompter& prompter, const std::string& piece,
                             const std::string& source);

// Creates (or truncates) a piece. When it cannot be created the user is told
// "ファイルを作成できません" (warning icon): with `offerRetry` as Retry/Cancel,
// trying again on Retry; otherwise with OK. nullptr when the job must stop.
std::unique_ptr<BinaryFile> CreatePiece(Prompter& prompter, const std::string& piece,
                                        bool offerRetry);

}  // namespace kv
