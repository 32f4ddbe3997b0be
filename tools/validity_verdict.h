#pragma once
// The verdicts of the validity check and the mark and remark each shows in
// the check list.

#include <string_view>

namespace kv {

enum class CheckVerdict {
  kOk,
  kRecoveryData,  // a PAR2 recovery file beside a series, not a piece
  kChecksumError,
  kUnsupported,
  kCannotOpen,
  kBroken,
  kIoError,
  kCancelled,  // the run stops; the row keeps the checking mark
};

// Shown in the verdict column while a file is being checked (remark empty).
inline constexpr std::string_view kCheckingMark = "－";

// The verdict column's mark; the checking mark for kCancelled.
std::string_view VerdictMark(CheckVerdict verdict);
// The remark column's text; empty for kOk and kCancelled.
std::string_view VerdictRemark(CheckVerdict verdict);

}  // namespace kv
