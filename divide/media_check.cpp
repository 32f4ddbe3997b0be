#include "divide/media_check.h"

#include <algorithm>

#include "core/piece_names.h"
#include "core/prompter.h"
#include "divide/divide_steps.h"
#include "divide/media_texts.h"
#include "platform/volumes.h"

namespace kv {

namespace {

bool RetryOrCancel(Prompter& prompter, const char* text) {
  return prompter.Ask(MakeMessage(MessageKind::kRetryMedium, text, Buttons::kRetryCancel,
                                  Icon::kStop)) == Answer::kRetry;
}

}  // namespace

std::string RequiredLine(std::int64_t needed) {
  return FillText(texts::kRequiredLine, FormatGrouped(needed));
}

std::string FreeLine(std::uint64_t freeSpace) {
  const auto shown = std::min<std::uint64_t>(freeSpace, INT64_MAX);
  return FillText(texts::kFreeLine, FormatGrouped(static_cast<std::int64_t>(shown)));
}

MediaCheckResult RunMediaCheck(Volumes& volumes, Prompter& prompter, const std::string& dest,
                               const MediaCheckRule& rule) {
  MediaCheckResult result;
  for (;;) {
    const FreeSpace asked = volumes.QueryFreeSpace(dest);
    if (!asked.ready) {
      if (RetryOrCancel(prompter, texts::kDriveNotReady)) {
        continue;
      }
      // The job ends by the failure the user gave up on, which keeps its cause.
      if (asked.error != 0) {
        result.end = {JobOutcome::kFailed, asked.error, asked.folder};
      }
      return result;
    }
    const std::uint64_t freeSpace = asked.bytes;
    std::int64_t pieceSize = rule.fixedSize;
    if (rule.fitFree) {
      if (freeSpace <= rule.tooSmallAtOrBelow) {
        if (RetryOrCancel(prompter, texts::kFreeSpaceTooSmall)) {
          continue;
        }
        return result;
      }
      pieceSize = static_cast<std::int64_t>(
          std::min<std::uint64_t>(freeSpace, static_cast<std::uint64_t>(rule.largestPiece)));
    }
    // A piece the medium's file system cannot hold would fail at its limit.
    if (asked.largestFile != 0 && static_cast<std::uint64_t>(pieceSize) > asked.largestFile) {
      pieceSize = static_cast<std::int64_t>(asked.largestFile);
    }
    const std::int64_t needed = rule.needed ? rule.needed(pieceSize) : pieceSize;
    if (static_cast<std::uint64_t>(needed) > freeSpace) {
      const CapacityShortage request{RequiredLine(needed), FreeLine(freeSpace), dest};
      if (prompter.AskCapacityShortage(request) == Answer::kCancel) {
        return result;
      }
      continue;
    }
    result.passed = true;
    result.pieceSize = pieceSize;
    result.freeSpace = freeSpace;
    return result;
  }
}

}  // namespace kv
